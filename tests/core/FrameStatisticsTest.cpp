#include "core/FrameStatistics.h"
#include "core/FrameTimes.h"
#include "tests/support/TestFiles.h"

#include <cmath>
#include <ctime>
#include <numbers>
#include <gtest/gtest.h>

namespace {

// Seconds since the epoch of a UTC calendar time (timegm; Windows calls it _mkgmtime).
std::time_t utcSeconds(std::tm* tm)
{
#ifdef _WIN32
    return _mkgmtime(tm);
#else
    return timegm(tm);
#endif
}

}  // namespace

using namespace kavro;

namespace {

// Edges 1, 2, 4, ... 2^32 um: class k spans [2^k, 2^(k+1)].
ClassEdges octaveEdges()
{
    ClassEdges e{};
    for (int k = 0; k <= kClasses; ++k)
        e[static_cast<std::size_t>(k)] = std::ldexp(1.0, k);
    return e;
}

}  // namespace

TEST(FrameStatistics, PercentilesOfHandComputedDistributions)
{
    const ClassEdges e = octaveEdges();
    // All volume in class 3 (8 to 16 um): the cumulative volume rises linearly in
    // log D across it, so Dp = 8 * 2^p.
    ClassValues single{};
    single[3] = 2.5;
    FrameStatistics s = frameStatistics(single, e);
    EXPECT_NEAR(s.d10, 8.0 * std::pow(2.0, 0.1), 1e-12);
    EXPECT_NEAR(s.d50, 8.0 * std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(s.d90, 8.0 * std::pow(2.0, 0.9), 1e-12);
    EXPECT_EQ(s.modeClass, 3);
    EXPECT_NEAR(s.modeDiameter, std::sqrt(8.0 * 16.0), 1e-12);
    EXPECT_TRUE(std::isnan(s.jungeSlope));  // one resolved class fits no slope

    // 1 in class 2 (4..8), 3 in class 5 (32..64): 10 % of 4 lies 0.4 into class 2;
    // 50 % is 1 of class 5's 3; 90 % is 2.6 of its 3.
    ClassValues two{};
    two[2] = 1.0;
    two[5] = 3.0;
    s = frameStatistics(two, e);
    EXPECT_NEAR(s.d10, 4.0 * std::pow(2.0, 0.4), 1e-12);
    EXPECT_NEAR(s.d50, 32.0 * std::pow(2.0, 1.0 / 3.0), 1e-12);
    EXPECT_NEAR(s.d90, 32.0 * std::pow(2.0, 2.6 / 3.0), 1e-12);
    EXPECT_EQ(s.modeClass, 5);
    // Negative and not-a-number classes count as empty.
    two[7] = -4.0;
    two[9] = std::nan("");
    EXPECT_NEAR(frameStatistics(two, e).d50, 32.0 * std::pow(2.0, 1.0 / 3.0), 1e-12);

    const FrameStatistics none = frameStatistics(ClassValues{}, e);
    EXPECT_TRUE(std::isnan(none.d10) && std::isnan(none.d50) && std::isnan(none.d90));
    EXPECT_EQ(none.modeClass, -1);
    EXPECT_TRUE(std::isnan(none.modeDiameter) && std::isnan(none.jungeSlope));
}

TEST(FrameStatistics, JungeSlopeOfAPowerLawAndTheModelEdges)
{
    const ClassEdges e = modelClassEdges(1);
    EXPECT_DOUBLE_EQ(e[0], 1.0);
    EXPECT_DOUBLE_EQ(e[32], 250.0);
    EXPECT_NEAR(e[16], std::sqrt(250.0), 1e-9);
    // n(D) = 7 D^-4 per um and ml: the volume per class is n * width * pi/6 D^3.
    const ClassValues centre = classCentres(e);
    ClassValues v{};
    for (std::size_t k = 10; k < 20; ++k)
        v[k] = 7.0 * std::pow(centre[k], -4.0) * (e[k + 1] - e[k]) * std::numbers::pi / 6.0 * std::pow(centre[k], 3);
    EXPECT_NEAR(frameStatistics(v, e).jungeSlope, 4.0, 1e-9);
    // The number distribution of the same volumes is that power law again, per litre
    // (1 uL/L of volume is 1e9 um^3 per litre), and it has the slope it is fitted by.
    const SizeDistributionFactors f = sizeDistributionFactors(centre, e);
    for (std::size_t k = 10; k < 20; ++k) {
        EXPECT_NEAR(v[k] * f.number[k] / (7.0 * std::pow(centre[k], -4.0) * 1e9), 1.0, 1e-12) << k;
        EXPECT_NEAR(v[k] * f.volume[k], v[k] / std::log(e[k + 1] / e[k]), 1e-15) << k;
    }
    const auto rings = modelRingEdgesDeg(0);
    EXPECT_DOUBLE_EQ(rings[0], 0.049);
    EXPECT_DOUBLE_EQ(rings[32], 4.87);
    EXPECT_DOUBLE_EQ(modelClassEdges(7)[0], 5.0);  // unknown models are model 0
}

TEST(FrameStatistics, SizeDistributionsOfOneClassByHand)
{
    // One sphere of 10 um per litre in a class from 8 to 12 um: a volume of
    // pi/6 1000 um^3 = 5.235988e-7 uL per litre; dN/dD = 1 / 4 um per litre,
    // dV/dlnD = 5.235988e-7 / ln 1.5 uL/L.
    ClassValues d{};
    ClassEdges e{};
    for (std::size_t k = 0; k < d.size(); ++k) {
        d[k] = 10.0 * std::pow(1.5, static_cast<double>(k));
        e[k] = 8.0 * std::pow(1.5, static_cast<double>(k));
    }
    e[kClasses] = 8.0 * std::pow(1.5, kClasses);
    const SizeDistributionFactors f = sizeDistributionFactors(d, e);
    const double sphere = std::numbers::pi / 6.0 * 1000.0 * 1e-9;
    EXPECT_NEAR(sphere * f.number[0], 0.25, 1e-15);
    EXPECT_NEAR(sphere * f.volume[0], 5.235987755982989e-7 / 0.4054651081081644, 1e-20);
    // A class without a positive diameter or width has none.
    d[3] = 0.0;
    e[6] = e[5];
    const SizeDistributionFactors bad = sizeDistributionFactors(d, e);
    EXPECT_TRUE(std::isnan(bad.number[3]) && std::isnan(bad.volume[3]));
    EXPECT_TRUE(std::isnan(bad.number[5]) && std::isnan(bad.volume[5]));
    EXPECT_TRUE(std::isfinite(bad.number[4]));
}

TEST(FrameStatistics, ClassEdgesFromTheStoredDiameters)
{
    // Diameters evenly spaced in log D give back the edges they are the centres of.
    const ClassEdges model = modelClassEdges(2);
    const std::optional<ClassEdges> even = classEdgesFromDiameters(classCentres(model));
    ASSERT_TRUE(even.has_value());
    for (std::size_t k = 0; k < model.size(); ++k)
        EXPECT_NEAR((*even)[k] / model[k], 1.0, 1e-12) << "edge " << k;

    // Uneven diameters: every diameter lies inside its class, the inner edges are the
    // geometric midpoints, the end diameters the geometric centres of their classes.
    ClassValues uneven{};
    for (std::size_t k = 0; k < uneven.size(); ++k)
        uneven[k] = 3.0 * std::pow(1.18, static_cast<double>(k)) * (k % 3 == 0 ? 1.04 : 1.0);
    const std::optional<ClassEdges> e = classEdgesFromDiameters(uneven);
    ASSERT_TRUE(e.has_value());
    for (std::size_t k = 0; k < uneven.size(); ++k)
        EXPECT_TRUE((*e)[k] < uneven[k] && uneven[k] < (*e)[k + 1]) << "class " << k + 1;
    EXPECT_NEAR((*e)[5], std::sqrt(uneven[4] * uneven[5]), 1e-12);
    EXPECT_NEAR(std::sqrt((*e)[0] * (*e)[1]), uneven[0], 1e-12);
    EXPECT_NEAR(std::sqrt((*e)[31] * (*e)[32]), uneven[31], 1e-12);

    // The mode diameter is the class's own diameter, not the centre of its edges.
    ClassValues volume{};
    volume[6] = 1.0;
    const FrameStatistics s = frameStatistics(volume, *e, uneven);
    EXPECT_EQ(s.modeDiameter, uneven[6]);
    EXPECT_TRUE(s.d50 > (*e)[6] && s.d50 < (*e)[7]);

    // Diameters that give no edges: the model's nominal ones are used.
    struct Bad {
        std::size_t at;
        double value;
    } bad[] = {{0, 0.0}, {7, -1.0}, {9, std::nan("")}, {31, 1.0}, {12, uneven[11]}, {3, INFINITY}};
    for (const Bad& b : bad) {
        ClassValues d = uneven;
        d[b.at] = b.value;
        EXPECT_FALSE(classEdgesFromDiameters(d).has_value()) << "class " << b.at + 1 << " = " << b.value;
        EXPECT_EQ(classEdgesFor(d, 1), modelClassEdges(1));
    }
    EXPECT_EQ(classEdgesFor(uneven, 1), *e);
}

TEST(FrameStatistics, QualityFlagsAtTheirThresholds)
{
    const double nan = std::nan("");
    struct Row {
        double transmission;
        int saturated, zero;
        double volume;
        bool noBackground;
        unsigned expected;
    } rows[] = {
        {0.0, 0, 0, 0.0, false, kFlagLaserOff},
        {nan, 0, 0, 1.0, false, kFlagLaserOff},
        {0.001, 0, 0, 1.0, false, kFlagLaserOff},  // the correction's floor: no usable light
        // The floor as a .psd stores it (0.001f is a hair above 0.001): still no usable light.
        {static_cast<double>(0.001f), 0, 0, 1.0, false, kFlagLaserOff},
        {static_cast<double>(std::nextafter(0.001f, 1.0f)), 0, 0, 1.0, false, kFlagTooTurbid},
        {0.0011, 0, 0, 1.0, false, kFlagTooTurbid},
        {0.2999, 0, 0, 1.0, false, kFlagTooTurbid},
        {0.3, 0, 0, 1.0, false, 0},
        {1.0, 0, 0, 1.0, false, 0},
        {1.0001, 0, 0, 1.0, false, kFlagTooClear},
        {0.5, 1, 0, 1.0, false, kFlagSaturatedRings},
        {0.5, 0, 1, 1.0, false, kFlagZeroRings},
        {0.5, 0, 0, 1.0, true, kFlagNoBackground},
        {0.5, 0, 0, 0.0, false, kFlagNoParticles},
        {0.0, 2, 32, 0.0, true, kFlagLaserOff | kFlagSaturatedRings | kFlagZeroRings | kFlagNoBackground},
    };
    for (const Row& r : rows)
        EXPECT_EQ(qualityFlags(r.transmission, r.saturated, r.zero, r.volume, r.noBackground), r.expected)
            << "transmission " << r.transmission << " saturated " << r.saturated << " zero " << r.zero
            << " volume " << r.volume;

    CFrameResult frame;
    frame.setTransmission(0.8);
    frame.setVolume(4, 0.002);
    frame.setSaturatedRings(3);
    EXPECT_EQ(qualityFlags(frame, false), kFlagSaturatedRings);
    EXPECT_TRUE(hasDistribution(qualityFlags(frame, false)));
    EXPECT_FALSE(hasDistribution(kFlagNoParticles));
    EXPECT_TRUE(hasOptics(kFlagNoParticles));
    EXPECT_FALSE(hasOptics(kFlagLaserOff));
}

TEST(FrameTimes, ReadsTheLiveTimeFile)
{
    test::TempDir dir;
    EXPECT_EQ(frameTimesPathFor(dir.file("cast1.psd")), dir.file("cast1.time.csv"));
    const std::string path = dir.file("cast1.time.csv");
    std::tm tm{};
    tm.tm_year = 2026 - 1900;
    tm.tm_mon = 11;
    tm.tm_mday = 9;
    tm.tm_hour = 2;
    tm.tm_min = 20;
    tm.tm_sec = 45;
    // Today's file names the .psd record from 0; an earlier version's "frame,utc" file
    // counts from 1 (its line 0 names no record).  Both give the same records their times.
    struct Format {
        const char* header;
        int first;
    } formats[] = {{"record,utc", 0}, {"frame,utc", 1}, {"\xEF\xBB\xBFrecord,utc", 0}};
    for (const Format& f : formats) {
        SCOPED_TRACE(f.header);
        auto n = [&](int record) { return std::to_string(record + f.first); };
        // CRLF lines, a record stamped twice (the later wins), and a last line cut short.
        test::writeFile(path, std::string(f.header) + "\r\n" + (f.first ? "0,2026-12-09T02:20:44.923Z\r\n" : "") +
                                  n(16) + ",2026-12-09T02:20:45.123Z\r\n" + n(1) + ",2024-02-29T23:59:59Z\n" + n(1) +
                                  ",2024-02-29T23:59:58.5Z\n" + n(17) + ",2026-12-09T02:2");
        FrameTimes times;
        std::string error;
        ASSERT_TRUE(readFrameTimes(path, times, error)) << error;
        EXPECT_NEAR(times.utcOfRecord(16), static_cast<double>(utcSeconds(&tm)) + 0.123, 1e-6);
        EXPECT_EQ(formatUtcTimestamp(times.utcOfRecord(16)), "2026-12-09T02:20:45.123Z");
        EXPECT_EQ(formatUtcTimestamp(times.utcOfRecord(1)), "2024-02-29T23:59:58.500Z");
        EXPECT_EQ(times.count(), 2);
        EXPECT_EQ(formatUtcTimestamp(times.earliest()), "2024-02-29T23:59:58.500Z");
        EXPECT_TRUE(std::isnan(times.utcOfRecord(0)));
        EXPECT_TRUE(std::isnan(times.utcOfRecord(17)));
        EXPECT_TRUE(times.halfLineLeftOut());
    }
    FrameTimes times;
    std::string error;

    // A half line is what a recording cut off while writing it leaves: left out and
    // told, even when what was written of it reads as a time.
    struct Ending {
        const char* content;
        long long count;
        bool halfLine;
    } endings[] = {
        {"record,utc\n0,2026-12-09T02:20:44.923Z\n", 1, false},
        {"record,utc\n0,2026-12-09T02:20:44.923Z\r\n", 1, false},
        {"record,utc\n0,2026-12-09T02:20:44.923Z\n1,2026-12-09T02:20:45.4", 1, true},
        {"record,utc\n0,2026-12-09T02:20:44.923Z\n1,", 1, true},
        {"record,utc\n1,2026-12-09T02:20", 0, true},
        {"record,utc\n", 0, false},
        {"record,utc", 0, false},  // the header alone, without its line end
    };
    for (const Ending& e : endings) {
        SCOPED_TRACE(e.content);
        test::writeFile(path, e.content);
        ASSERT_TRUE(readFrameTimes(path, times, error)) << error;
        EXPECT_EQ(times.count(), e.count);
        EXPECT_EQ(times.halfLineLeftOut(), e.halfLine);
    }

    struct Bad {
        const char* content;
        const char* error;
    } bad[] = {
        {"frame;utc\n0,2026-12-09T02:20:44.923Z\n", "the first line is not \"record,utc\""},
        {"record,UTC\n0,2026-12-09T02:20:44.923Z\n", "the first line is not \"record,utc\""},
        {"", "the first line is not \"record,utc\""},
        {"frame,utc\n0,2026-12-09T02:20:44.923Z\n-1,2026-12-09T02:20:44Z\n", "line 3: "},
        {"record,utc\n0,2026-12-09T02:20:44.923Z\n-1,2026-12-09T02:20:44Z\n", "line 3: "},
        {"frame,utc\n0,2026-02-30T02:20:44Z\n", "line 2: "},
        {"frame,utc\n0,2026-12-09 02:20:44Z\n", "line 2: "},
        {"frame,utc\nx,2026-12-09T02:20:44Z\n", "line 2: "},
        {"frame,utc\n0,2026-12-09T02:20:44.Z\n", "line 2: "},
    };
    for (const Bad& b : bad) {
        test::writeFile(path, b.content);
        EXPECT_FALSE(readFrameTimes(path, times, error)) << b.content;
        EXPECT_EQ(error.rfind(b.error, 0), 0u) << error;
    }
    EXPECT_FALSE(readFrameTimes(dir.file("missing.time.csv"), times, error));
}
