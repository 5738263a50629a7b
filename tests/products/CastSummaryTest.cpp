// A whole cast binned into picture columns: every frame in its column, gaps for
// frames without a usable distribution, the time axis from the time stamps.
#include "core/ColourTable.h"
#include "products/CastSummary.h"
#include "products/LiveCast.h"
#include "tests/support/DiagonalCast.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

using namespace kavro;
using namespace kavro::test;

namespace {

CastSource diagonalSource(const TempDir& dir)
{
    CastSource s;
    s.path = DiagonalCast::write(dir);
    s.header = decodePsdHeader(reinterpret_cast<const unsigned char*>(DiagonalCast::bytes().data()));
    return s;
}

int brightestClass(const CastColumn& c)
{
    int best = 0;
    for (int k = 1; k < kClasses; ++k)
        if (c.volume[static_cast<std::size_t>(k)] > c.volume[static_cast<std::size_t>(best)])
            best = k;
    return best;
}

TEST(CastSummaryTest, EachFrameFallsInItsColumnAndUnusableFramesAreGaps)
{
    TempDir dir;
    const CastSummary s = summariseCast(diagonalSource(dir), 1000, CastAxis::Frame);
    ASSERT_EQ(s.columns.size(), 64u);  // never more columns than frames
    EXPECT_EQ(s.frames, 64);
    EXPECT_EQ(s.noLightFrames, 1);
    EXPECT_EQ(s.flaggedFrames, 1);
    EXPECT_EQ(s.usableFrames, 62);
    for (int i = 0; i < DiagonalCast::kFrames; ++i) {
        const CastColumn& c = s.columns[static_cast<std::size_t>(i)];
        EXPECT_EQ(c.firstFrame, i);
        if (i == DiagonalCast::kLaserOff || i == DiagonalCast::kSaturated) {
            EXPECT_EQ(c.usable, 0) << i;
            EXPECT_TRUE(std::isnan(c.volume[0])) << i;  // a gap, not a zero
            EXPECT_FALSE(c.d50.has()) << i;
            // A saturated frame's optics are still shown; a frame without light has
            // none (its 0 is a placeholder, a gap in the transmission panel).
            EXPECT_EQ(c.transmission.has(), i == DiagonalCast::kSaturated) << i;
        } else {
            EXPECT_EQ(brightestClass(c), DiagonalCast::classOf(i)) << i;
            EXPECT_FLOAT_EQ(c.totalVolume.mean, 4.0f) << i;
            // D50 of one class: the middle of the class in log diameter.
            const ClassEdges e = modelClassEdges(0);
            const int k = DiagonalCast::classOf(i);
            EXPECT_NEAR(c.d50.mean, std::sqrt(e[static_cast<std::size_t>(k)] * e[static_cast<std::size_t>(k + 1)]),
                        1e-3 * c.d50.mean)
                << i;
        }
    }
}

// A recording cut off by a power loss: its zero-filled end is not drawn as frames.
TEST(CastSummaryTest, AZeroFilledEndIsNoFrames)
{
    TempDir dir;
    CastSource source = diagonalSource(dir);
    writeFile(source.path, DiagonalCast::bytes() + std::string(3 * kPsdRecordBytes, '\0'));
    const CastSummary s = summariseCast(source, 1000, CastAxis::Frame);
    EXPECT_EQ(s.frames, DiagonalCast::kFrames);
    EXPECT_EQ(s.columns.size(), static_cast<std::size_t>(DiagonalCast::kFrames));
    EXPECT_EQ(s.noLightFrames, 1);
}

TEST(CastSummaryTest, FewerColumnsAverageTheirFramesAndKeepTheRange)
{
    TempDir dir;
    const CastSummary s = summariseCast(diagonalSource(dir), 16, CastAxis::Frame);
    ASSERT_EQ(s.columns.size(), 16u);
    const CastColumn& c = s.columns[1];  // frames 4..7: classes 2 and 3, two frames each
    EXPECT_EQ(c.firstFrame, 4);
    EXPECT_EQ(c.lastFrame, 7);
    EXPECT_FLOAT_EQ(c.volume[2], 2.0f);
    EXPECT_FLOAT_EQ(c.volume[3], 2.0f);
    EXPECT_FLOAT_EQ(c.meanDiameter.min, 25.0f);
    EXPECT_FLOAT_EQ(c.meanDiameter.max, 40.0f);
    EXPECT_EQ(s.columns[10].usable, 3);  // frames 40..43 less the one without light
    EXPECT_EQ(s.columnOfFrame(41), 10);
}

TEST(CastSummaryTest, TimeStampsPutTheFramesAtTheirTimesAndPressureMakesADescent)
{
    TempDir dir;
    CastSource source = diagonalSource(dir);
    // Two stamps a minute apart, the rest missing: only those two frames have a place.
    source.frameTimes.add(0, 1000.0);
    source.frameTimes.add(63, 1060.0);
    const CastSummary t = summariseCast(source, 60, CastAxis::Time);
    EXPECT_EQ(t.axis, CastAxis::Time);
    EXPECT_DOUBLE_EQ(t.axisFirst, 1000.0);
    EXPECT_DOUBLE_EQ(t.axisLast, 1060.0);
    EXPECT_EQ(t.columns.front().firstFrame, 0);
    EXPECT_EQ(t.columns.back().firstFrame, 63);
    EXPECT_TRUE(t.columns[30].empty());

    // A frame a second with a ten-second pause after frame 31: columns a second wide,
    // the pause's ten empty.
    source.frameTimes = FrameTimes{};
    for (int f = 0; f < DiagonalCast::kFrames; ++f)
        source.frameTimes.add(f, 2000.0 + f + (f > 31 ? 10.0 : 0.0));
    const CastSummary regular = summariseCast(source, 1000, CastAxis::Time);
    EXPECT_EQ(regular.columns.size(), 73u);
    int empty = 0;
    for (const CastColumn& c : regular.columns)
        empty += c.empty();
    EXPECT_EQ(empty, 10);

    source.frameTimes = FrameTimes{};
    EXPECT_EQ(summariseCast(source, 60, CastAxis::Time).axis, CastAxis::Frame);  // no stamps: frames across
    const CastSummary p = summariseCast(source, 100, CastAxis::Pressure);
    EXPECT_EQ(p.lastProfileFrame, 63);  // the deepest frame
    EXPECT_DOUBLE_EQ(p.axisLast, 31.5);
}

// Down a CTD's depth instead of the pressure channel (which reads frame / 2 here):
// the frames lie at the depths given, those without one (NaN, past the end) nowhere,
// and the descent ends at the deepest of them.
TEST(CastSummaryTest, AProfileDownGivenDepths)
{
    TempDir dir;
    const CastSource source = diagonalSource(dir);
    const double none = std::nan("");
    auto depths = [&](auto depthOf, int count) {
        std::vector<double> d;
        for (int f = 0; f < count; ++f)
            d.push_back(depthOf(f));
        return d;
    };
    struct Case {
        const char* name;
        std::vector<double> depths;
        double first, last;
        long long deepest, shown, firstShown;
    };
    const Case cases[] = {
        {"down to frame 40 and up, frames 0-9 and 51- outside the CTD's span",
         depths([&](int f) { return f < 10 || f > 50 ? none : f <= 40 ? 10.0 + f : 90.0 - f; }, 64), 20.0, 50.0, 40,
         31, 10},
        {"fewer depths than frames", depths([](int f) { return 0.25 * f; }, 32), 0.0, 7.75, 31, 32, 0},
        {"no depth at all", std::vector<double>(64, none), 0.0, 1.0, -1, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CastSummary p = summariseCast(source, 100, CastAxis::Depth, c.depths);
        EXPECT_EQ(p.axis, CastAxis::Depth);
        EXPECT_EQ(p.frames, DiagonalCast::kFrames);
        EXPECT_DOUBLE_EQ(p.axisFirst, c.first);
        EXPECT_DOUBLE_EQ(p.axisLast, c.last);
        EXPECT_EQ(p.lastProfileFrame, c.deepest);
        EXPECT_EQ(p.shownFrames, c.shown);
        // The shallowest row holds the shallowest frame.
        if (c.firstShown >= 0)
            EXPECT_EQ(p.columns.front().firstFrame, c.firstShown);
    }
}

// A cast grown frame by frame in memory draws the same columns as the whole file
// binned into as many columns, however often its columns had to be merged, and
// whether it keeps the frames' records or only their picture.
struct LiveCase {
    int maxColumns;
    std::size_t columns;   // after the 64 frames
    int framesPerColumn;
    bool keepRecords = true;
};

class LiveCastTest : public ::testing::TestWithParam<LiveCase> {};

void expectSameRange(const CastRange& a, const CastRange& b, const char* what, std::size_t i)
{
    EXPECT_EQ(a.has(), b.has()) << what << " column " << i;
    if (a.has() && b.has()) {
        EXPECT_FLOAT_EQ(a.min, b.min) << what << " column " << i;
        EXPECT_FLOAT_EQ(a.max, b.max) << what << " column " << i;
        EXPECT_NEAR(a.mean, b.mean, 1e-5 * std::fabs(b.mean) + 1e-6) << what << " column " << i;
    }
}

TEST_P(LiveCastTest, GrowsIntoTheColumnsOfTheWholeFile)
{
    const LiveCase c = GetParam();
    TempDir dir;
    const CastSource source = diagonalSource(dir);
    LiveCast live(source, c.maxColumns, c.keepRecords);
    for (int i = 0; i < DiagonalCast::kFrames; ++i) {
        // The words of every frame but those after 40, which came without them.
        RawWords words{};
        words[0] = static_cast<std::uint16_t>(i);
        live.append(buildOutputRecord(DiagonalCast::frame(i)), i + 1, i <= 40 ? &words : nullptr);
        // Never more columns than the limit, every frame in one, the axis a whole number of columns.
        const CastSummary& s = live.summary();
        ASSERT_LE(static_cast<int>(s.columns.size()), live.maxColumns()) << i;
        EXPECT_EQ(s.frames, i + 1);
        EXPECT_EQ(s.shownFrames, s.frames);
        EXPECT_EQ(s.columns.back().lastFrame, i);
        EXPECT_DOUBLE_EQ(s.axisLast, static_cast<double>(s.columns.size()) * live.framesPerColumn());
        EXPECT_EQ(s.columnOfFrame(i), static_cast<int>(s.columns.size()) - 1);
    }
    EXPECT_EQ(live.frameNumber(DiagonalCast::kFrames - 1), DiagonalCast::kFrames);
    EXPECT_EQ(live.keepsRecords(), c.keepRecords);
    if (c.keepRecords)
        EXPECT_EQ(live.record(7)[kRecMean], buildOutputRecord(DiagonalCast::frame(7))[kRecMean]);
    ASSERT_NE(live.words(40), nullptr);
    EXPECT_EQ((*live.words(40))[0], 40);
    EXPECT_EQ(live.words(41), nullptr);
    EXPECT_EQ(live.words(DiagonalCast::kFrames), nullptr);
    const CastSummary& s = live.summary();
    ASSERT_EQ(s.columns.size(), c.columns);
    EXPECT_EQ(live.framesPerColumn(), c.framesPerColumn);
    EXPECT_DOUBLE_EQ(s.axisLast, DiagonalCast::kFrames);

    const CastSummary file = summariseCast(source, static_cast<int>(c.columns), CastAxis::Frame);
    EXPECT_EQ(s.usableFrames, file.usableFrames);
    EXPECT_EQ(s.noLightFrames, file.noLightFrames);
    EXPECT_EQ(s.flaggedFrames, file.flaggedFrames);
    EXPECT_FLOAT_EQ(s.volumeMax, file.volumeMax);
    EXPECT_EQ(s.hasPressure(), file.hasPressure());
    for (std::size_t i = 0; i < c.columns; ++i) {
        const CastColumn& a = s.columns[i];
        const CastColumn& b = file.columns[i];
        EXPECT_EQ(a.firstFrame, b.firstFrame) << i;
        EXPECT_EQ(a.lastFrame, b.lastFrame) << i;
        EXPECT_EQ(a.usable, b.usable) << i;
        for (std::size_t k = 0; k < kClasses; ++k)
            EXPECT_TRUE(a.volume[k] == b.volume[k] || (std::isnan(a.volume[k]) && std::isnan(b.volume[k])))
                << i << " class " << k;
        expectSameRange(a.meanDiameter, b.meanDiameter, "mean", i);
        expectSameRange(a.d50, b.d50, "D50", i);
        expectSameRange(a.totalVolume, b.totalVolume, "volume", i);
        expectSameRange(a.transmission, b.transmission, "transmission", i);
        expectSameRange(a.pressure, b.pressure, "pressure", i);
    }
}

INSTANTIATE_TEST_SUITE_P(Limits, LiveCastTest,
                         ::testing::Values(LiveCase{1024, 64, 1},  // room for every frame
                                           LiveCase{64, 64, 1},    // just enough
                                           LiveCase{16, 16, 4},    // merged twice
                                           LiveCase{7, 4, 16},     // an odd limit: 6, merged down to 3 and grown again
                                           LiveCase{16, 16, 4, false}));  // the picture alone

// A fast fall between two frames leaves depth rows without a frame: each frame's
// row reaches down to the next one's, never a blank stripe; the ascent after the
// deepest frame is not shown, and the count of frames shown says so.
TEST(CastSummaryTest, AProfileRowWithoutAFrameRepeatsTheRowAbove)
{
    TempDir dir;
    std::string b = bytesOf(encodePsdHeader(0, 2.0, "/cal/zsc.asc"));
    b += bytesOf(encodeDiameterRecord(DiagonalCast::frame(0)));
    for (int i = 0; i < 35; ++i) {
        CFrameResult f = DiagonalCast::frame(i);
        f.setAux(4, i < 15 ? 0.1 * i : i < 30 ? 20.0 + 0.1 * i : 50.0 - i);  // frames 30..34 come up
        b += bytesOf(encodeOutputRecord(buildOutputRecord(f)));
    }
    writeFile(dir.file("fall.psd"), b);
    CastSource source;
    source.path = dir.file("fall.psd");
    source.header = decodePsdHeader(reinterpret_cast<const unsigned char*>(b.data()));
    const CastSummary p = summariseCast(source, 100, CastAxis::Pressure);
    EXPECT_EQ(p.lastProfileFrame, 29);
    EXPECT_EQ(p.frames, 35);
    EXPECT_EQ(p.shownFrames, 30);
    ASSERT_EQ(p.columns.size(), 10u);
    EXPECT_EQ(p.columns[0].lastFrame, 14);
    for (std::size_t i = 1; i + 1 < p.columns.size(); ++i) {
        EXPECT_FALSE(p.columns[i].empty()) << "row " << i;
        EXPECT_EQ(p.columns[i].lastFrame, 14) << "row " << i;
        EXPECT_EQ(brightestClass(p.columns[i]), brightestClass(p.columns[0])) << "row " << i;
    }
    EXPECT_EQ(p.columns.back().firstFrame, 15);
    EXPECT_EQ(summariseCast(source, 100, CastAxis::Frame).shownFrames, 35);
}

TEST(CastSummaryTest, TheColourMapGetsLighterAlongItsLength)
{
    const auto map = castColourMap();
    auto luma = [&](int i) {
        const PaletteEntry& e = map[static_cast<std::size_t>(i)];
        return 0.299 * e.red + 0.587 * e.green + 0.114 * e.blue;
    };
    for (int i = 0; i + 8 < 256; i += 8)
        EXPECT_LT(luma(i), luma(i + 8)) << i;
    EXPECT_LT(luma(0), 60.0);
    EXPECT_GT(luma(255), 200.0);
}

}  // namespace
