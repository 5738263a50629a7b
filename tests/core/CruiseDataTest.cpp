// The station log of a cruise and the depth bins of its casts.
#include "core/ProfileBinning.h"
#include "core/ProfileDataset.h"
#include "core/StationLog.h"
#include "platform/NumText.h"
#include "tests/support/SyntheticCast.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace kavro;
using namespace kavro::test;

namespace {

struct LogCase {
    const char* name;
    std::string text;
    std::vector<std::string> casts;     // the usable rows' casts, in order
    std::vector<std::string> problems;  // the refused rows' texts, in order
};

}  // namespace

TEST(StationLog, RowsAreCheckedOneByOne)
{
    const std::vector<LogCase> cases = {
        {"defaults", "recording\nst1.raw\n/abs/st2.3.raw\n", {"st1", "st2"}, {}},
        {"headers in any case, comma",
         "Recording,CAST,Station,Latitude,LONGITUDE\na.raw,c1,S 1,54.5,-7.25\n",
         {"c1"},
         {}},
        {"bad rows are told by line, the others go on",
         "recording,latitude,longitude,model,interval_s,start_utc\n"
         "a.raw,54,7,1,0.5,2026-12-09T02:20:45Z\n"
         ",54,7,,,\n"
         "b.raw,95,7,,,\n"
         "c.raw,54,north,,,\n"
         "d.raw,54,7,3,,\n"
         "e.raw,54,7,,0,\n"
         "f.raw,54,7,,,yesterday\n"
         "g.raw,-90,360,,,2026-12-09 02:20:45\n",
         {"a", "g"},
         {"line 3: no recording named", "line 4: latitude 95 is outside -90 to 90",
          "line 5: longitude \"north\" is not a number", "line 6: model \"3\" is not 0, 1 or 2",
          "line 7: interval_s 0 must be above 0",
          "line 8: start_utc \"yesterday\" is not an ISO 8601 UTC time (2026-12-09T02:20:45Z)"}},
        {"a second row of the same cast", "recording,cast\na.raw,x\nb.raw,x\n", {"x"},
         {"line 3: cast \"x\" is already on line 2"}},
        {"a cast name that is no file name", "recording,cast\na.raw,../up\n", {}, {"line 2: cast name \"../up\" cannot be a file name"}},
        {"semicolons with decimal commas, quotes, a byte-order mark, blank lines",
         "\xEF\xBB\xBFrecording;latitude;comment\n\n\"x;1.raw\";\"-12,5\";\"said \"\"hi\"\"\nthere\"\nz.raw;1;\n",
         {"x;1", "z"},
         {}},
        {"more fields than names", "recording,cast\na.raw,a,extra\nb.raw,b,\n", {"b"},
         {"line 2: more fields than the header names"}},
    };
    for (const LogCase& c : cases) {
        SCOPED_TRACE(c.name);
        const StationLog log = parseStationLog(c.text, "/data", false);
        std::vector<std::string> casts, problems;
        for (const StationRow& r : log.rows)
            casts.push_back(r.cast);
        for (const StationProblem& p : log.problems)
            problems.push_back(p.text);
        EXPECT_EQ(casts, c.casts);
        EXPECT_EQ(problems, c.problems);
    }
}

TEST(StationLog, ValuesOfAUsableRow)
{
    const StationLog log = parseStationLog(
        "recording;cast;station;latitude;longitude;start_utc;interval_s;model;cal_dir;Bottom depth;Notes\n"
        "casts/a.raw;A1;\"North; deep\";54,5;-7,25;2026-12-09T02:20:45.5+00:00;0,25;2;cal;4012;\n"
        "recording;cast\n",  // a row whose recording is named "recording": usable, no surprise
        "/data", false);
    ASSERT_EQ(log.rows.size(), 2u);
    EXPECT_EQ(log.dataRows, 2);
    const StationRow& r = log.rows[0];
    EXPECT_EQ(r.line, 2);
    EXPECT_EQ(r.index, 1);
    EXPECT_EQ(r.recording, "/data/casts/a.raw");
    EXPECT_EQ(r.station, "North; deep");
    EXPECT_DOUBLE_EQ(r.latitude, 54.5);
    EXPECT_DOUBLE_EQ(r.longitude, -7.25);
    ASSERT_TRUE(r.startUtc);
    double expected = 0;
    ASSERT_TRUE(parseUtcTimestamp("2026-12-09T02:20:45.500Z", expected));
    EXPECT_DOUBLE_EQ(*r.startUtc, expected);
    EXPECT_DOUBLE_EQ(r.interval, 0.25);
    EXPECT_EQ(r.model, 2);
    EXPECT_EQ(r.calDir, "/data/cal");
    // Only columns with a value on the row become attributes, named for NetCDF.
    ASSERT_EQ(r.attributes.size(), 1u);
    EXPECT_EQ(r.attributes[0].first, "Bottom_depth");
    EXPECT_EQ(r.attributes[0].second, "4012");
    EXPECT_TRUE(std::isnan(log.rows[1].latitude));

    EXPECT_THROW(parseStationLog("", "/data", false), std::runtime_error);
    EXPECT_THROW(parseStationLog("cast,station\nx,y\n", "/data", false), std::runtime_error);
    // With the files checked, a recording that is not there makes its row unusable.
    TempDir dir;
    writeFile(dir.file("here.raw"), "x");
    const StationLog checked = parseStationLog("recording\nhere.raw\ngone.raw\n", dir.path(), true);
    ASSERT_EQ(checked.rows.size(), 1u);
    ASSERT_EQ(checked.problems.size(), 1u);
    EXPECT_EQ(checked.problems[0].text, "line 3: recording " + dir.file("gone.raw") + " not found");
    EXPECT_EQ(checked.problems[0].index, 2);
}

namespace {

// A descent of known bins (bin size 2): frames above the surface, on a bin's
// lower edge, a turn upwards before going deeper, flagged frames, an empty bin,
// the largest pressure twice, and the way up.
const std::vector<SyntheticFrame> kDescent = {
    {-0.5, 3, 1.0},                        // 0: above the surface, in no bin
    {0.0, 3, 2.0},                         // 1: bin 0
    {1.9, 3, 4.0},                         // 2: bin 0
    {2.0, 5, 6.0},                         // 3: bin 1 (its lower edge)
    {3.0, 5, 9.0, true},                   // 4: laser off: left out
    {2.5, 5, 2.0},                         // 5: up again, but before the deepest frame: bin 1
    {7.0, 7, 5.0, false, true},            // 6: saturated: left out (bin 2 stays empty)
    {7.5, 7, 8.0},                         // 7: the deepest, first at the largest pressure: bin 3
    {7.5, 7, 8.0},                         // 8: as deep, after it: not the descent
    {5.0, 9, 1.0},                         // 9: the way up
};

// The centre of class k between the edges the cast's stored diameters give.
double centre(int k)
{
    ClassValues diameters{};
    for (int c = 0; c < kClasses; ++c)
        diameters[static_cast<std::size_t>(c)] = 1.0 + c;  // as syntheticPsd stores them for model 0
    const ClassEdges e = classEdgesFor(diameters, 0);
    return std::sqrt(e[static_cast<std::size_t>(k)] * e[static_cast<std::size_t>(k + 1)]);
}

CastProfile profileOf(const std::vector<SyntheticFrame>& frames, double bin, const TempDir& dir)
{
    writeFile(dir.file("c.psd"), syntheticPsd(frames));
    const CastReader reader(dir.file("c.psd"));
    return binCast(reader, FrameTimes{}, bin);
}

}  // namespace

TEST(ProfileBinning, EveryBinOfAKnownDescent)
{
    TempDir dir;
    const CastProfile p = profileOf(kDescent, 2.0, dir);
    struct Expected {
        int frames;
        int sizeClass;
        double volume;  // mean in that class
        double pressure;
    };
    const Expected bins[] = {{2, 3, 3.0, 0.95}, {2, 5, 4.0, 2.25}, {0, 0, 0, 0}, {1, 7, 8.0, 7.5}};
    ASSERT_EQ(p.bins.size(), 4u);
    for (std::size_t k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        const BinSums& b = p.bins[k];
        const Expected& e = bins[k];
        EXPECT_EQ(b.frames, e.frames);
        EXPECT_DOUBLE_EQ(p.binCentre(k), 2.0 * k + 1.0);
        if (e.frames == 0) {
            for (int v = 0; v < kBinValueCount; ++v)
                EXPECT_TRUE(std::isnan(b.mean(v))) << v;
            continue;
        }
        for (int c = 0; c < kClasses; ++c)
            EXPECT_DOUBLE_EQ(b.mean(kBinVolume + c), c == e.sizeClass ? e.volume : 0.0) << c;
        EXPECT_DOUBLE_EQ(b.mean(kBinTotal), e.volume);
        EXPECT_DOUBLE_EQ(b.mean(kBinMean), 10.0 + e.sizeClass);
        // All the volume in one class: every percentile lies inside it, D50 at its centre.
        EXPECT_NEAR(b.mean(kBinD50), centre(e.sizeClass), 1e-9 * centre(e.sizeClass));
        EXPECT_NEAR(b.mean(kBinTransmission), 0.8, 1e-7);
        EXPECT_NEAR(b.mean(kBinBeamAttenuation), 0.5, 1e-7);
        EXPECT_NEAR(b.mean(kBinAux + 4), e.pressure, 1e-6);
        EXPECT_NEAR(b.mean(kBinAux + 5), 10.0 + e.pressure / 4.0, 1e-6);
        EXPECT_TRUE(std::isnan(b.mean(kBinJunge)));  // one resolved class: no slope
    }
    EXPECT_EQ(p.frames, 10);
    EXPECT_EQ(p.deepestFrame, 7);
    EXPECT_EQ(p.descentFrames, 8);
    EXPECT_EQ(p.descentUsed, 5);
    EXPECT_DOUBLE_EQ(p.maxPressure, 7.5);
    EXPECT_EQ(p.byFlag[0], 1);  // laser off
    EXPECT_EQ(p.byFlag[3], 1);  // saturated rings
    EXPECT_EQ(p.unflagged, 8);
    // D50 of the unflagged frames: classes 3, 3, 3, 5, 5, 7, 7, 9.
    EXPECT_NEAR(p.medianD50, centre(5), 1e-9 * centre(5));
    EXPECT_DOUBLE_EQ(p.meanTotalVolume, (1 + 2 + 4 + 6 + 2 + 8 + 8 + 1) / 8.0);
    EXPECT_DOUBLE_EQ(p.meanSpectrum[3], 7.0 / 8.0);
    EXPECT_TRUE(std::isnan(p.descentStartUtc));
}

TEST(ProfileBinning, DescentEnds)
{
    struct Case {
        const char* name;
        std::vector<SyntheticFrame> frames;
        double bin;
        long long descentFrames, used;
        std::vector<int> binFrames;
    };
    const std::vector<Case> cases = {
        {"no frames", {}, 1.0, 0, 0, {}},
        {"a flat cast ends at its first frame", {{3.0, 1}, {3.0, 1}, {3.0, 1}}, 1.0, 1, 1, {0, 0, 0, 1}},
        {"yo-yo: what lies before the deepest frame counts",
         {{1.0, 1}, {4.0, 1}, {2.0, 1}, {6.0, 1}, {1.0, 1}},
         2.0,
         4,
         4,
         {1, 1, 1, 1}},
        {"half-metre bins", {{0.25, 1}, {0.5, 1}, {0.74, 1}, {0.76, 1}}, 0.5, 4, 4, {1, 3}},
        {"a corrupt pressure beyond any bin is the deepest but in no bin", {{1.0, 1}, {1e12, 1}}, 1.0, 2, 1, {0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const CastProfile p = profileOf(c.frames, c.bin, dir);
        EXPECT_EQ(p.descentFrames, c.descentFrames);
        EXPECT_EQ(p.descentUsed, c.used);
        std::vector<int> counts;
        for (const BinSums& b : p.bins)
            counts.push_back(b.frames);
        EXPECT_EQ(counts, c.binFrames);
    }
}

TEST(ProfileBinning, SummaryRowsAndCoverage)
{
    TempDir dir;
    ProfileCast a, b;
    a.name = "A";
    a.station = "North, deep";
    a.latitude = 54.5;
    a.longitude = -7.25;
    a.profile = profileOf(kDescent, 2.0, dir);
    b.name = "B";
    b.latitude = b.longitude = std::nan("");
    b.profile = profileOf({{12.0, 1}}, 2.0, dir);
    const std::string csv = cruiseSummaryCsv({a, b}, "meters");
    EXPECT_EQ(csv,
              "cast,station,latitude,longitude,start_utc,end_utc,frames,frames_laser_off_or_too_weak,"
              "frames_water_too_clear,frames_water_too_turbid,frames_saturated_rings,frames_zero_rings,"
              "frames_background_missing,frames_no_particles,max_depth_m,descent_frames_used,median_d50_um,"
              "mean_total_volume_conc_ul_per_l\n"
              "A,\"North, deep\",54.5,-7.25,,,10,1,0,0,1,0,0,0,7.5,5," +
                  formatG(centre(5), 7) + ",4\nB,,,,,,1,0,0,0,0,0,0,0,12,1," + formatG(centre(1), 7) + ",1\n");
    const CruiseCoverage c = cruiseCoverage({a, b});
    EXPECT_EQ(c.latMin, 54.5);
    EXPECT_EQ(c.latMax, 54.5);
    EXPECT_DOUBLE_EQ(c.depthMin, 1.0);   // the shallowest bin with frames
    EXPECT_DOUBLE_EQ(c.depthMax, 13.0);  // bin 6 of B
    EXPECT_TRUE(std::isnan(c.timeMin));
}
