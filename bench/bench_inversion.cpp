// Time of one frame's inversion (50 iterations) for the reference loops and for each
// code path of InversionKernel this processor can run.
//
//   build/bench/bench_inversion
//
// "us/frame" is the processor time of one frame in microseconds.
#include <benchmark/benchmark.h>

#include <cmath>
#include <ctime>
#include <string>
#include <vector>

#include "core/Constants.h"
#include "core/Inversion.h"

namespace {

constexpr int kIterations = 50;
constexpr int kFrames = 16;  // distinct frames, taken in turn
constexpr int kMatrixSize = kavro::kRings * kavro::kClasses;

// A smooth positive kernel in the manner of diffraction: ring r sees class k most
// strongly where log(angle) + log(size) is constant, with a broad tail on each side.
// H is the kernel with each column divided by its sum; the frames come from
// log-normal size distributions run forward through the kernel.
struct Problem {
    std::vector<double> kernel = std::vector<double>(kMatrixSize);
    std::vector<double> h = std::vector<double>(kMatrixSize);
    std::vector<std::vector<double>> frames;

    Problem()
    {
        for (int r = 0; r < kavro::kRings; ++r)
            for (int k = 0; k < kavro::kClasses; ++k) {
                const double u = (r + k - 31.0) / 6.0;
                kernel[kavro::kClasses * r + k] = 0.02 + std::exp(-u * u) * (1.0 + 0.03 * k);
            }
        for (int k = 0; k < kavro::kClasses; ++k) {
            double column = 0.0;
            for (int r = 0; r < kavro::kRings; ++r)
                column += kernel[kavro::kClasses * r + k];
            for (int r = 0; r < kavro::kRings; ++r)
                h[kavro::kClasses * r + k] = kernel[kavro::kClasses * r + k] / column;
        }
        for (int f = 0; f < kFrames; ++f) {
            const double mode = 6.0 + f, width = 2.0 + 0.25 * f;
            std::vector<double> volume(kavro::kClasses), rings(kavro::kRings, 0.0);
            for (int k = 0; k < kavro::kClasses; ++k)
                volume[k] = 5.0 * std::exp(-(k - mode) * (k - mode) / (2.0 * width * width));
            for (int r = 0; r < kavro::kRings; ++r)
                for (int k = 0; k < kavro::kClasses; ++k)
                    rings[r] += kernel[kavro::kClasses * r + k] * volume[k];
            frames.push_back(rings);
        }
    }
};

const Problem& problem()
{
    static const Problem made;
    return made;
}

// Runs one inversion per benchmark iteration, frames taken in turn, and reports the
// processor time of one frame in microseconds (processor time, because the machine may be
// shared; the library's own inverted rates would print as seconds).
template <typename Invert>
void timeFrames(benchmark::State& state, Invert invert)
{
    const Problem& p = problem();
    double x[kavro::kClasses];
    int frame = 0;
    const std::clock_t start = std::clock();
    for (auto _ : state) {
        invert(p.frames[frame].data(), x);
        benchmark::DoNotOptimize(x);
        benchmark::ClobberMemory();
        frame = (frame + 1) % kFrames;
    }
    const double spent = 1e6 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    state.counters["us/frame"] = benchmark::Counter(spent, benchmark::Counter::kAvgIterations);
}

void invertWithReference(benchmark::State& state)
{
    const Problem& p = problem();
    timeFrames(state, [&p](const double* corrected, double* x) {
        kavro::invertReference(p.kernel.data(), p.h.data(), corrected, kIterations, x);
    });
}

void invertWithKernel(benchmark::State& state, kavro::InversionKernel::Path path)
{
    const Problem& p = problem();
    const kavro::InversionKernel kernel(p.kernel.data(), p.h.data());
    timeFrames(state, [&kernel, path](const double* corrected, double* x) {
        kernel.run(corrected, kIterations, x, path);
    });
}

}  // namespace

int main(int argc, char** argv)
{
    using Path = kavro::InversionKernel::Path;
    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("invertReference", invertWithReference);
    for (Path path : {Path::Baseline, Path::Avx2, Path::Avx512, Path::Auto}) {
        if (!kavro::InversionKernel::available(path))
            continue;
        std::string label = std::string("InversionKernel/") + kavro::InversionKernel::name(path);
        if (path == Path::Auto)
            label += std::string("=") + kavro::InversionKernel::name(kavro::InversionKernel::best());
        benchmark::RegisterBenchmark(label.c_str(), invertWithKernel, path);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
