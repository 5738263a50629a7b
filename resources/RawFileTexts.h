#pragma once
// Fixed texts of the raw data file source (the background builder reads raw
// files with the same filter and question).

namespace kavro::text {

inline constexpr const char* kRawOpenTitle = "Open Raw Data File";
inline constexpr const char* kRawHoldsNoFrames = " holds no frames: there is nothing to show.";  // after the path
inline constexpr const char* kRawDataFilter = "Kavro Data (*.raw;*.bin;*.dat)|*.raw;*.bin;*.dat|All (*.*)|*.*||";
// Two blanks after the full stop.
inline constexpr const char* kMultiScanQuestion =
    "This appears to be a Multi-Scan data source.  Process as summed 16 scan data?";

}  // namespace kavro::text
