#pragma once
// Fixed texts of the auxiliary channels and their windows.

namespace kavro::text {

// Channel labels and units as the calibration constants start (editable, stored).
inline constexpr const char* kChannelLabel[8] = {"Laser Power", "Battery",  "External Instrument", "Laser Reference",
                                                 "Pressure",    "Temperature", "Aux 1",            "Aux 2"};
inline constexpr const char* kChannelUnits[8] = {"mwatts", "volts", "volts", "mwatts", "meters", "deg C", "", ""};
// Channel names of the display selection and the graph legend (fixed).
inline constexpr const char* kShownLabel[8] = {"Laser Power", "Battery Voltage", "Aux 1", "Laser Reference",
                                               "Pressure",    "Temperature",     "Aux 2", "Aux 3"};

}  // namespace kavro::text
