#include "core/TimeStamps.h"

#include "platform/FileUtil.h"
#include "resources/CoreTexts.h"

#include <cstdio>
#include <ctime>

namespace kavro {

std::string utcMillisText(UtcTime time)
{
    using namespace std::chrono;
    const long long ms = duration_cast<milliseconds>(time.time_since_epoch()).count();
    long long seconds = ms / 1000;
    long long milli = ms % 1000;
    if (milli < 0) {
        milli += 1000;
        --seconds;
    }
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(milli));
    return text;
}

std::string timeStampLine(long long frame, UtcTime time)
{
    return std::to_string(frame) + "," + utcMillisText(time) + "\n";
}

std::string timeStampPathFor(std::string_view basePath)
{
    return removeExtension(basePath) + text::kTimeStampSuffix;
}

}  // namespace kavro
