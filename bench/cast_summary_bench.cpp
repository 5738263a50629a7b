// The data side of the cast pictures: a whole .psd binned to a picture's columns
// (what kavro-cli plot and the Cast Overview window read before drawing), for
// 100,000 and 1,000,000 frames read from the page cache.
#include "core/OutputRecord.h"
#include "products/CastSummary.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

// A cast of n frames: a lognormal-ish distribution drifting through the classes.
std::string makeCast(long long n)
{
    const std::string path = (std::filesystem::temp_directory_path() / ("kavro-castbench-" + std::to_string(n) + ".psd")).string();
    if (std::filesystem::exists(path) &&
        std::filesystem::file_size(path) == static_cast<std::uintmax_t>((n + 2) * kavro::kPsdRecordBytes))
        return path;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    kavro::CFrameResult r;
    auto put = [&](const kavro::PsdRecordBytes& b) { std::fwrite(b.data(), 1, b.size(), f); };
    put(kavro::encodePsdHeader(0, 2.0, "/cal/zsc.asc"));
    put(kavro::encodeDiameterRecord(r));
    for (long long i = 0; i < n; ++i) {
        const double centre = 16.0 + 10.0 * std::sin(i * 1e-4);
        for (int k = 0; k < kavro::kClasses; ++k)
            r.setVolume(k, std::exp(-0.5 * (k - centre) * (k - centre) / 9.0));
        r.setMean(50.0);
        r.setTransmission(0.8);
        r.setAux(4, 20.0 + 20.0 * std::sin(i * 1e-3));
        put(kavro::encodeOutputRecord(kavro::buildOutputRecord(r)));
    }
    std::fclose(f);
    return path;
}

void summarise(benchmark::State& state)
{
    kavro::CastSource source;
    source.path = makeCast(state.range(0));
    source.header.magicOK = true;
    for (auto _ : state) {
        kavro::CastSummary s = kavro::summariseCast(source, 1920, kavro::CastAxis::Frame);
        benchmark::DoNotOptimize(s.columns.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(summarise)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
