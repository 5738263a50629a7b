#include "core/TimeStamps.h"

#include <gtest/gtest.h>

using namespace kavro;

TEST(TimeStamps, LinesAreFrameAndUtcWithMilliseconds)
{
    using std::chrono::milliseconds;
    const struct {
        long long ms;  // since 1970-01-01T00:00:00Z
        long long frame;
        const char* line;
    } cases[] = {
        {1796782845123LL, 17, "17,2026-12-09T02:20:45.123Z\n"},
        {0, 1, "1,1970-01-01T00:00:00.000Z\n"},
        {951782400999LL, 100001, "100001,2000-02-29T00:00:00.999Z\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(timeStampLine(c.frame, UtcTime(milliseconds(c.ms))), c.line);
    EXPECT_EQ(timeStampPathFor("/data/cast7.psd"), "/data/cast7.time.csv");
    EXPECT_EQ(timeStampPathFor("Instrument"), "Instrument.time.csv");
}
