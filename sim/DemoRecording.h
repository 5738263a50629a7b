#pragma once
// The demo recording: the cast of DemoCast seen through a calibration set read
// from its files, written as the instrument writes raw data (80-byte records of
// 40 big-endian 16-bit words) with the true distributions beside it.
//
// The rings are made so that the correction the program applies,
//   corrected_i = ((R0 / R) raw_i / tau - background_i) * ringarea_i,  tau = P / (rho R),
// gives back d = M x of the true distribution, up to the rounding to whole counts
// and a little detector noise: raw_i = tau (R / R0) (background_i + d_i / ringarea_i).
#include "core/RawRecord.h"
#include "sim/DemoCalibration.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kavro::demo {

// What the recording is made from: one model's files in a calibration folder.
struct DemoInputs {
    int model = 0;
    Matrix kernel;
    Matrix h;
    PerClass diameters{};
    PerRing ringArea{};
    Frame background{};  // the user background zsc.asc
};
DemoInputs loadDemoInputs(const std::string& calDir, int model);

struct DemoFrame {
    std::string segment;
    bool laserOn = true;
    double transmission = 0.0;  // P / (rho R) of the words; the water's when the laser is off
    PerClass volume{};          // true volume concentration, ul/l
    PerRing corrected{};        // d = M x of the true volumes; the correction gives it back when the laser is on
    RawWords words{};
};

struct RecordingOptions {
    int frames = 1200;
    double noise = 1.0;  // 0 for exact counts
    std::uint64_t seed = 0x4B4156524Full;
};

std::vector<DemoFrame> simulateRecording(const DemoInputs& in, const RecordingOptions& options);

// d_r = sum over k of M[r][k] x_k with x_k = 58000 v_k / D_k.
PerRing forwardModel(const Matrix& kernel, const PerClass& diameters, const PerClass& volume);
// Sum D_k v_k / sum v_k; -1 for an empty distribution.
double volumeMeanDiameter(const PerClass& diameters, const PerClass& volume);

std::string encodeRaw(const std::vector<DemoFrame>& frames);
std::string truthCsv(const std::vector<DemoFrame>& frames, const PerClass& diameters);
// demo.raw -> demo_truth.csv, in the same folder.
std::string truthPathFor(const std::string& rawPath);

}  // namespace kavro::demo
