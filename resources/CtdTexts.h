#pragma once
// Texts of the CTD cast read from a Sea-Bird .cnv file and merged into the frames.
namespace kavro::text {

// Reading a .cnv: "<file>: line <n>: <problem>".
inline constexpr const char* kCnvLine = "%s: line %d: %s";
inline constexpr const char* kCnvCannotOpen = "cannot be read: ";  // + the system's reason
inline constexpr const char* kCnvNoEnd = "the header has no *END* line: not a Sea-Bird .cnv file";
inline constexpr const char* kCnvNoColumns = "the header names no columns (# name 0 = ...)";
inline constexpr const char* kCnvBadName = "a column line is not \"# name <number> = <short name>: <description>\"";
inline constexpr const char* kCnvNameTwice = "column %d is named twice";
inline constexpr const char* kCnvNameGap = "column %d is not named (the names go 0, 1, 2, ...)";
inline constexpr const char* kCnvBadStartTime = "start_time \"%s\" is not \"Mon DD YYYY HH:MM:SS\"";
inline constexpr const char* kCnvBadInterval = "interval \"%s\" is not \"seconds: <number above 0>\"";
inline constexpr const char* kCnvBadFlag = "bad_flag \"%s\" is not a number";
inline constexpr const char* kCnvBadNquan = "nquan %s differs from the %d columns named";
inline constexpr const char* kCnvNquanNotNumber = "nquan \"%s\" is not a whole number";
inline constexpr const char* kCnvNoPressure = "no pressure column (prDM, prdM or prSM)";
inline constexpr const char* kCnvNoTime =
    "no time: neither a timeS or timeJ column nor a start_time with an interval in seconds";
inline constexpr const char* kCnvNoStartForTimeS = "a timeS column needs a start_time in the header";
inline constexpr const char* kCnvNoStartForTimeJ = "a timeJ column needs a start_time in the header (its year)";
inline constexpr const char* kCnvFieldCount = "%zu values where the header names %d columns";
inline constexpr const char* kCnvNotNumber = "value %zu \"%s\" is not a number";
inline constexpr const char* kCnvNoScans = "no scans with a time after the header";

// Merging the CTD into the frames of a cast.
inline constexpr const char* kCtdNeedsTimes =
    "the CTD is merged by time, and the frames have no time stamps (<name>.time.csv beside the .psd)";
inline constexpr const char* kCtdOutside =
    "warning: %lld of %lld frames lie outside the time span of the CTD cast %s (or have no time stamp): their CTD "
    "values are NaN";
// The CTD cast's NetCDF attributes.
inline constexpr const char* kNcCtdComment =
    "from the CTD cast %s, interpolated linearly in time onto each frame's time stamp";
inline constexpr const char* kNcDepthComment =
    "from ctd_pressure and the cast's latitude %g degrees north: UNESCO 1983 (Fofonoff and Millard) formula";

}  // namespace kavro::text
