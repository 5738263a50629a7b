// The instrument source end to end: frames taken live over a pseudo-terminal from
// the instrument simulator (in this process, and as the kavro-cli executable) must
// give the very bytes that the same frames give when the raw data file source
// processes them from a recording, however the line delays, splits or garbles the
// replies.
#include "acquisition/CCommSource.h"
#include "acquisition/CRawFile.h"
#include "background/CScatterAccumulator.h"
#include "platform/PosixSerialLink.h"
#include "platform/System.h"
#include "tests/core/CoreFixture.h"
#include "tests/tools/CliRun.h"
#include "tools/InstrumentSimulator.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace kavro {
namespace {

using test::readFile;

// A recording with the cases the processing treats apart: a saturated ring, a ring
// at 0, a frame without laser light, the largest word.
std::vector<RawWords> recording(int n)
{
    std::vector<RawWords> frames = syntheticRecording(n);
    frames[1][0] = 4095;
    frames[2][5] = 0;
    frames[3][kLaserPowerIndex] = 50;
    frames[4][kFrameValues - 1] = 65535;
    return frames;
}

std::string logOf(const std::vector<RawWords>& frames, std::size_t count)
{
    std::string text;
    for (std::size_t k = 0; k < count; ++k) {
        for (std::uint16_t w : frames[k])
            text += std::to_string(w) + " ";
        text += "\n";
    }
    return text;
}

struct Outputs {
    std::string psd, asc, log;
};

Outputs outputsBeside(const std::string& psdPath)
{
    const std::string stem = psdPath.substr(0, psdPath.size() - 4);
    return {readFile(psdPath), readFile(stem + ".asc"), readFile(stem + ".log")};
}

void expectSameOutputs(const Outputs& got, const Outputs& want, std::size_t frames)
{
    EXPECT_EQ(got.psd.size(), (frames + 2) * 512u);
    EXPECT_TRUE(got.psd == want.psd) << "the .psd files differ";
    EXPECT_EQ(got.asc, want.asc);
    EXPECT_EQ(got.log, want.log);
}

struct LiveTest : ::testing::Test {
    test::CoreEnv env;
    FixedModelOwner owner{0};
    SourceContext context{env.settings, env.profile, env.prompter};
    std::vector<RawWords> frames = recording(8);

    void SetUp() override
    {
        // .asc, .log and .psd of the instrument; .asc and .log of a raw data file (its .psd is always written).
        for (int slot : {0, 1, 2, 5, 6})
            env.settings.outputs.value[slot] = 1;
    }
    std::unique_ptr<CCommSource> openSource(std::unique_ptr<SerialLink> link, const std::string& psd)
    {
        auto src = std::make_unique<CCommSource>(context, &owner, std::move(link), "COM1:");
        env.prompter.choose(env.cal.path("RingArea_a.asc")).choose(env.cal.path("zsc.asc")).choose(psd);
        src->open();
        return src;
    }
    // The first count frames written as a raw recording and processed by the raw
    // data file source.
    Outputs reference(std::size_t count)
    {
        std::vector<std::vector<std::uint16_t>> words;
        for (std::size_t k = 0; k < count; ++k)
            words.emplace_back(frames[k].begin(), frames[k].end());
        const std::string raw = env.cal.path("reference.raw");
        test::writeFile(raw, test::rawRecords(words));
        const std::string psd = env.cal.path("reference.psd");
        CRawFile src(context, &owner);
        env.prompter.choose(raw).choose(env.cal.path("RingArea_a.asc")).choose(env.cal.path("zsc.asc")).choose(psd);
        src.open();
        EXPECT_EQ(src.multiScan(), 0);
        while (src.readNextFrame()) {
        }
        src.close();
        return outputsBeside(psd);
    }
    // Live from a simulator on a pseudo-terminal, driven between the source's polls.
    std::unique_ptr<CCommSource> openLive(InstrumentSimulator& sim, const std::string& psd)
    {
        std::string error;
        EXPECT_TRUE(sim.start(&error)) << error;
        auto src = openSource(std::make_unique<PosixSerialLink>(std::array<std::string, 4>{sim.devicePath(), "", "", ""}),
                              psd);
        src->setTiming({steadySeconds, [&sim](int ms) { sim.step(ms); }});
        return src;
    }
};

TEST_F(LiveTest, LiveFramesGiveTheBytesOfTheRecordingOnAnyLine)
{
    const Outputs want = reference(frames.size());
    EXPECT_EQ(want.log, logOf(frames, frames.size()));

    SimulatorOptions clean;
    SimulatorOptions rough;
    rough.replyDelayMs = 30;
    rough.pieces = 5;
    rough.pieceGapMs = 15;
    rough.lineNoise = true;
    rough.seed = 11;
    int run = 0;
    for (const SimulatorOptions& options : {clean, rough}) {
        SCOPED_TRACE(run);
        InstrumentSimulator sim(frames, options);
        const std::string psd = env.cal.path("live" + std::to_string(run++) + ".psd");
        auto src = openLive(sim, psd);
        for (std::size_t k = 0; k < frames.size(); ++k)
            ASSERT_EQ(src->nextFrame(), 1) << "frame " << k;
        EXPECT_EQ(src->frameNumber(), static_cast<int>(frames.size()));
        src->close();
        expectSameOutputs(outputsBeside(psd), want, frames.size());
    }
}

TEST_F(LiveTest, AnUnansweredRequestCostsItsFrameAndTheNextOneComes)
{
    env.settings.commWait = 0;  // a missing reply is given up within a second
    SimulatorOptions options;
    options.dropEvery = 3;
    InstrumentSimulator sim(frames, options);
    const std::string psd = env.cal.path("drop.psd");
    auto src = openLive(sim, psd);
    std::vector<int> answered;
    for (int k = 0; k < 6; ++k)
        answered.push_back(src->nextFrame());
    src->close();
    EXPECT_EQ(answered, (std::vector<int>{1, 1, 0, 1, 1, 0}));
    std::vector<RawWords> kept = {frames[0], frames[1], frames[3], frames[4]};
    EXPECT_EQ(outputsBeside(psd).log, logOf(kept, kept.size()));
    EXPECT_TRUE(env.prompter.messages().empty());
}

TEST_F(LiveTest, ATerminalThatHangsUpKeepsEveryFrameWritten)
{
    InstrumentSimulator sim(frames, SimulatorOptions{});
    const std::string psd = env.cal.path("gone.psd");
    auto src = openLive(sim, psd);
    for (int k = 0; k < 3; ++k)
        ASSERT_EQ(src->nextFrame(), 1);
    sim.hangUp();
    auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(src->nextFrame(), 0);
    EXPECT_EQ(src->nextFrame(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(1));  // no wait for CommWait
    EXPECT_TRUE(src->linkLost());
    ASSERT_EQ(env.prompter.messages().size(), 1u);
    EXPECT_NE(env.prompter.messages()[0].find(sim.devicePath() + ": the device went away"), std::string::npos);
    src->close();
    EXPECT_EQ(outputsBeside(psd).log, logOf(frames, 3));
    EXPECT_EQ(readFile(psd).size(), 5u * 512u);
}

TEST_F(LiveTest, ALiveCollectionAveragesTheFramesItWasRunningFor)
{
    InstrumentSimulator sim(frames, SimulatorOptions{});
    auto src = openLive(sim, env.cal.path("collect.psd"));
    ASSERT_EQ(src->nextFrame(), 1);  // before the collection: not added
    CScatterAccumulator collection(env.settings, env.prompter);
    src->setFrameListener([&collection](const RawWords& words) { collection.addFrame(words); });
    for (int k = 0; k < 3; ++k)
        ASSERT_EQ(src->nextFrame(), 1);
    src->clearFrameListener();
    ASSERT_EQ(src->nextFrame(), 1);  // after it: not added either
    ASSERT_EQ(collection.average(), 1);
    EXPECT_EQ(collection.recordCount(), 3);
    EXPECT_EQ(collection.saturatedRecords(), 1);  // frame 1
    EXPECT_EQ(collection.zeroRingRecords(), 1);   // frame 2
    for (int i : {0, 5, 17, kLaserPowerIndex, kLaserReferenceIndex})
        EXPECT_DOUBLE_EQ(collection.averageValue(i), (frames[1][i] + frames[2][i] + frames[3][i]) / 3.0) << i;
}

// kavro-cli run as a child process with its output in files, for the runs that
// go on beside the test (and may have to be stopped should they hang).
class Child {
public:
    Child(const std::vector<std::string>& args, const std::string& out, const std::string& err)
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Child()
    {
        if (pid_ > 0 && !done_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool started() const { return pid_ > 0; }
    void signal(int sig) { ::kill(pid_, sig); }
    // The exit status, or -1 when it did not end within the time.
    int wait(std::chrono::seconds limit = std::chrono::seconds(30))
    {
        auto until = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (std::chrono::steady_clock::now() < until) {
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                done_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

private:
    pid_t pid_ = -1;
    bool done_ = false;
};

// The simulator answering on its own thread, for a program in another process.
struct SimulatorThread {
    SimulatorThread(std::vector<RawWords> recording, SimulatorOptions options) : sim(std::move(recording), options)
    {
        std::string error;
        started = sim.start(&error);
        if (started)
            runner = std::thread([this] { sim.run(stop); });
    }
    ~SimulatorThread()
    {
        stop = true;
        if (runner.joinable())
            runner.join();
    }
    InstrumentSimulator sim;
    std::atomic<bool> stop{false};
    std::thread runner;
    bool started = false;
};

std::vector<std::string> acquireArgs(const test::CoreEnv& env, const std::string& device, const std::string& psd)
{
    return {test::cliPath(), "acquire", "--profile", env.cal.path("none.INI"), "--cal-dir",
            env.cal.dir.path(), "--device", device, "-o", psd, "--asc", "--log", "--interval", "0"};
}

TEST_F(LiveTest, CommandLineAcquiresNFramesFromTheSimulator)
{
    const Outputs want = reference(frames.size());
    SimulatorThread rig(frames, SimulatorOptions{});
    ASSERT_TRUE(rig.started);
    const std::string psd = env.cal.path("cli.psd");
    std::vector<std::string> args = acquireArgs(env, rig.sim.devicePath(), psd);
    args.insert(args.end(), {"--frames", std::to_string(frames.size())});
    Child child(args, env.cal.path("out.txt"), env.cal.path("err.txt"));
    ASSERT_TRUE(child.started());
    ASSERT_EQ(child.wait(), 0) << readFile(env.cal.path("err.txt"));
    expectSameOutputs(outputsBeside(psd), want, frames.size());
    EXPECT_NE(readFile(env.cal.path("out.txt")).find("Frames written: 8, rejected: 0, suspect: 0, requests without a frame: 0"),
              std::string::npos);
    EXPECT_EQ(readFile(env.cal.path("err.txt")), "");  // no status line: stderr is no terminal
}

TEST_F(LiveTest, CommandLineAgainstTheSimulatorExecutable)
{
    std::vector<std::vector<std::uint16_t>> words;
    for (const RawWords& f : frames)
        words.emplace_back(f.begin(), f.end());
    test::writeFile(env.cal.path("rec.raw"), test::rawRecords(words));
    const Outputs want = reference(frames.size());

    const std::string simOut = env.cal.path("sim.txt");
    Child simulator({test::cliPath(), "simulate", "--raw", env.cal.path("rec.raw"), "--once", "--split",
                     "3", "--delay", "20", "--noise", "--profile", env.cal.path("none.INI")},
                    simOut, env.cal.path("simerr.txt"));
    ASSERT_TRUE(simulator.started());
    std::string device;
    for (int i = 0; i < 500 && device.empty(); ++i) {
        std::string text = readFile(simOut);
        const std::string lead = "Instrument simulator on ";
        std::size_t at = text.find(lead), end = text.find('\n', at);
        if (at != std::string::npos && end != std::string::npos)
            device = text.substr(at + lead.size(), end - at - lead.size());
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_FALSE(device.empty());

    const std::string psd = env.cal.path("cli.psd");
    std::vector<std::string> args = acquireArgs(env, device, psd);
    args.insert(args.end(), {"--frames", std::to_string(frames.size())});
    Child acquire(args, env.cal.path("out.txt"), env.cal.path("err.txt"));
    ASSERT_EQ(acquire.wait(), 0) << readFile(env.cal.path("err.txt"));
    EXPECT_EQ(simulator.wait(), 0);  // --once: it ends after the last frame
    expectSameOutputs(outputsBeside(psd), want, frames.size());
}

TEST_F(LiveTest, CommandLineStopsOnSigintWithEveryReceivedFrameWritten)
{
    SimulatorThread rig(recording(100), SimulatorOptions{});
    ASSERT_TRUE(rig.started);
    const std::string psd = env.cal.path("stop.psd");
    std::vector<std::string> args = acquireArgs(env, rig.sim.devicePath(), psd);
    args.back() = "0.02";
    Child child(args, env.cal.path("out.txt"), env.cal.path("err.txt"));
    ASSERT_TRUE(child.started());
    const std::string log = env.cal.path("stop.log");
    auto lines = [&log] {
        std::string text = readFile(log);
        return std::count(text.begin(), text.end(), '\n');
    };
    for (int i = 0; i < 1000 && lines() < 4; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    child.signal(SIGINT);
    ASSERT_EQ(child.wait(), 0) << readFile(env.cal.path("err.txt"));

    const Outputs got = outputsBeside(psd);
    const long written = std::count(got.log.begin(), got.log.end(), '\n');
    EXPECT_GE(written, 4);
    EXPECT_EQ(got.psd.size(), static_cast<std::size_t>(written + 2) * 512u);
    EXPECT_EQ(std::count(got.asc.begin(), got.asc.end(), '\n'), written);
    EXPECT_EQ(got.log, logOf(rig.sim.recording(), static_cast<std::size_t>(written)));
    // A reply still on its way when the stop came was never received.
    const long replies = rig.sim.counters().replies;
    EXPECT_TRUE(replies == written || replies == written + 1) << replies << " replies, " << written << " written";
    EXPECT_NE(readFile(env.cal.path("out.txt")).find("Frames written: " + std::to_string(written) + ","),
              std::string::npos);
}

// The text up to and including its last line end.
std::string wholeLines(const std::string& text)
{
    const std::size_t end = text.rfind('\n');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

long lineCount(const std::string& text)
{
    return static_cast<long>(std::count(text.begin(), text.end(), '\n'));
}

// Starts kavro-cli acquire against the simulator and waits until it has written
// at least four frames.
struct RunningAcquire {
    RunningAcquire(LiveTest& t, const std::string& psd)
        : rig(t.frames, SimulatorOptions{}), log(psd.substr(0, psd.size() - 4) + ".log"),
          child(withInterval(acquireArgs(t.env, rig.sim.devicePath(), psd)), t.env.cal.path("out.txt"),
                t.env.cal.path("err.txt"))
    {
        for (int i = 0; i < 1000 && lineCount(readFile(log)) < 4; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    static std::vector<std::string> withInterval(std::vector<std::string> args)
    {
        args.back() = "0.02";
        return args;
    }
    SimulatorThread rig;
    std::string log;
    Child child;
};

TEST_F(LiveTest, CommandLineKilledMidRunLeavesWholeRecordsOfTheFramesBefore)
{
    frames = recording(100);
    const std::string psd = env.cal.path("killed.psd");
    RunningAcquire run(*this, psd);
    ASSERT_TRUE(run.rig.started && run.child.started());
    run.child.signal(SIGKILL);
    ASSERT_EQ(run.child.wait(), 128 + SIGKILL);

    // Each frame goes to the three files one after the other, so a kill between
    // them leaves one file a frame ahead; a kill inside a write may cut the last
    // line short.  Everything else is whole and in order.
    const Outputs got = outputsBeside(psd);
    ASSERT_EQ(got.psd.size() % 512, 0u);
    const long records = static_cast<long>(got.psd.size() / 512) - 2;
    const long logLines = lineCount(got.log), ascLines = lineCount(got.asc);
    EXPECT_GE(logLines, 4);
    EXPECT_LE(std::max({records, logLines, ascLines}) - std::min({records, logLines, ascLines}), 1);
    const Outputs want = reference(static_cast<std::size_t>(std::max({records, logLines, ascLines})));
    EXPECT_TRUE(want.psd.compare(0, got.psd.size(), got.psd) == 0) << "the .psd is not the frames' records";
    EXPECT_EQ(wholeLines(got.log), want.log.substr(0, wholeLines(got.log).size()));
    EXPECT_EQ(wholeLines(got.asc), want.asc.substr(0, wholeLines(got.asc).size()));
}

TEST_F(LiveTest, CommandLineOnALineThatHangsUpEndsWithTheReasonAndEveryFrameWritten)
{
    frames = recording(100);
    const std::string psd = env.cal.path("hungup.psd");
    RunningAcquire run(*this, psd);
    ASSERT_TRUE(run.rig.started && run.child.started());
    run.rig.stop = true;
    run.rig.runner.join();
    run.rig.sim.hangUp();
    ASSERT_EQ(run.child.wait(), 1);
    EXPECT_NE(readFile(env.cal.path("err.txt")).find(run.rig.sim.devicePath() + ": the device went away"),
              std::string::npos)
        << readFile(env.cal.path("err.txt"));

    const Outputs got = outputsBeside(psd);
    const long written = lineCount(got.log);
    EXPECT_GE(written, 4);
    expectSameOutputs(got, reference(static_cast<std::size_t>(written)), static_cast<std::size_t>(written));
}

TEST_F(LiveTest, CommandLineTellsAMissingOrBusyDeviceAndAnUnwritableOutputInOneLine)
{
    const std::string psd = env.cal.path("none.psd");
    Child child(acquireArgs(env, env.cal.path("ttyUSB9"), psd), env.cal.path("out.txt"), env.cal.path("err.txt"));
    EXPECT_EQ(child.wait(), 1);
    EXPECT_EQ(readFile(env.cal.path("err.txt")),
              "kavro-cli: Could not open the instrument port COM2: - " + env.cal.path("ttyUSB9") +
                  ": no such device (is the instrument's USB adapter plugged in?)\n");

    SimulatorThread rig(frames, SimulatorOptions{});
    {
        // Another program has the port.
        PosixSerialLink holder({rig.sim.devicePath(), "", "", ""});
        ASSERT_EQ(holder.open(0), 0) << holder.lastError();
        Child busy(acquireArgs(env, rig.sim.devicePath(), psd), env.cal.path("out.txt"), env.cal.path("err.txt"));
        EXPECT_EQ(busy.wait(), 1);
        EXPECT_EQ(readFile(env.cal.path("err.txt")), "kavro-cli: Could not open the instrument port COM2: - " +
                                                         rig.sim.devicePath() + ": in use by another program\n");
    }
    Child unwritable(acquireArgs(env, rig.sim.devicePath(), env.cal.path("no/such/dir/x.psd")),
                     env.cal.path("out.txt"), env.cal.path("err.txt"));
    EXPECT_EQ(unwritable.wait(), 1);
    std::string err = readFile(env.cal.path("err.txt"));
    EXPECT_EQ(err.rfind("kavro-cli: Could not write to the file " + env.cal.path("no/such/dir/x.psd") + ": ", 0), 0u)
        << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
}

}  // namespace
}  // namespace kavro
