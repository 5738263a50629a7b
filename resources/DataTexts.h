#pragma once
// Fixed texts of the outputs for analysis: the time-stamp file, the NetCDF and CSV
// exports, the whole-file summary and the archive summary.

namespace kavro::text {

// Reading <name>.time.csv; each shown after "<file>: ".
inline constexpr const char* kTimesHeader = "frame,utc";
inline constexpr const char* kTimesCannotRead = "cannot read the time stamps";
inline constexpr const char* kTimesBadHeader = "the first line is not \"frame,utc\"";
inline constexpr const char* kTimesBadLine = "line %lld: not \"frame,YYYY-MM-DDTHH:MM:SS.mmmZ\"";

}  // namespace kavro::text
