// The demo calibration sets: geometry, kernel physics, normalisations and the files.
#include "sim/DemoCalibration.h"

#include "core/CInvPars.h"
#include "platform/FileUtil.h"
#include "resources/CoreTexts.h"
#include "tests/support/TestFiles.h"
#include "sim/NumberFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>

namespace kavro::demo {
namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

std::vector<std::string> setFileNames()
{
    std::vector<std::string> names = {text::kFactoryBackgroundName, text::kBackgroundInitialName};
    for (int m = 0; m < kModels; ++m)
        for (const std::string& n : {modelFiles(m).kernel, modelFiles(m).h, modelFiles(m).diameters,
                                     modelFiles(m).gain, ringAreaFileName(m)})
            names.push_back(n);
    return names;
}

TEST(DemoGeometry, RingsAndClassesSpanTheAxesOfTheMainView)
{
    struct Expect {
        double thetaMin, thetaMax, dMin, dMax;
    };
    const Expect expect[kModels] = {{0.049, 4.87, 5.0, 500.0}, {0.097, 19.5, 1.0, 250.0}, {0.049, 9.74, 2.5, 500.0}};
    for (int m = 0; m < kModels; ++m) {
        RingEdges rings = ringEdges(m);
        ClassEdges classes = classEdges(m);
        PerClass d = classDiameters(m);
        EXPECT_NEAR(rings.front(), expect[m].thetaMin * kDeg, 1e-15);
        EXPECT_NEAR(rings.back(), expect[m].thetaMax * kDeg, 1e-15);
        EXPECT_DOUBLE_EQ(classes.front(), expect[m].dMin);
        EXPECT_DOUBLE_EQ(classes.back(), expect[m].dMax);
        const double ringRatio = rings[1] / rings[0];
        const double classRatio = classes[1] / classes[0];
        for (int i = 0; i < kRings; ++i) {
            EXPECT_NEAR(rings[i + 1] / rings[i], ringRatio, 1e-12);
            EXPECT_NEAR(classes[i + 1] / classes[i], classRatio, 1e-12);
            EXPECT_NEAR(d[i] * d[i], classes[i] * classes[i + 1], 1e-9 * d[i] * d[i]);
        }
    }
    // Any other model index answers the set "a".
    EXPECT_EQ(ringAreaFileName(5), "RingArea_a.asc");
    EXPECT_EQ(ringAreaFileName(1), "RingArea_b.asc");
    EXPECT_EQ(ringAreaFileName(2), "RingArea_c.asc");
}

TEST(DemoKernel, PositiveAndPeakingFurtherOutForSmallerParticles)
{
    for (int m = 0; m < kModels; ++m) {
        Matrix kernel = kernelMatrix(m);
        int previousPeak = kRings;
        for (int k = 0; k < kClasses; ++k) {
            int peak = 0;
            for (int r = 0; r < kRings; ++r) {
                EXPECT_GT(kernel[kClasses * r + k], 0.0) << "model " << m << " ring " << r << " class " << k;
                if (kernel[kClasses * r + k] > kernel[kClasses * peak + k])
                    peak = r;
            }
            // Classes ascend in diameter, so the peak ring never moves outward.
            EXPECT_LE(peak, previousPeak) << "model " << m << " class " << k;
            previousPeak = peak;
        }
        // The smallest class peaks well outside the largest one.
        int firstPeak = 0;
        for (int r = 0; r < kRings; ++r)
            if (kernel[kClasses * r] > kernel[kClasses * firstPeak])
                firstPeak = r;
        EXPECT_GE(firstPeak - previousPeak, 20) << "model " << m;
    }
}

TEST(DemoKernel, ColumnSumsAreTheDiffractedShareSeenByTheRings)
{
    // A class whose Airy pattern lies wholly on the detector puts all its light on
    // the rings: sum over r of M[r][k] = G 1.5 L / 58000 (D_k / D averaged over the class).
    for (int m = 0; m < kModels; ++m) {
        Matrix kernel = kernelMatrix(m);
        const double full = modelGeometry(m).detectorGain * 1.5 * kPathLength / kVolumeConversion;
        for (int k = 0; k < kClasses; ++k) {
            double sum = 0.0;
            for (int r = 0; r < kRings; ++r)
                sum += kernel[kClasses * r + k];
            EXPECT_LT(sum, full) << "model " << m << " class " << k;
            EXPECT_GT(sum, 0.1 * full) << "model " << m << " class " << k;
        }
    }
}

TEST(DemoKernel, HColumnsSumToOne)
{
    for (int m = 0; m < kModels; ++m) {
        Matrix h = columnNormalised(kernelMatrix(m));
        for (int k = 0; k < kClasses; ++k) {
            double sum = 0.0;
            for (int r = 0; r < kRings; ++r)
                sum += h[kClasses * r + k];
            EXPECT_NEAR(sum, 1.0, 1e-14);
        }
    }
}

TEST(DemoNormalisation, RingAreasGainsAndBackgrounds)
{
    for (int m = 0; m < kModels; ++m) {
        PerRing area = ringAreaNormalisation(m);
        PerRing gain = ringGains(m);
        EXPECT_NEAR(area[0], 1.25, 1e-12);  // a fifth of ring 1 lost to the gap
        for (int i = 1; i < kRings; ++i) {
            EXPECT_LT(area[i], area[i - 1]);
            EXPECT_GT(area[i], 1.0);
        }
        for (double g : gain)
            EXPECT_TRUE(g > 0.0 && std::isfinite(g));
    }
    Frame factory = factoryBackground();
    Frame user = userBackground();
    for (const Frame* f : {&factory, &user}) {
        EXPECT_DOUBLE_EQ((*f)[kLaserPowerIndex] / (*f)[kLaserReferenceIndex], 2.0);
        EXPECT_NEAR((*f)[kLaserPowerIndex], 3000.0, 100.0);
        for (int i = 1; i < kRings; ++i)
            EXPECT_LT((*f)[i], (*f)[i - 1]) << "ring " << i;
    }
    for (int i = 0; i < kRings; ++i) {
        EXPECT_GT(user[i] / factory[i], 1.02) << i;
        EXPECT_LT(user[i] / factory[i], 1.06) << i;
    }
}

TEST(DemoCalibrationFiles, WrittenTheSameEveryTimeAndReadBackAsComputed)
{
    test::TempDir first;
    test::TempDir second;
    writeCalibrationSet(first.path());
    writeCalibrationSet(second.file("nested/cal"));
    for (const std::string& name : setFileNames()) {
        std::string a = test::readFile(first.file(name));
        EXPECT_FALSE(a.empty()) << name;
        EXPECT_EQ(a, test::readFile(second.file("nested/cal/" + name))) << name;
    }
    for (int m = 0; m < kModels; ++m) {
        Matrix kernel = kernelMatrix(m);
        std::vector<double> read = readNumbers(first.file(modelFiles(m).kernel), kRings * kClasses);
        for (int i = 0; i < kRings * kClasses; ++i)
            EXPECT_NEAR(read[i], kernel[i], 5e-10 * kernel[i]);
        PerClass d = classDiameters(m);
        std::vector<double> dias = readNumbers(first.file(modelFiles(m).diameters), kClasses);
        for (int k = 0; k < kClasses; ++k)
            EXPECT_NEAR(dias[k], d[k], 5e-10 * d[k]);
        // What was read prints back to the very same text.
        std::vector<double> h = readNumbers(first.file(modelFiles(m).h), kRings * kClasses);
        EXPECT_EQ(matrixText(Matrix(h.begin(), h.end())), test::readFile(first.file(modelFiles(m).h)));
        std::vector<double> area = readNumbers(first.file(ringAreaFileName(m)), kRings);
        EXPECT_EQ(columnText(area.data(), kRings), test::readFile(first.file(ringAreaFileName(m))));
    }
    std::vector<double> zsc = readNumbers(first.file(text::kBackgroundInitialName), kFrameValues);
    Frame user = userBackground();
    for (int i = 0; i < kFrameValues; ++i)
        EXPECT_DOUBLE_EQ(zsc[i], user[i]) << i;
}

TEST(DemoCalibrationFiles, AFailedWriteNamesTheFile)
{
    test::TempDir dir;
    test::writeFile(dir.file("plain"), "x");
    try {
        writeCalibrationSet(dir.file("plain/cal"));
        FAIL() << "no failure";
    } catch (const DemoError& f) {
        EXPECT_NE(std::string(f.what()).find(dir.file("plain/cal/M32x32_a.asc")), std::string::npos) << f.what();
    }
}

}  // namespace
}  // namespace kavro::demo
