// The demo recording: words that the program's calibration set, loading the demo
// files, corrects back into the forward-modelled rings; and a cast that looks like one.
#include "sim/DemoRecording.h"
#include "sim/NumberFiles.h"

#include "core/CInvPars.h"
#include "core/Settings.h"
#include "platform/FileUtil.h"
#include "platform/ScriptedPrompter.h"
#include "resources/CoreTexts.h"
#include "tests/support/TestFiles.h"
#include "tests/sim/DemoTestSet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace kavro::demo {
namespace {

// The program's own calibration set, loaded from the demo files, corrects the words.
class Correction {
public:
    explicit Correction(int model) : set_(model, settings_, prompter_)
    {
        const std::string& dir = test::demoCalibrationDir();
        prompter_.choose(joinPath(dir, ringAreaFileName(model)));
        set_.setCalibrationDirectory(dir);
        EXPECT_EQ(set_.load(), 1);
        EXPECT_EQ(set_.loadBackgroundFile(joinPath(dir, text::kBackgroundInitialName)), 1);
    }
    PerRing operator()(const RawWords& w, double* tau) const
    {
        double raw[kFrameValues];
        std::copy(w.begin(), w.end(), raw);
        PerRing c{};
        *tau = set_.transmissionAndRings(raw, c.data());
        return c;
    }

private:
    Settings settings_;
    ScriptedPrompter prompter_;
    CInvPars set_;
};

TEST(DemoRecording, CorrectionGivesBackTheForwardModelledRings)
{
    for (int model = 0; model < kModels; ++model) {
        const auto [in, frames] = test::demoRun(model, 1200, 0.0);
        const Correction correct(model);
        int saturated = 0;
        for (const DemoFrame& f : frames) {
            if (!f.laserOn)
                continue;
            if (*std::max_element(f.words.begin(), f.words.begin() + kRings) > kSaturation) {
                ++saturated;
                continue;
            }
            double tau = 0.0;
            PerRing c = correct(f.words, &tau);
            EXPECT_DOUBLE_EQ(tau, f.transmission);
            // Half a count of rounding, scaled as the correction scales it.
            const double r0 = in.background[kLaserReferenceIndex];
            for (int i = 0; i < kRings; ++i) {
                double bound = 0.5 * r0 / f.words[kLaserReferenceIndex] / tau * in.ringArea[i] * (1 + 1e-12);
                ASSERT_LE(std::fabs(c[i] - f.corrected[i]), bound) << "model " << model << " ring " << i;
            }
        }
        EXPECT_EQ(saturated, 1) << "model " << model;
    }
}

TEST(DemoRecording, NoiseIsSmallAndCentred)
{
    const auto [in, frames] = test::demoRun(0, 1200);
    const Correction correct(0);
    double sum = 0.0;
    double sumSq = 0.0;
    int n = 0;
    for (const DemoFrame& f : frames) {
        if (!f.laserOn || f.segment == "spike")
            continue;
        double tau = 0.0;
        PerRing c = correct(f.words, &tau);
        const double scale = in.background[kLaserReferenceIndex] / f.words[kLaserReferenceIndex] / tau;
        for (int i = 0; i < kRings; ++i) {
            // The error back in raw counts.
            double e = (c[i] - f.corrected[i]) / in.ringArea[i] / scale;
            EXPECT_LT(std::fabs(e), 6.0 * (0.5 + 0.002 * f.words[i]) + 0.5);
            sum += e;
            sumSq += e * e;
            ++n;
        }
    }
    EXPECT_LT(std::fabs(sum / n), 0.05);
    double rms = std::sqrt(sumSq / n);
    EXPECT_GT(rms, 0.5);
    EXPECT_LT(rms, 3.0);
}

TEST(DemoRecording, SegmentsLaserAndHousekeepingOfTheCast)
{
    const auto [in, frames] = test::demoRun(1, 1200);
    ASSERT_EQ(frames.size(), 1200u);
    int dark = 0;
    for (const DemoFrame& f : frames) {
        EXPECT_EQ(f.laserOn, f.words[kLaserPowerIndex] > kLaserFloor);
        if (!f.laserOn) {
            ++dark;
            EXPECT_EQ(f.segment, "dark");
        }
        if (f.laserOn && f.segment != "spike") {
            EXPECT_LE(*std::max_element(f.words.begin(), f.words.begin() + kRings), kSaturation);
        }
    }
    EXPECT_EQ(dark, 6);
    EXPECT_EQ(frames[3].segment, "narrow");
    EXPECT_EQ(frames[500].segment, "broad");
    EXPECT_EQ(frames[1000].segment, "bimodal");
    // Clear near the surface, turbid at the bottom of the cast.
    EXPECT_NEAR(frames[3].transmission, 0.95, 0.01);
    EXPECT_NEAR(frames[600].transmission, 0.4, 0.01);
    EXPECT_NEAR(frames[1196].transmission, 0.9, 0.01);
    // Pressure peaks mid-cast, the water is colder there, the battery runs down.
    const int pressure = kLaserPowerIndex + 4;
    const int temperature = kLaserPowerIndex + 5;
    const int battery = kLaserPowerIndex + 1;
    EXPECT_GT(frames[600].words[pressure], 800);
    EXPECT_LT(frames[10].words[pressure], 40);
    EXPECT_LT(frames[600].words[temperature], frames[10].words[temperature] - 500);
    EXPECT_LT(frames[1190].words[battery], frames[10].words[battery] - 50);
}

TEST(DemoRecording, RawAndTruthFiles)
{
    DemoInputs in = loadDemoInputs(test::demoCalibrationDir(), 2);
    RecordingOptions options;
    options.frames = 50;
    std::vector<DemoFrame> frames = simulateRecording(in, options);
    std::string raw = encodeRaw(frames);
    ASSERT_EQ(raw.size(), 50u * 80u);
    // Big-endian words, as the program's record decoder reads them.
    for (int t = 0; t < 50; ++t)
        EXPECT_EQ(decodeRawRecord(reinterpret_cast<const unsigned char*>(raw.data()) + 80 * t), frames[t].words);
    EXPECT_EQ(static_cast<unsigned char>(raw[64]), frames[0].words[kLaserPowerIndex] >> 8);
    // The same bytes every time.
    EXPECT_EQ(raw, encodeRaw(simulateRecording(in, options)));
    std::string truth = truthCsv(frames, in.diameters);
    EXPECT_EQ(truth, truthCsv(simulateRecording(in, options), in.diameters));

    std::istringstream lines(truth);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line.rfind("frame,segment,laser_on,transmission,v1,", 0), 0u);
    int rows = 0;
    while (std::getline(lines, line)) {
        EXPECT_EQ(std::count(line.begin(), line.end(), ','), 4 + kClasses) << line;
        ++rows;
    }
    EXPECT_EQ(rows, 50);
    EXPECT_EQ(truthPathFor("/data/demo.raw"), "/data/demo_truth.csv");
    EXPECT_EQ(truthPathFor("run"), "run_truth.csv");
}

TEST(DemoRecording, ShortRecordingsStillWork)
{
    for (int n : {1, 2, 7, 59, 60}) {
        const auto [in, frames] = test::demoRun(0, n);
        ASSERT_EQ(static_cast<int>(frames.size()), n);
        for (const DemoFrame& f : frames)
            EXPECT_GT(volumeMeanDiameter(in.diameters, f.volume), 0.0);
    }
}

TEST(DemoRecording, InputsMustBeCompleteAndSound)
{
    kavro::test::TempDir broken;
    writeCalibrationSet(broken.path());
    const std::string kernel = broken.file("M32x32_b.asc");
    kavro::test::writeFile(kernel, "1 2 3\n");
    try {
        loadDemoInputs(broken.path(), 1);
        FAIL() << "no failure";
    } catch (const DemoError& f) {
        EXPECT_EQ(std::string(f.what()), kernel + ": holds fewer numbers than the 1024 needed");
    }
    std::string rings;
    for (int i = 0; i < kRings; ++i)
        rings += "10\n";
    kavro::test::writeFile(broken.file("zsc.asc"), rings + "0 2500 400 1500 0 2000 0 0\n");
    try {
        loadDemoInputs(broken.path(), 0);
        FAIL() << "no failure";
    } catch (const DemoError& f) {
        EXPECT_NE(std::string(f.what()).find("zsc.asc: background laser power"), std::string::npos) << f.what();
    }
    EXPECT_THROW(loadDemoInputs(broken.file("missing"), 0), DemoError);
}

}  // namespace
}  // namespace kavro::demo
