#include "sim/DemoRecording.h"

#include "core/CInvPars.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "resources/CoreTexts.h"
#include "resources/CliTexts.h"
#include "sim/DemoCast.h"
#include "sim/DemoNoise.h"
#include "sim/NumberFiles.h"

#include <algorithm>
#include <cmath>

namespace kavro::demo {
namespace {

// Default scaling of the housekeeping channels: counts = value / multiplier.
constexpr double kBatteryVoltsPerCount = 0.005017;
constexpr double kExternalVoltsPerCount = 5.0 / 4096.0;
constexpr double kMetresPerCount = 0.0536;
constexpr double kDegreesPerCount = 0.01;
constexpr double kAtmosphereMetres = 0.4;  // the sensor reads a little at the surface

constexpr double kAdcFullScale = 4095.0;   // the ring converters have 12 bits
constexpr double kDarkRing = 2.0;          // ring counts with the laser off
constexpr double kDarkLaserPower = 12.0;
constexpr double kDarkLaserReference = 6.0;
constexpr double kSpareMidScale = 2048.0;  // the second spare input, left open

std::uint16_t toWord(double value, double top = 65535.0)
{
    return static_cast<std::uint16_t>(std::clamp(std::round(value), 0.0, top));
}

template <std::size_t N>
std::array<double, N> toArray(const std::vector<double>& v)
{
    std::array<double, N> a{};
    std::copy_n(v.begin(), N, a.begin());
    return a;
}

void checkPositive(const std::string& path, const std::vector<double>& values)
{
    for (double v : values)
        if (!(v > 0.0) || !std::isfinite(v))
            throw DemoError(path + ": " + text::kBadNumbers);
}

void fillHousekeeping(const CastState& c, DemoNoise& noise, double scale, RawWords& w)
{
    w[kLaserPowerIndex + 1] = toWord(c.battery / kBatteryVoltsPerCount + scale * noise.gaussian());
    w[kLaserPowerIndex + 2] = toWord(c.external / kExternalVoltsPerCount + scale * noise.gaussian());
    w[kLaserPowerIndex + 4] = toWord((c.depth + kAtmosphereMetres) / kMetresPerCount + scale * noise.gaussian());
    w[kLaserPowerIndex + 5] = toWord(c.temperature / kDegreesPerCount + scale * noise.gaussian());
    w[kLaserPowerIndex + 6] = toWord(c.spare + scale * noise.gaussian());
    w[kLaserPowerIndex + 7] = toWord(kSpareMidScale + scale * noise.gaussian());
}

}  // namespace

DemoInputs loadDemoInputs(const std::string& calDir, int model)
{
    DemoInputs in;
    in.model = model;
    const ModelFiles names = modelFiles(model);
    std::string path = joinPath(calDir, names.kernel);
    in.kernel = readNumbers(path, kRings * kClasses);
    checkPositive(path, in.kernel);
    path = joinPath(calDir, names.h);
    in.h = readNumbers(path, kRings * kClasses);
    checkPositive(path, in.h);
    path = joinPath(calDir, names.diameters);
    std::vector<double> d = readNumbers(path, kClasses);
    checkPositive(path, d);
    in.diameters = toArray<kClasses>(d);
    path = joinPath(calDir, ringAreaFileName(model));
    std::vector<double> area = readNumbers(path, kRings);
    checkPositive(path, area);
    in.ringArea = toArray<kRings>(area);
    path = joinPath(calDir, text::kBackgroundInitialName);
    in.background = toArray<kFrameValues>(readNumbers(path, kFrameValues));
    if (!(in.background[kLaserPowerIndex] > kLaserFloor) || !(in.background[kLaserReferenceIndex] > kLaserFloor))
        throw DemoError(path + ": " + text::kNoLaserPower);
    return in;
}

PerRing forwardModel(const Matrix& kernel, const PerClass& diameters, const PerClass& volume)
{
    PerClass x{};
    for (int k = 0; k < kClasses; ++k)
        x[k] = kVolumeConversion * volume[k] / diameters[k];
    PerRing d{};
    for (int r = 0; r < kRings; ++r) {
        double sum = 0.0;
        for (int k = 0; k < kClasses; ++k)
            sum += kernel[kClasses * r + k] * x[k];
        d[r] = sum;
    }
    return d;
}

double volumeMeanDiameter(const PerClass& diameters, const PerClass& volume)
{
    double s0 = 0.0;
    double s1 = 0.0;
    for (int k = 0; k < kClasses; ++k) {
        s0 += volume[k];
        s1 += diameters[k] * volume[k];
    }
    return s0 > 0.0 ? s1 / s0 : -1.0;
}

std::vector<DemoFrame> simulateRecording(const DemoInputs& in, const RecordingOptions& options)
{
    const ClassEdges edges = edgesAround(in.diameters);
    const double p0 = in.background[kLaserPowerIndex];
    const double r0 = in.background[kLaserReferenceIndex];
    const double rho = p0 / r0;
    DemoNoise noise(options.seed);

    std::vector<DemoFrame> frames;
    frames.reserve(static_cast<std::size_t>(options.frames));
    for (int t = 0; t < options.frames; ++t) {
        CastState c = castAt(in.model, edges, t, options.frames);
        DemoFrame f;
        f.segment = segmentName(c.segment);
        f.laserOn = c.laserOn;
        f.volume = c.volume;
        f.corrected = forwardModel(in.kernel, in.diameters, c.volume);
        f.transmission = c.transmission;
        if (c.laserOn) {
            // The laser words first: the rings follow the transmission the
            // program will compute from them, not the unrounded one.
            double rWord = std::round(r0 * c.laserDrift);
            double pWord = std::round(c.transmission * rho * rWord);
            double tau = pWord / (rho * rWord);
            f.transmission = tau;
            f.words[kLaserPowerIndex] = toWord(pWord);
            f.words[kLaserReferenceIndex] = toWord(rWord);
            for (int i = 0; i < kRings; ++i) {
                double signal = tau * (rWord / r0) * (in.background[i] + f.corrected[i] / in.ringArea[i]);
                double sigma = options.noise * (0.5 + 0.002 * signal);
                f.words[i] = toWord(signal + sigma * noise.gaussian(), kAdcFullScale);
            }
        } else {
            f.words[kLaserPowerIndex] = toWord(kDarkLaserPower + options.noise * noise.gaussian());
            f.words[kLaserReferenceIndex] = toWord(kDarkLaserReference + options.noise * noise.gaussian());
            for (int i = 0; i < kRings; ++i)
                f.words[i] = toWord(kDarkRing + 0.7 * options.noise * noise.gaussian(), kAdcFullScale);
        }
        fillHousekeeping(c, noise, options.noise, f.words);
        frames.push_back(f);
    }
    return frames;
}

std::string encodeRaw(const std::vector<DemoFrame>& frames)
{
    std::string out;
    out.reserve(frames.size() * 2 * kFrameValues);
    for (const DemoFrame& f : frames)
        for (std::uint16_t w : f.words) {
            out += static_cast<char>(w >> 8);
            out += static_cast<char>(w & 0xFF);
        }
    return out;
}

std::string truthCsv(const std::vector<DemoFrame>& frames, const PerClass& diameters)
{
    std::string out = "frame,segment,laser_on,transmission";
    for (int k = 0; k < kClasses; ++k)
        out += ",v" + std::to_string(k + 1);
    out += ",mean_diameter\n";
    for (std::size_t t = 0; t < frames.size(); ++t) {
        const DemoFrame& f = frames[t];
        out += std::to_string(t) + ',' + f.segment + ',' + (f.laserOn ? '1' : '0') + ',' + formatG(f.transmission, 10);
        for (double v : f.volume)
            out += ',' + formatG(v, 10);
        out += ',' + formatG(volumeMeanDiameter(diameters, f.volume), 10) + '\n';
    }
    return out;
}

std::string truthPathFor(const std::string& rawPath)
{
    return removeExtension(rawPath) + text::kTruthSuffix;
}

}  // namespace kavro::demo
