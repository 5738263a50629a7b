// make_bench_recording DIR [FRAMES] [--no-calibration]: a synthetic calibration set
// (model 0) and DIR/bench.raw of FRAMES frames (default 1,000,000) made with it.
#include "bench/BenchRecording.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_bench_recording DIR [FRAMES] [--no-calibration]\n");
        return 2;
    }
    const std::string dir = argv[1];
    long long frames = 1000000;
    bool calibration = true;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-calibration") == 0)
            calibration = false;
        else
            frames = std::atoll(argv[i]);
    }
    try {
        if (calibration)
            kavro::bench::writeBenchCalibration(dir);
        kavro::bench::writeBenchRecording(dir + "/bench.raw", frames);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_bench_recording: %s\n", e.what());
        return 1;
    }
    return 0;
}
