#pragma once
// The time stamps of live frames: "<name>.time.csv" beside the live outputs, a
// header line "record,utc" and one line per frame written, e.g.
// "17,2026-12-09T02:20:45.123Z".  The number is the frame's data record in the .psd,
// counting from 0 (the number the windows and the exports give it); the time is UTC
// with milliseconds, when the program received the frame.  Casts are merged with CTD
// and GPS logs by it.
#include <chrono>
#include <string>
#include <string_view>

namespace kavro {

using UtcTime = std::chrono::system_clock::time_point;

// "2026-12-09T02:20:45.123Z".
std::string utcMillisText(UtcTime time);
// "17,2026-12-09T02:20:45.123Z\n".
std::string timeStampLine(long long record, UtcTime time);
// The same for seconds since 1970 UTC (rounded to the millisecond).
std::string timeStampLine(long long record, double utcSeconds);
// The time-stamp file of outputs named after basePath: its extension replaced by ".time.csv".
std::string timeStampPathFor(std::string_view basePath);

}  // namespace kavro
