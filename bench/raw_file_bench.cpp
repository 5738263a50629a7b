// The raw data file source: the pre-scan of a 1,000,000-frame recording at open,
// and the block processing of a frame range by 1 and 2 threads.
#include "acquisition/CRawFile.h"
#include "bench/BenchRecording.h"
#include "core/Settings.h"
#include "platform/Profile.h"
#include "platform/ScriptedPrompter.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>

namespace {

using namespace kavro;

// One folder with the calibration and the recording for the whole run.
struct BenchFolder {
    std::string dir;
    BenchFolder()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "kavro-bench-XXXXXX").string();
        dir = ::mkdtemp(tmpl.data());
        bench::writeBenchCalibration(dir);
        bench::writeBenchRecording(dir + "/bench.raw", 1000000);
    }
    ~BenchFolder() { std::filesystem::remove_all(dir); }
};

BenchFolder& folder()
{
    static BenchFolder f;
    return f;
}

struct OpenRecording {
    Settings settings;
    Profile profile{folder().dir + "/none.INI"};
    ScriptedPrompter prompter;
    FixedModelOwner owner{0};
    CRawFile source{SourceContext{settings, profile, prompter}, &owner};
    explicit OpenRecording(bool summary)
    {
        settings.calFiles = folder().dir;
        prompter.choose(folder().dir + "/bench.raw")
            .choose(folder().dir + "/RingArea_a.asc")
            .choose(folder().dir + "/zsc.asc")
            .choose(folder().dir + "/bench.psd");
        source.setKeepFrameSummary(summary);
        source.open();
    }
};

void BM_OpenWithPreScan(benchmark::State& state)
{
    folder();
    for (auto _ : state) {
        OpenRecording r(state.range(0) != 0);
        benchmark::DoNotOptimize(r.source.frameSummary().data());
    }
    state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_OpenWithPreScan)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_ProcessRange(benchmark::State& state)
{
    OpenRecording r(false);
    const int frames = 20000;
    for (auto _ : state) {
        r.source.setFrameRange(0, frames - 1);
        r.source.rewind();
        benchmark::DoNotOptimize(r.source.processRange(static_cast<int>(state.range(0))));
    }
    state.SetItemsProcessed(state.iterations() * frames);
}
BENCHMARK(BM_ProcessRange)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
