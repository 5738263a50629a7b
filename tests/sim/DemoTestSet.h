#pragma once
// One demo calibration folder per test program, written on first use and removed at exit.
#include "tests/support/TestFiles.h"
#include "sim/DemoRecording.h"

namespace kavro::demo::test {

inline const std::string& demoCalibrationDir()
{
    static const kavro::test::TempDir dir;
    static const bool written = (writeCalibrationSet(dir.path()), true);
    (void)written;
    return dir.path();
}

// One model's inputs and a recording of the given length made from them.
struct DemoRun {
    DemoInputs in;
    std::vector<DemoFrame> frames;
};

inline DemoRun demoRun(int model, int frames, double noise = 1.0)
{
    DemoRun run{loadDemoInputs(demoCalibrationDir(), model), {}};
    RecordingOptions options;
    options.frames = frames;
    options.noise = noise;
    run.frames = simulateRecording(run.in, options);
    return run;
}

}  // namespace kavro::demo::test
