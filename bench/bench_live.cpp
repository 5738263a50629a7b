// Time of one live frame of the instrument source with the demo calibration of
// model 0: the request, the receipt and parsing of the reply, the correction,
// the inversion and the .psd, .asc and .log records.
//
//   build/bench/bench_live
//
// The time of an iteration is the time of one frame (wall-clock: "Time").
// BM_LiveFrameInMemory: the reply is waiting when the source looks for it, so
// only the source's own work counts.  BM_LiveFrameOverPty: the same through a
// pseudo-terminal to the instrument simulator in this process, the line's round
// trip included (at the pseudo-terminal's speed, not a real line's baud rate).
#include <benchmark/benchmark.h>

#include "acquisition/CCommSource.h"
#include "core/Settings.h"
#include "platform/posix/PosixSerialLink.h"
#include "platform/Profile.h"
#include "platform/ScriptedPrompter.h"
#include "platform/System.h"
#include "sim/DemoCalibration.h"
#include "sim/InstrumentSimulator.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace kavro;

// Answers every frame request at once with the next frame of a recording.
class LoopbackLink : public SerialLink {
public:
    explicit LoopbackLink(std::vector<RawWords> frames) : frames_(std::move(frames)) {}
    int open(int) override { return 0; }
    int setLineParameters() override { return 0; }
    void write(const char*, int) override
    {
        pending_ += frameReply(frames_[next_], '{', '}');
        next_ = (next_ + 1) % frames_.size();
    }
    int readPending(char* dest, int maxCount) override
    {
        int n = std::min(maxCount, static_cast<int>(pending_.size() - at_));
        pending_.copy(dest, static_cast<std::size_t>(n), at_);
        at_ += static_cast<std::size_t>(n);
        if (at_ == pending_.size()) {
            pending_.clear();
            at_ = 0;
        }
        return n;
    }
    void beforeCommand() override {}
    int closeBegin() override { return 0; }
    void closeEnd() override {}

private:
    std::vector<RawWords> frames_;
    std::size_t next_ = 0;
    std::string pending_;
    std::size_t at_ = 0;
};

// A calibration folder and the settings of a source that writes all three outputs.
struct Bench {
    std::string dir;
    Settings settings;
    Profile profile;
    ScriptedPrompter prompter;
    FixedModelOwner owner{0};

    Bench() : dir(makeDir()), profile(dir + "/none.INI")
    {
        demo::writeCalibrationSet(dir);
        settings.calFiles = dir;
        settings.outputs.value[0] = 1;
        settings.outputs.value[1] = 1;
        settings.outputs.value[2] = 1;
    }
    ~Bench()
    {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    static std::string makeDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kavro-bench-XXXXXX").string();
        return ::mkdtemp(pattern.data()) ? pattern : std::string("/tmp");
    }
    std::unique_ptr<CCommSource> open(std::unique_ptr<SerialLink> link)
    {
        auto src = std::make_unique<CCommSource>(SourceContext{settings, profile, prompter}, &owner, std::move(link),
                                                 "COM1:");
        prompter.choose(dir + "/RingArea_a.asc").choose(dir + "/zsc.asc").choose(dir + "/live.psd");
        src->open();
        return src;
    }
};

void BM_LiveFrameInMemory(benchmark::State& state)
{
    Bench bench;
    auto src = bench.open(std::make_unique<LoopbackLink>(syntheticRecording(64)));
    for (auto _ : state)
        benchmark::DoNotOptimize(src->nextFrame());
}
BENCHMARK(BM_LiveFrameInMemory)->Unit(benchmark::kMicrosecond);

void BM_LiveFrameOverPty(benchmark::State& state)
{
    Bench bench;
    InstrumentSimulator sim(syntheticRecording(64), SimulatorOptions{});
    std::string error;
    if (!sim.start(&error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    auto src = bench.open(std::make_unique<PosixSerialLink>(std::array<std::string, 4>{sim.devicePath(), "", "", ""}));
    // The simulator answers while the source waits; a short wait keeps the round trip honest.
    src->setTiming({steadySeconds, [&sim](int) { sim.step(1); }});
    for (auto _ : state)
        if (src->nextFrame() != 1)
            state.SkipWithError("no frame");
}
BENCHMARK(BM_LiveFrameOverPty)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
