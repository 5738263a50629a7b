// The station log of a cruise and the depth bins of its casts.
#include "platform/NumText.h"
#include "products/CtdMerge.h"
#include "products/ProfileBinning.h"
#include "products/ProfileDataset.h"
#include "products/StationLog.h"
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
    const std::string head = "recording,latitude,longitude,start_utc";
    const std::string at = ",54,7,2026-12-09T02:20:45Z\n";
    const std::vector<LogCase> cases = {
        {"defaults", head + "\nst1.raw" + at + "/abs/st2.3.raw" + at, {"st1", "st2"}, {}},
        {"headers in any case, comma",
         "Recording,CAST,Station,Latitude,LONGITUDE,Start_UTC\na.raw,c1,S 1,54.5,-7.25,2026-06-02T11:40Z\n",
         {"c1"},
         {}},
        {"bad rows are told by line, the others go on",
         "recording,latitude,longitude,model,interval_s,start_utc\n"
         "a.raw,54,7,1,0.5,2026-12-09T02:20:45Z\n"
         ",54,7,,,\n"
         "b.raw,95,7,,,2026-12-09T02:20:45Z\n"
         "c.raw,54,north,,,2026-12-09T02:20:45Z\n"
         "d.raw,54,7,3,,2026-12-09T02:20:45Z\n"
         "e.raw,54,7,,0,2026-12-09T02:20:45Z\n"
         "f.raw,54,7,,,yesterday\n"
         "g.raw,-90,360,,,2026-12-09 02:20:45+00:00\n",
         {"a", "g"},
         {"line 3: no recording named", "line 4: latitude 95 is outside -90 to 90",
          "line 5: longitude \"north\" is not a position in degrees (54.1833, 54 10.5 N, 54\xC2\xB0" "10.5'N)",
          "line 6: model \"3\" is not 0, 1 or 2", "line 7: interval_s 0 must be above 0",
          "line 8: start_utc \"yesterday\" is not an ISO 8601 time (2026-12-09T02:20:45Z, 2026-12-09T04:20+02:00)"}},
        // A profile without its position or time is no CF profile: each is refused by its column.
        {"an empty position or start time",
         "recording,latitude,longitude,start_utc\n"
         "a.raw,,7,2026-12-09T02:20:45Z\nb.raw,54,,2026-12-09T02:20:45Z\nc.raw,54,7,\nd.psd,54,7,\n",
         {"d"},
         {"line 2: latitude is empty", "line 3: longitude is empty", "line 4: start_utc is empty"}},
        {"no position columns at all", "recording,start_utc\na.raw,2026-12-09T02:20:45Z\n", {},
         {"line 2: latitude is empty"}},
        {"a time without a zone is not taken for UTC",
         head + "\na.raw,54,7,2026-12-09T02:20:45\nb.raw,54,7,2026-12-09 02:20\nc.raw,54,7,2026-12-09T04:20:45+02\n",
         {"c"},
         {"line 2: start_utc \"2026-12-09T02:20:45\" has no time zone: add Z for UTC or an offset such as +02:00, or "
          "give --assume-utc",
          "line 3: start_utc \"2026-12-09 02:20\" has no time zone: add Z for UTC or an offset such as +02:00, or "
          "give --assume-utc"}},
        {"bad offsets and positions",
         head + "\na.raw,54,7,2026-12-09T02:20:45+2:00\nb.raw,54 10.5 E,7,2026-12-09T02:20Z\n"
                "c.raw,54 60 N,7,2026-12-09T02:20Z\nd.raw,-54 10 S,7,2026-12-09T02:20Z\n"
                "e.raw,54.5 10 N,7,2026-12-09T02:20Z\n",
         {},
         {"line 2: start_utc \"2026-12-09T02:20:45+2:00\" is not an ISO 8601 time (2026-12-09T02:20:45Z, "
          "2026-12-09T04:20+02:00)",
          "line 3: latitude \"54 10.5 E\" is not a position in degrees (54.1833, 54 10.5 N, 54\xC2\xB0" "10.5'N)",
          "line 4: latitude \"54 60 N\" is not a position in degrees (54.1833, 54 10.5 N, 54\xC2\xB0" "10.5'N)",
          "line 5: latitude \"-54 10 S\" is not a position in degrees (54.1833, 54 10.5 N, 54\xC2\xB0" "10.5'N)",
          "line 6: latitude \"54.5 10 N\" is not a position in degrees (54.1833, 54 10.5 N, 54\xC2\xB0" "10.5'N)"}},
        {"a second row of the same cast", "recording,cast,latitude,longitude,start_utc\na.raw,x" + at + "b.raw,x" + at,
         {"x"}, {"line 3: cast \"x\" is already on line 2"}},
        {"a cast name that is no file name", "recording,cast,latitude,longitude,start_utc\na.raw,.." + at, {},
         {"line 2: cast name \"..\" cannot be a file name"}},
        // Two names that give one file name (also on a file system that does not tell case apart).
        {"casts stored under one file name",
         "recording,cast,latitude,longitude,start_utc\na.raw,HE626/05" + at + "b.raw,HE626_05" + at +
             "c.raw,he626:05" + at + "d.raw,../up" + at,
         {"HE626/05", "../up"},
         {"line 3: cast \"HE626_05\" would be stored as HE626_05, as cast \"HE626/05\" on line 2 is",
          "line 4: cast \"he626:05\" would be stored as he626_05, as cast \"HE626/05\" on line 2 is"}},
        {"semicolons with decimal commas, quotes, a byte-order mark, blank lines and rows",
         "\xEF\xBB\xBFrecording;latitude;longitude;start_utc;comment\n\n;;;;\n"
         "\"x;1.raw\";\"-12,5\";7;2026-12-09T02:20:45Z;\"said \"\"hi\"\"\nthere\"\n;;;;\n"
         "z.raw;1;7;2026-12-09T02:20:45Z;\n",
         {"x;1", "z"},
         {}},
        {"more fields than names", "recording,cast,latitude,longitude,start_utc\na.raw,a,54,7,2026-12-09T02:20Z,extra\n"
                                   "b.raw,b,54,7,2026-12-09T02:20Z,\n,,,,,\n",
         {"b"}, {"line 2: more fields than the header names"}},
    };
    for (const LogCase& c : cases) {
        SCOPED_TRACE(c.name);
        const StationLog log = parseStationLog(c.text, "/data", {.checkFiles = false});
        std::vector<std::string> casts, problems;
        for (const StationRow& r : log.rows)
            casts.push_back(r.cast);
        for (const StationProblem& p : log.problems)
            problems.push_back(p.text);
        EXPECT_EQ(casts, c.casts);
        EXPECT_EQ(problems, c.problems);
    }
}

TEST(StationLog, TimesAndPositionsAsScientistsWriteThem)
{
    double z = 0;
    ASSERT_TRUE(parseUtcTimestamp("2026-06-02T11:40:00Z", z));
    struct TimeRow {
        const char* text;
        StationTime::Kind kind;
        double seconds;  // after 2026-06-02T11:40:00Z
    } times[] = {
        {"2026-06-02T11:40:00Z", StationTime::Valid, 0},   {"2026-06-02T11:40Z", StationTime::Valid, 0},
        {"2026-06-02 11:40:00z", StationTime::Valid, 0},   {"2026-06-02T13:40:00+02:00", StationTime::Valid, 0},
        {"2026-06-02T13:40+0200", StationTime::Valid, 0},  {"2026-06-02T06:40:30.5-05", StationTime::Valid, 30.5},
        {"2026-06-02T00:10+00:00", StationTime::Valid, -41400},
        {"2026-06-02T11:40:00", StationTime::NoZone, 0},   {"2026-06-02 11:40", StationTime::NoZone, 0},
        {"2026-06-02T11:40:00+25:00", StationTime::Invalid, 0}, {"2026-06-02T11:40:00+02:0", StationTime::Invalid, 0},
        {"2026-06-02", StationTime::Invalid, 0},           {"11:40", StationTime::Invalid, 0},
    };
    for (const TimeRow& r : times) {
        const StationTime t = parseStationTime(r.text);
        EXPECT_EQ(t.kind, r.kind) << r.text;
        if (r.kind != StationTime::Invalid) {
            EXPECT_DOUBLE_EQ(t.seconds, z + r.seconds) << r.text;
        }
    }
    struct PositionRow {
        const char* text;
        bool latitude, decimalComma;
        double degrees;  // NaN: refused
    } positions[] = {
        {"54.1833", true, false, 54.1833},      {"54 10.5 N", true, false, 54.175},
        {"54\xC2\xB0" "10.5'N", true, false, 54.175}, {"54\xC2\xBA 10,5' S", true, true, -54.175},
        {"7 54.0 E", false, false, 7.9},        {"7 54.0 W", false, false, -7.9},
        {"S 54 10 30", true, false, -54.175},   {"-7 30", false, false, -7.5},
        {"54\xC2\xB0" "10'30\"N", true, false, 54.175}, {"54,5", true, true, 54.5},
        {"54,5", true, false, NAN},             {"54 10.5 E", true, false, NAN},
        {"7 54 N", false, false, NAN},          {"54 61", true, false, NAN},
        {"54.2 10", true, false, NAN},          {"54 10.5 30", true, false, NAN},
        {"N", true, false, NAN},                {"", true, false, NAN},
    };
    for (const PositionRow& r : positions) {
        const std::optional<double> v = parseCoordinate(r.text, r.latitude, r.decimalComma);
        if (std::isnan(r.degrees))
            EXPECT_FALSE(v) << r.text;
        else
            EXPECT_NEAR(v.value_or(NAN), r.degrees, 1e-12) << r.text;
    }
    EXPECT_EQ(castFileName("HE626/05 a\\b:c*d?e\"f<g>h|i\tj"), "HE626_05 a_b_c_d_e_f_g_h_i_j");

    // --assume-utc takes a time without a zone as UTC.
    const StationLog log = parseStationLog("recording,latitude,longitude,start_utc\na.raw,54,7,2026-06-02 11:40\n",
                                           "/data", {.checkFiles = false, .assumeUtc = true});
    ASSERT_EQ(log.rows.size(), 1u);
    EXPECT_EQ(log.rows[0].startUtc, z);
}

TEST(StationLog, ValuesOfAUsableRow)
{
    const StationLog log = parseStationLog(
        "recording;cast;station;latitude;longitude;start_utc;interval_s;model;cal_dir;Bottom depth;Notes;id;CTD\n"
        "casts/a.raw;HE626/05;\"North; deep\";54 30,0 N;7\xC2\xB0" "15'W;2026-12-09T04:20:45.5+02:00;0,25;2;cal;"
        "40,5;;007;ctd/a.cnv\n"
        "b.psd;B;;54;7;;;;;12;calm;7;\n",
        "/data", {.checkFiles = false});
    ASSERT_EQ(log.rows.size(), 2u);
    EXPECT_EQ(log.dataRows, 2);
    const StationRow& r = log.rows[0];
    EXPECT_EQ(r.line, 2);
    EXPECT_EQ(r.index, 1);
    EXPECT_EQ(r.recording, "/data/casts/a.raw");
    EXPECT_EQ(r.cast, "HE626/05");  // the name stays the cast's in the data
    EXPECT_EQ(r.fileName, "HE626_05");
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
    EXPECT_EQ(r.ctd, "/data/ctd/a.cnv");  // a known column, no attribute
    EXPECT_EQ(log.rows[1].ctd, "");
    // Only columns with a value on the row become attributes, named for NetCDF; a
    // column of numbers (decimal comma with semicolons) gives numbers, one with a
    // text or a leading zero among its values stays text.
    const std::vector<ExtraAttribute> first = {{"Bottom_depth", "40,5", 40.5}, {"id", "007", std::nullopt}};
    const std::vector<ExtraAttribute> second = {
        {"Bottom_depth", "12", 12.0}, {"Notes", "calm", std::nullopt}, {"id", "7", std::nullopt}};
    EXPECT_EQ(r.attributes, first);
    EXPECT_EQ(log.rows[1].attributes, second);
    EXPECT_FALSE(log.rows[1].startUtc);  // a .psd brings its own times

    EXPECT_THROW(parseStationLog("", "/data", {.checkFiles = false}), std::runtime_error);
    EXPECT_THROW(parseStationLog("cast,station\nx,y\n", "/data", {.checkFiles = false}), std::runtime_error);
    // With the files checked, a recording that is not there makes its row unusable,
    // and so does a .psd without a start time that has no time file beside it.
    TempDir dir;
    writeFile(dir.file("here.raw"), "x");
    writeFile(dir.file("timed.psd"), "x");
    writeFile(dir.file("timed.time.csv"), "record,utc\n");
    writeFile(dir.file("untimed.psd"), "x");
    writeFile(dir.file("here.cnv"), "x");
    const StationLog checked = parseStationLog(
        "recording,latitude,longitude,start_utc,ctd\nhere.raw,1,2,2026-12-09T02:20Z,here.cnv\n"
        "gone.raw,1,2,2026-12-09T02:20Z,\ntimed.psd,1,2,,\nuntimed.psd,1,2,,\nhere.raw,1,2,2026-12-09T02:20Z,gone.cnv\n",
        dir.path(), {});
    ASSERT_EQ(checked.rows.size(), 2u);
    ASSERT_EQ(checked.problems.size(), 3u);
    EXPECT_EQ(checked.problems[2].text, "line 6: CTD file " + dir.file("gone.cnv") + " not found");
    EXPECT_EQ(checked.problems[0].text, "line 3: recording " + dir.file("gone.raw") + " not found");
    EXPECT_EQ(checked.problems[0].index, 2);
    EXPECT_EQ(checked.problems[1].text,
              "line 5: start_utc is empty and " + dir.file("untimed.psd") + " has no time file beside it");
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
        double totalStd;  // sample standard deviation of the total volume
    };
    // Bin 1 joins frame 5, held apart until frame 6 went deeper, with frame 3: the
    // spreads of two sets of frames joined.
    const Expected bins[] = {
        {2, 3, 3.0, 0.95, std::sqrt(2.0)}, {2, 5, 4.0, 2.25, std::sqrt(8.0)}, {0, 0, 0, 0, NAN}, {1, 7, 8.0, 7.5, NAN}};
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
        auto near = [](double got, double want, double tolerance) {
            return std::isnan(want) ? std::isnan(got) : std::abs(got - want) <= tolerance;
        };
        EXPECT_PRED3(near, b.standardDeviation(kBinTotal), e.totalStd, 1e-12);
        EXPECT_PRED3(near, b.standardDeviation(kBinTransmission), e.frames > 1 ? 0.0 : NAN, 1e-7);
        EXPECT_TRUE(std::isnan(b.standardDeviation(kBinJunge)));  // no frame gave a slope
        EXPECT_TRUE(std::isnan(b.standardDeviation(kBinAux + 4)));  // kept for the statistics only
    }
    // The ascent: the frames after the deepest, binned alike.
    std::vector<int> ascent;
    for (const BinSums& b : p.ascentBins)
        ascent.push_back(b.frames);
    EXPECT_EQ(ascent, (std::vector<int>{0, 0, 1, 1}));
    EXPECT_EQ(p.ascentUsed, 2);
    EXPECT_DOUBLE_EQ(p.ascentBins[2].mean(kBinVolume + 9), 1.0);
    EXPECT_DOUBLE_EQ(p.ascentBins[3].mean(kBinVolume + 7), 8.0);
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

TEST(ProfileBinning, OnADepthInMetresByTime)
{
    // Ten frames a second apart.  The CTD's pressure rises 2 dbar a second over the
    // first eight seconds; the instrument's own channel reads what the case says.
    // Binned on the CTD, or on the channel's dbar made a depth, frame n lies at
    // unescoDepth(2n): 4 m bins hold frames 0-2, 3-4, 5-6, 7-8; frame 9 is past the
    // CTD's last scan and lies nowhere.
    constexpr double t0 = 1780000000.0, latitude = 54.0;
    CnvCast scans;
    for (int s = 0; s <= 8; s += 2) {
        scans.utc.push_back(t0 + s);
        scans.pressure.push_back(2.0 * s);
        scans.temperature.push_back(20.0 - 0.5 * s);  // linear in time: interpolated exactly
        scans.salinity.push_back(35.0 + 0.1 * s);
        scans.depth.push_back(NAN);
    }
    const CtdTrack ctd(scans, latitude);
    FrameTimes times;
    for (int n = 0; n < 10; ++n)
        times.add(n, t0 + n);
    struct Case {
        const char* name;
        BinVertical vertical;
        double channel;  // the channel's reading of frame n: channel * n
        std::vector<int> frames;
        long long deepest;
    };
    const Case cases[] = {
        {"the CTD's depth", {VerticalSource::Ctd, &ctd, latitude}, 50.0, {3, 2, 2, 2}, 8},
        {"the channel's dbar as depth", {VerticalSource::ChannelDepth, nullptr, latitude}, 2.0, {3, 2, 2, 2, 1}, 9},
        {"no depth to bin on", {VerticalSource::None, nullptr, latitude}, 2.0, {}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::vector<SyntheticFrame> frames;
        for (int n = 0; n < 10; ++n)
            frames.push_back({c.channel * n, 3, 1.0 + n});
        writeFile(dir.file("c.psd"), syntheticPsd(frames));
        const CastReader reader(dir.file("c.psd"));
        const CastProfile p = binCast(reader, times, 4.0, c.vertical);
        EXPECT_EQ(p.vertical, c.vertical.source);
        std::vector<int> got;
        for (const BinSums& b : p.bins)
            got.push_back(b.frames);
        EXPECT_EQ(got, c.frames);
        EXPECT_EQ(p.deepestFrame, c.deepest);
        if (c.frames.empty())
            continue;
        EXPECT_DOUBLE_EQ(p.maxPressure, unescoDepth(2.0 * static_cast<double>(c.deepest), latitude));
        // The frames' own values are averaged, the channel as it read.
        EXPECT_DOUBLE_EQ(p.bins[1].mean(kBinTotal), (4.0 + 5.0) / 2.0);
        EXPECT_NEAR(p.bins[1].mean(kBinAux + 4), c.channel * 3.5, 1e-5);
        // The CTD's values at the frames' times are averaged with them; none without a CTD.
        const bool ctdCast = c.vertical.source == VerticalSource::Ctd;
        const double expected[] = {2.0 * 3.5, 20.0 - 0.5 * 3.5, 35.0 + 0.1 * 3.5};
        for (int v = 0; v < 3; ++v) {
            const double got = p.bins[1].mean(kBinCtdPressure + v);
            if (ctdCast)
                EXPECT_NEAR(got, expected[v], 1e-12) << v;
            else
                EXPECT_TRUE(std::isnan(got)) << v;
        }
        EXPECT_TRUE(std::isnan(p.bins[1].standardDeviation(kBinCtdTemperature)));  // no spread kept
    }
}

TEST(ProfileBinning, WhatACastOfACruiseIsBinnedOn)
{
    const CtdTrack ctd(CnvCast{}, 0.0);
    struct Case {
        const CtdTrack* ctd;
        bool ctdCruise;
        const char* units;
        VerticalSource source;
    };
    const Case cases[] = {
        {&ctd, true, "volts", VerticalSource::Ctd},
        {nullptr, false, "dbar", VerticalSource::Channel},  // no CTD in the cruise: as calibrated
        {nullptr, true, "meters", VerticalSource::Channel},
        {nullptr, true, "m", VerticalSource::Channel},
        {nullptr, true, "dbar", VerticalSource::ChannelDepth},
        {nullptr, true, "volts", VerticalSource::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.units);
        EXPECT_EQ(binVerticalFor(c.ctd, c.ctdCruise, c.units, 10.0).source, c.source);
    }
    EXPECT_FALSE(binnedOnDepth({VerticalSource::Channel, VerticalSource::Channel}));
    EXPECT_TRUE(binnedOnDepth({VerticalSource::Channel, VerticalSource::Ctd}));

    // The cruise's axis, as the profile file, the summary's column and the report name it.
    struct AxisCase {
        std::vector<VerticalSource> sources;
        const char* channelUnits;
        bool pressure;
        const char* units;
        const char* column;
    };
    const AxisCase axes[] = {
        {{VerticalSource::Channel, VerticalSource::Channel}, "dbar", true, "dbar", ",max_pressure_dbar,"},
        {{VerticalSource::Channel, VerticalSource::Ctd}, "dbar", false, "m", ",max_depth_m,"},
        {{VerticalSource::ChannelDepth, VerticalSource::Ctd}, "dbar", false, "m", ",max_depth_m,"},
        {{VerticalSource::Channel}, "meters", false, "m", ",max_depth_m,"},
        {{VerticalSource::None, VerticalSource::Ctd}, "volts", false, "m", ",max_depth_m,"},
        {{VerticalSource::Channel}, "volts", false, "V", ",max_depth_V,"},
    };
    for (const AxisCase& c : axes) {
        SCOPED_TRACE(c.channelUnits);
        std::vector<ProfileCast> casts(c.sources.size());
        for (std::size_t i = 0; i < casts.size(); ++i)
            casts[i].profile.vertical = c.sources[i];
        const CruiseVertical v = cruiseVertical(casts, c.channelUnits);
        EXPECT_EQ(v.pressure, c.pressure);
        EXPECT_EQ(v.units, c.units);
        const std::string csv = cruiseSummaryCsv(casts, v);
        EXPECT_NE(csv.substr(0, csv.find('\n')).find(c.column), std::string::npos) << csv;
    }
}

TEST(ProfileBinning, SpreadStaysExactFarFromZeroAndAcrossJoinedBins)
{
    // Values 1e6 + {1, 2, 3, 4}, in one bin built frame by frame and in one joined
    // from two sets of frames: a plain sum of squares would lose much of the spread.
    BinSums a, b;
    FrameRow row;
    const double values[] = {1e6 + 1, 1e6 + 2, 1e6 + 3, 1e6 + 4};
    for (int i = 0; i < 4; ++i) {
        row.totalVolume = static_cast<float>(values[i]);
        row.mean = static_cast<float>(i);
        (i < 1 ? a : b).add(row);
    }
    BinSums one;
    for (int i = 0; i < 4; ++i) {
        row.totalVolume = static_cast<float>(values[i]);
        row.mean = static_cast<float>(i);
        one.add(row);
    }
    a.add(b);
    const double expected = std::sqrt(5.0 / 3.0);  // {1, 2, 3, 4}: squares 2.25 + 0.25 + 0.25 + 2.25 over 3
    for (const BinSums* s : {&a, &one}) {
        EXPECT_NEAR(s->standardDeviation(kBinTotal), expected, 1e-9);
        EXPECT_NEAR(s->standardDeviation(kBinMean), expected, 1e-12);
        EXPECT_EQ(s->frames, 4);
    }
    BinSums empty;
    empty.add(a);
    EXPECT_NEAR(empty.standardDeviation(kBinTotal), expected, 1e-9);
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
    const std::string csv = cruiseSummaryCsv({a, b}, cruiseVertical({a, b}, "meters"));
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
