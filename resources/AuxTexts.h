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

// Auxiliary parameters window (dialog 115).
inline constexpr const char* kAuxWindowTitle = "Auxiliary Parameters";
inline constexpr const char* kTransmissionLabel = "Transmission";
inline constexpr const char* kAuxFrameLabel = "Frame:";
inline constexpr const char* kShowRawData = "Show raw data";
inline constexpr const char* kCancelButton = "Cancel";
inline constexpr const char* kWaterTooClear = "Warning: Water too clear.";
inline constexpr const char* kWaterTooTurbid = "Warning: Water too turbid.";
inline constexpr const char* kSaturatedRings = "Warning: Saturated ring values.";
inline constexpr const char* kZeroRings = "Warning: Zero ring values.";
// A warning line with nothing to say holds one blank.
inline constexpr const char* kNoWarning = " ";

// Auxiliary parameter graph.
inline constexpr const char* kGraphWindow = "HK Graph";

// Calibration Constants (dialog 127).
inline constexpr const char* kCalibrationTitle = "Calibration Constants";
inline constexpr const char* kCalibrationHeading = "Value = Parameter * Multiplier + Offset";
inline constexpr const char* kColumnLabel = "Display Label";
inline constexpr const char* kColumnMultiplier = "Multiplier";
inline constexpr const char* kColumnOffset = "Offset";
inline constexpr const char* kColumnUnits = "Units";
// Row titles: "Parameter 1" ... "Parameter 8".
inline constexpr const char* kParameterRow = "Parameter ";
inline constexpr const char* kVolConvLabel = "Volume Conversion Constant";

// Auxiliary Parameter Display (dialog 121).
inline constexpr const char* kAuxDisplayTitle = "Auxiliary Parameters";
inline constexpr const char* kAuxDisplayText1 = "Select supporting parameters to display";
inline constexpr const char* kAuxDisplayText2 = "when processing a raw data file.";

}  // namespace kavro::text
