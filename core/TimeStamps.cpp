#include "core/TimeStamps.h"

#include "core/FrameTimes.h"
#include "platform/FileUtil.h"
#include "resources/CoreTexts.h"

namespace kavro {

std::string utcMillisText(UtcTime time)
{
    // Whole milliseconds, written by the same rule the readers of the file use.
    const long long ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
    return formatUtcTimestamp(static_cast<double>(ms) / 1000.0);
}

std::string timeStampLine(long long frame, UtcTime time)
{
    return std::to_string(frame) + "," + utcMillisText(time) + "\n";
}

std::string timeStampLine(long long frame, double utcSeconds)
{
    return std::to_string(frame) + "," + formatUtcTimestamp(utcSeconds) + "\n";
}

std::string timeStampPathFor(std::string_view basePath)
{
    return removeExtension(basePath) + text::kTimeStampSuffix;
}

}  // namespace kavro
