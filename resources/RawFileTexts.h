#pragma once
// Fixed texts of the raw data file source.

namespace kavro::text {

inline constexpr const char* kRawOpenTitle = "Open Raw Data File";
inline constexpr const char* kRawFilter = "Kavro Data (*.raw;*.bin;*.dat)|*.raw;*.bin;*.dat|All (*.*)|*.*||";
// Two blanks after the full stop.
inline constexpr const char* kMultiScanQuestion =
    "This appears to be a Multi-Scan data source.  Process as summed 16 scan data?";

}  // namespace kavro::text
