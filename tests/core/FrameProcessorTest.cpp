#include "auxiliary/CHKInfo.h"
#include "core/FrameProcessor.h"
#include "core/Inversion.h"
#include "tests/core/CoreFixture.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace kavro;
using namespace kavro::test;

namespace {

struct Frame {
    double raw[40] = {};
    Frame(double power, double reference, double ring)
    {
        for (int i = 0; i < 32; ++i)
            raw[i] = ring;
        raw[32] = power;
        raw[35] = reference;
    }
};

class Correction : public ::testing::Test {
protected:
    void SetUp() override
    {
        prompter.choose(env.cal.path("RingArea_a.asc"));
        cal.setCalibrationDirectory(env.cal.dir.path());
        ASSERT_EQ(cal.load(), 1);
        ASSERT_EQ(cal.loadBackgroundFile(env.cal.path("zsc.asc")), 1);  // rings 10, P0 4000, R0 2000
    }
    CoreEnv env;
    ScriptedPrompter prompter;
    CInvPars cal{0, env.settings, prompter};
    CHKInfo aux;
    FrameProcessor processor() { return FrameProcessor(cal, aux, ProcessingOptions{50, 0}); }
};

}  // namespace

TEST_F(Correction, FullTransmissionSubtractsTheBackground)
{
    Frame f(4000, 2000, 110);
    FrameWork w;
    CFrameResult r;
    processor().correct(f.raw, f.raw[32], false, w, r);
    EXPECT_EQ(w.laserOK, 1);
    EXPECT_DOUBLE_EQ(w.transmission, 1.0);
    EXPECT_DOUBLE_EQ(w.beamAttenuation, 0.0);
    EXPECT_DOUBLE_EQ(w.corrected[0], 100.0);  // (110 − 10) × ring area 1
    EXPECT_DOUBLE_EQ(r.transmission(), 1.0);
}

TEST_F(Correction, TransmissionAndBeamAttenuation)
{
    FrameWork w;
    CFrameResult r;
    Frame turbid(150, 3000, 0);
    processor().correct(turbid.raw, turbid.raw[32], false, w, r);
    EXPECT_DOUBLE_EQ(w.transmission, 0.025);
    EXPECT_NEAR(w.beamAttenuation, 73.78, 0.005);
    // The transmission floor: 101 / (2 × 60000) ≈ 0.00084 is raised to 0.001.
    Frame dark(101, 60000, 0);
    processor().correct(dark.raw, dark.raw[32], false, w, r);
    EXPECT_EQ(w.transmission, 0.001);
    EXPECT_NEAR(w.beamAttenuation, 138.155, 0.001);
    EXPECT_NEAR(r.beamAttenuation(), 138.155, 0.001);
}

TEST_F(Correction, LaserAtOrBelowTheFloorGivesNothing)
{
    Frame f(100.0, 2000, 500);
    FrameWork w;
    CFrameResult r;
    processor().correct(f.raw, f.raw[32], false, w, r);
    EXPECT_EQ(w.laserOK, 0);
    EXPECT_EQ(w.transmission, 0.0);
    EXPECT_EQ(w.beamAttenuation, 0.0);
    for (double c : w.corrected)
        EXPECT_EQ(c, 0.0);
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(r.vsf(i), 0.0);
    FrameWork iw = w;
    processor().invert(iw, r);
    EXPECT_EQ(r.volumeSum(), 0.0);
    EXPECT_EQ(r.mean(), -1.0);
    EXPECT_EQ(r.stdDev(), -1.0);
}

TEST_F(Correction, NoLaserReferenceMeansNoUsableLightAndEverythingStaysFinite)
{
    for (double reference : {0.0, -5.0}) {
        Frame f(3000, reference, 500);
        FrameWork w;
        CFrameResult r;
        processor().correct(f.raw, f.raw[32], false, w, r);
        processor().invert(w, r);
        EXPECT_EQ(w.laserOK, 0);
        EXPECT_EQ(r.transmission(), 0.0);
        EXPECT_EQ(r.beamAttenuation(), 0.0);
        for (int i = 0; i < 32; ++i) {
            EXPECT_TRUE(std::isfinite(r.vsf(i)));
            EXPECT_TRUE(std::isfinite(r.volume(i)));
        }
    }
    // A background without a laser reference reading: the rings are not scaled.
    double bg[40] = {};
    bg[32] = 4000;
    bg[35] = 0;
    ASSERT_EQ(cal.setBackground(bg), 1);
    Frame f(4000, 2000, 110);
    FrameWork w;
    CFrameResult r;
    processor().correct(f.raw, f.raw[32], false, w, r);
    EXPECT_DOUBLE_EQ(w.corrected[3], 110.0);
}

TEST_F(Correction, AuxValuesRingCountsAndMultiScan)
{
    Frame f(4000, 2000, 100);
    f.raw[0] = 0;
    f.raw[1] = 4093;
    f.raw[2] = 4094;
    f.raw[3] = 0;
    f.raw[33] = 2000;  // battery
    FrameWork w;
    CFrameResult r;
    processor().correct(f.raw, f.raw[32], false, w, r);
    EXPECT_EQ(r.zeroRings(), 2);
    EXPECT_EQ(r.saturatedRings(), 1);
    EXPECT_DOUBLE_EQ(r.aux(0), 4000 * 0.0012);
    EXPECT_DOUBLE_EQ(r.aux(1), 2000 * 0.005017);
    processor().correct(f.raw, f.raw[32], true, w, r);
    EXPECT_DOUBLE_EQ(r.aux(1), 2000 / 16.0 * 0.005017);
}

TEST_F(Correction, VolumeScatteringFunction)
{
    // corrected ring 0 = 100 at τ = 1: w = 105 / 1.32 × 100.
    Frame f(4000, 2000, 110);
    f.raw[31] = 10;  // corrected 0 → the floor, −30
    f.raw[30] = 5;   // negative corrected → −30
    FrameWork w;
    CFrameResult r;
    processor().correct(f.raw, f.raw[32], false, w, r);
    EXPECT_DOUBLE_EQ(r.vsf(0), std::log10(105.0 / (1.32 * 1.0) * 100.0));
    EXPECT_DOUBLE_EQ(r.vsf(1), std::log10(105.0 / (std::pow(1.32, 2) * 1.0) * 100.0));
    EXPECT_EQ(r.vsf(31), -30.0);
    EXPECT_EQ(r.vsf(30), -30.0);
}

TEST(Inversion, StatisticsAndFloors)
{
    CFrameResult r;
    for (int k = 0; k < 32; ++k)
        r.setDiameter(k, 10.0 * (k + 1));
    r.setVolume(6, 2.0);
    FrameProcessor::statistics(r);
    EXPECT_EQ(r.mean(), 70.0);
    EXPECT_EQ(r.stdDev(), 0.0);
    EXPECT_EQ(r.totalVolume(), 2.0);

    r.setVolume(6, 0.0);
    r.setTotalVolume(5.0);
    FrameProcessor::statistics(r);
    EXPECT_EQ(r.mean(), -1.0);
    EXPECT_EQ(r.stdDev(), -1.0);
    EXPECT_EQ(r.totalVolume(), 5.0);  // left unchanged

    r.setVolume(0, 1.0);
    r.setVolume(2, 1.0);
    FrameProcessor::statistics(r);
    EXPECT_EQ(r.mean(), 20.0);
    EXPECT_EQ(r.stdDev(), 10.0);

    // A diameter that is not a number never reaches the outputs.
    r.setDiameter(5, std::nan(""));
    FrameProcessor::statistics(r);
    EXPECT_EQ(r.mean(), -1.0);
    EXPECT_EQ(r.stdDev(), -1.0);
}

TEST(Inversion, RingsFiveAndSixReplacement)
{
    double d[32] = {};
    d[2] = 3.0;
    d[3] = 4.0;
    d[6] = 7.0;
    d[7] = 8.0;
    FrameProcessor::replaceRings5And6(d);
    EXPECT_NEAR(d[4], 5.012, 1e-9);
    EXPECT_NEAR(d[5], 6.021, 1e-9);
    double e[32] = {};
    e[2] = e[3] = e[6] = e[7] = 1.0;
    FrameProcessor::replaceRings5And6(e);
    EXPECT_NEAR(e[4], 1.0, 1e-12);
    EXPECT_NEAR(e[5], 1.0, 1e-12);
}

TEST_F(Correction, InversionWithZeroIterationsAndTheClassFloor)
{
    CFrameResult r;
    for (int k = 0; k < 32; ++k)
        r.setDiameter(k, cal.classDiameter(k));  // 1..32
    r.setVolumeConversion(10.0);
    FrameWork w;
    w.laserOK = 1;
    FrameProcessor(cal, aux, ProcessingOptions{0, 0}).invert(w, r);
    EXPECT_DOUBLE_EQ(r.volume(0), 0.1);  // D / V
    EXPECT_DOUBLE_EQ(r.volume(31), 3.2);

    r.setVolumeConversion(1000.0);
    FrameProcessor(cal, aux, ProcessingOptions{0, 0}).invert(w, r);
    EXPECT_EQ(r.volume(0), 0.001);  // exactly 0.001 stays
    r.setVolumeConversion(1001.0);
    FrameProcessor(cal, aux, ProcessingOptions{0, 0}).invert(w, r);
    EXPECT_EQ(r.volume(0), 0.0);  // 0.000999 becomes 0
}

TEST_F(Correction, ProcOptionReplacesRingsAfterTheScatteringFunction)
{
    Frame f(4000, 2000, 10);
    f.raw[2] = 13;
    f.raw[3] = 14;
    f.raw[4] = 110;
    f.raw[6] = 17;
    f.raw[7] = 18;
    FrameWork w;
    CFrameResult r;
    for (int k = 0; k < 32; ++k)
        r.setDiameter(k, k + 1.0);
    FrameProcessor p(cal, aux, ProcessingOptions{50, 1});
    p.correct(f.raw, f.raw[32], false, w, r);
    const double vsfRing5 = r.vsf(4);
    EXPECT_DOUBLE_EQ(vsfRing5, std::log10(105.0 / std::pow(1.32, 5) * 100.0));  // measured value
    p.invert(w, r);
    EXPECT_NEAR(w.corrected[4], 5.012, 1e-9);
    EXPECT_NEAR(w.corrected[5], 6.021, 1e-9);
    EXPECT_EQ(r.vsf(4), vsfRing5);
}

TEST(Inversion, IdentityKernelRecoversTheDataAfterOneIteration)
{
    double m[1024] = {};
    for (int r = 0; r < 32; ++r)
        m[33 * r] = 1.0;
    double d[32], x[32];
    for (int r = 0; r < 32; ++r)
        d[r] = r * 0.5 + 1.0;
    invertReference(m, m, d, 1, x);
    for (int k = 0; k < 32; ++k)
        EXPECT_DOUBLE_EQ(x[k], d[k]);
    invertReference(m, m, d, 0, x);
    for (int k = 0; k < 32; ++k)
        EXPECT_EQ(x[k], 1.0);
}
