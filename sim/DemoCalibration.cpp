#include "sim/DemoCalibration.h"

#include "core/CInvPars.h"
#include "core/FrameStatistics.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "resources/CoreTexts.h"
#include "resources/CliTexts.h"
#include "sim/Airy.h"
#include "sim/NumberFiles.h"

#include <cmath>
#include <numbers>

namespace kavro::demo {
namespace {

// The angle ranges are the ends of the main view's angle axis, the size ranges
// those of its size axis.  The detector gains put the demo recording's rings at a
// few hundred to a few thousand counts.
constexpr ModelGeometry kGeometry[kModels] = {
    {0.049, 4.87, 5.0, 500.0, 4.0e5, 'a'},
    {0.097, 19.5, 1.0, 250.0, 1.0e5, 'b'},
    {0.049, 9.74, 2.5, 500.0, 2.5e5, 'c'},
};

// Diameters sampled per class (evenly in log D) for the class average.
constexpr int kSubdiameters = 64;

// Neighbouring rings are kept apart by an insulating gap of fixed width; on ring 1,
// the narrowest, it takes this share of the pitch.
constexpr double kGapShareOfRing1 = 0.2;

// The scattering function is reported in 1/(m sr) times this factor.
constexpr double kVsfScale = 1.0;

// The scattering function divides ring i by 105 * 1.32^(i+1); the gain puts the
// ring's own solid angle in its place.
constexpr double kVsfNumerator = 105.0;
constexpr double kVsfRingRatio = 1.32;

int setIndex(int model)
{
    return model == 1 || model == 2 ? model : 0;
}

// Solid angle between two cone half-angles: 2 pi (cos a - cos b), written with
// sines so that the small angles of the inner rings keep their digits.
double solidAngle(double a, double b)
{
    return 4.0 * std::numbers::pi * std::sin(0.5 * (a + b)) * std::sin(0.5 * (b - a));
}

double roundTo(double value, double step)
{
    return std::round(value / step) * step;
}

}  // namespace

const ModelGeometry& modelGeometry(int model)
{
    return kGeometry[setIndex(model)];
}

RingEdges ringEdges(int model)
{
    const ModelGeometry& g = modelGeometry(model);
    constexpr double toRad = std::numbers::pi / 180.0;
    return logSpacedEdges<kRings + 1>(g.thetaMinDeg * toRad, g.thetaMaxDeg * toRad);
}

ClassEdges classEdges(int model)
{
    const ModelGeometry& g = modelGeometry(model);
    return logSpacedEdges<kClasses + 1>(g.diameterMin, g.diameterMax);
}

PerClass classDiameters(int model)
{
    ClassEdges e = classEdges(model);
    PerClass d{};
    for (int k = 0; k < kClasses; ++k)
        d[k] = std::sqrt(e[k] * e[k + 1]);
    return d;
}

Matrix kernelMatrix(int model)
{
    const ModelGeometry& g = modelGeometry(model);
    const RingEdges theta = ringEdges(model);
    const ClassEdges edges = classEdges(model);
    const PerClass centre = classDiameters(model);
    const double wavelength = kWavelengthVacuum / kWaterIndex;
    const double scale = g.detectorGain * 1.5 * kPathLength / kVolumeConversion;

    std::array<double, kRings + 1> sizeParameterPerUm{};
    for (int j = 0; j <= kRings; ++j)
        sizeParameterPerUm[j] = std::numbers::pi * std::sin(theta[j]) / wavelength;

    Matrix m(kRings * kClasses, 0.0);
    for (int k = 0; k < kClasses; ++k) {
        const double logStep = std::log(edges[k + 1] / edges[k]) / kSubdiameters;
        for (int s = 0; s < kSubdiameters; ++s) {
            const double d = edges[k] * std::exp((s + 0.5) * logStep);
            // Per unit x_k = 58000 v_k / D_k: the diffracted share goes as v / D.
            const double weight = centre[k] / d / kSubdiameters;
            double inside = encircledEnergy(sizeParameterPerUm[0] * d);
            for (int r = 0; r < kRings; ++r) {
                double outside = encircledEnergy(sizeParameterPerUm[r + 1] * d);
                m[kClasses * r + k] += weight * (outside - inside);
                inside = outside;
            }
        }
        for (int r = 0; r < kRings; ++r)
            m[kClasses * r + k] *= scale;
    }
    return m;
}

Matrix columnNormalised(const Matrix& kernel)
{
    Matrix h(kernel);
    for (int k = 0; k < kClasses; ++k) {
        double sum = 0.0;
        for (int r = 0; r < kRings; ++r)
            sum += kernel[kClasses * r + k];
        for (int r = 0; r < kRings; ++r)
            h[kClasses * r + k] = kernel[kClasses * r + k] / sum;
    }
    return h;
}

PerRing ringAreaNormalisation(int model)
{
    // Rings at radius f tan(theta) on a flat detector; the gap removes the same
    // width from every ring, so the narrow inner rings lose the largest share.
    const RingEdges theta = ringEdges(model);
    const double gap = kGapShareOfRing1 * (std::tan(theta[1]) - std::tan(theta[0]));
    PerRing area{};
    for (int i = 0; i < kRings; ++i) {
        double pitch = std::tan(theta[i + 1]) - std::tan(theta[i]);
        area[i] = pitch / (pitch - gap);
    }
    return area;
}

PerRing ringGains(int model)
{
    const ModelGeometry& g = modelGeometry(model);
    const RingEdges theta = ringEdges(model);
    PerRing gain{};
    for (int i = 0; i < kRings; ++i) {
        double omega = solidAngle(theta[i], theta[i + 1]);
        gain[i] = kVsfScale * std::pow(kVsfRingRatio, i + 1) /
                  (kVsfNumerator * g.detectorGain * kPathLength * omega);
    }
    return gain;
}

Frame factoryBackground()
{
    // Clean water in the factory: stray light of the beam, strongest on the inner
    // rings; laser power 3000 and reference 1500 counts (ratio 2.0), 20 deg C at
    // the surface.
    Frame f{};
    for (int i = 0; i < kRings; ++i)
        f[i] = roundTo(4.0 + 140.0 * std::pow(0.82, i), 0.01);
    const double aux[kAux] = {3000.0, 2512.0, 410.0, 1500.0, 0.0, 2000.0, 512.0, 1000.0};
    for (int i = 0; i < kAux; ++i)
        f[kRings + i] = aux[i];
    return f;
}

Frame userBackground()
{
    // Measured at sea a little later: windows not quite as clean, a few per cent
    // more scatter, the laser somewhat weaker at the same ratio 2.0.
    Frame f = factoryBackground();
    for (int i = 0; i < kRings; ++i)
        f[i] = roundTo(f[i] * (1.04 + 0.01 * std::sin(1.7 * i)), 0.01);
    const double aux[kAux] = {2950.0, 2480.0, 402.0, 1475.0, 19.0, 1850.0, 509.0, 1003.0};
    for (int i = 0; i < kAux; ++i)
        f[kRings + i] = aux[i];
    return f;
}

std::string ringAreaFileName(int model)
{
    return text::kDemoRingAreaPrefix + std::string(1, modelLetter(model)) + ".asc";
}

std::string matrixText(const Matrix& m)
{
    std::string out;
    for (int r = 0; r < kRings; ++r) {
        for (int k = 0; k < kClasses; ++k) {
            if (k > 0)
                out += ' ';
            out += formatG(m[kClasses * r + k], 10);
        }
        out += '\n';
    }
    return out;
}

std::string columnText(const double* values, int count)
{
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += formatG(values[i], 10);
        out += '\n';
    }
    return out;
}

void writeCalibrationSet(const std::string& dir)
{
    for (int model = 0; model < kModels; ++model) {
        Matrix kernel = kernelMatrix(model);
        PerClass diameters = classDiameters(model);
        PerRing gains = ringGains(model);
        PerRing area = ringAreaNormalisation(model);
        ModelFiles names = modelFiles(model);
        writeWholeFile(joinPath(dir, names.kernel), matrixText(kernel));
        writeWholeFile(joinPath(dir, names.h), matrixText(columnNormalised(kernel)));
        writeWholeFile(joinPath(dir, names.diameters), columnText(diameters.data(), kClasses));
        writeWholeFile(joinPath(dir, names.gain), columnText(gains.data(), kRings));
        writeWholeFile(joinPath(dir, ringAreaFileName(model)), columnText(area.data(), kRings));
    }
    Frame factory = factoryBackground();
    Frame user = userBackground();
    writeWholeFile(joinPath(dir, text::kFactoryBackgroundName), columnText(factory.data(), kFrameValues));
    writeWholeFile(joinPath(dir, text::kBackgroundInitialName), columnText(user.data(), kFrameValues));
}

}  // namespace kavro::demo
