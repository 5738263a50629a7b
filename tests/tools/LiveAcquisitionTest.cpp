// The instrument source end to end: frames taken live over a pseudo-terminal from
// the instrument simulator (in this process, and as the kavro-cli executable) must
// give the very bytes that the same frames give when the raw data file source
// processes them from a recording, however the line delays, splits or garbles the
// replies.
#include "acquisition/CCommSource.h"
#include "acquisition/CRawFile.h"
#include "core/CPDFile.h"
#include "core/FrameTimes.h"
#include "background/BackgroundBuild.h"
#include "background/CScatterAccumulator.h"
#include "platform/posix/PosixSerialLink.h"
#include "platform/System.h"
#include "tests/core/CoreFixture.h"
#include "tests/tools/CliRun.h"
#include "sim/InstrumentSimulator.h"
#include "sim/LoopbackLine.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <termios.h>
#include <unistd.h>
#include <sys/wait.h>
#include <mutex>
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
        return reference(std::vector<RawWords>(frames.begin(), frames.begin() + static_cast<long>(count)));
    }
    // The frames as a raw recording of the calibration folder.
    std::string recordingOf(const std::vector<RawWords>& list, const std::string& name)
    {
        std::vector<std::vector<std::uint16_t>> words;
        for (const RawWords& f : list)
            words.emplace_back(f.begin(), f.end());
        const std::string raw = env.cal.path(name);
        test::writeFile(raw, test::rawRecords(words));
        return raw;
    }
    Outputs reference(const std::vector<RawWords>& list)
    {
        const std::string raw = recordingOf(list, "reference.raw");
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
    // The frames written as a raw recording and processed by kavro-cli process.
    Outputs processed(const std::vector<RawWords>& list)
    {
        const std::string raw = recordingOf(list, "processed.raw");
        const std::string psd = env.cal.path("processed.psd");
        const test::CliResult r = test::runCli({"process", raw, "--profile", env.cal.path("none.INI"), "--cal-dir",
                                                env.cal.dir.path(), "-o", psd, "--asc", "--log", "-q"});
        EXPECT_EQ(r.status, 0) << r.err;
        return outputsBeside(psd);
    }
    // Live from a simulator on a pseudo-terminal (or on the in-process line), driven
    // between the source's polls.
    std::unique_ptr<CCommSource> openLive(InstrumentSimulator& sim, const std::string& psd, bool inProcess = false)
    {
        std::unique_ptr<SerialLink> link;
        if (inProcess) {
            LoopbackLine line = makeLoopbackLine();
            sim.attach(std::move(line.instrument));
            link = std::move(line.program);
        } else {
            std::string error;
            EXPECT_TRUE(sim.start(&error)) << error;
            link = std::make_unique<PosixSerialLink>(std::array<std::string, 4>{sim.devicePath(), "", "", ""});
        }
        auto src = openSource(std::move(link), psd);
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
    for (bool inProcess : {false, true}) {
        for (const SimulatorOptions& options : {clean, rough}) {
            SCOPED_TRACE(run);
            SCOPED_TRACE(inProcess ? "in-process line" : "pseudo-terminal");
            InstrumentSimulator sim(frames, options);
            const std::string psd = env.cal.path("live" + std::to_string(run++) + ".psd");
            auto src = openLive(sim, psd, inProcess);
            for (std::size_t k = 0; k < frames.size(); ++k)
                ASSERT_EQ(src->nextFrame(), 1) << "frame " << k;
            EXPECT_EQ(src->frameNumber(), static_cast<int>(frames.size()) - 1);  // the last record, from 0
            src->close();
            expectSameOutputs(outputsBeside(psd), want, frames.size());
        }
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

    // Accepted as the background while recording: a file never mixes two backgrounds.
    // No: the recording goes on as it was; Yes: the frames from now on go to a new cast
    // whose header names the new background.
    const std::string psd = env.cal.path("collect.psd");
    const std::string newBackground = env.cal.path("new-zsc.asc");
    const std::string oldHeader = readFile(psd).substr(0, 512);
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes);
        env.prompter.choose(newBackground).answer(yes);
        const BuildResult result = finishLiveBackground(collection, src.get(), env.settings, env.profile,
                                                        env.prompter, [](CScatterAccumulator&) { return true; });
        EXPECT_EQ(result, BuildResult::Accepted);
        const auto& asked = env.prompter.calls().back();
        EXPECT_EQ(asked.text, "Use the new background from now on? The recording goes on in collect-2.psd; "
                              "collect.psd keeps zsc.asc");
        ASSERT_EQ(src->nextFrame(), 1);
    }
    src->close();
    // collect.psd: the five frames before the question and the one after the No, all
    // with the old background its header names; collect-2.psd: the frame after the Yes.
    EXPECT_EQ(readFile(psd).size(), (2u + 6u) * 512u);
    EXPECT_EQ(readFile(psd).substr(0, 512), oldHeader);
    const std::string second = readFile(env.cal.path("collect-2.psd"));
    ASSERT_EQ(second.size(), 3u * 512u);
    EXPECT_EQ(decodePsdHeader(reinterpret_cast<const unsigned char*>(second.data())).backgroundPath, newBackground);
    const std::string log = readFile(env.cal.path("collect-2.log"));
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1);
    EXPECT_EQ(readFile(env.cal.path("collect-2.time.csv")).substr(0, 13), "record,utc\n0,");
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
    recordingOf(frames, "rec.raw");
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

TEST_F(LiveTest, CommandLineStopsOnASignalWithEveryReceivedFrameWrittenAndItsSummary)
{
    const struct {
        int signal;
        int status;  // a hang-up was not asked for by the user: not a clean end
        const char* err;
    } cases[] = {
        {SIGINT, 0, ""},
        {SIGTERM, 0, ""},
        {SIGHUP, 1, "kavro-cli: stopped by SIGHUP (the terminal or session went away); every frame received has been "
                    "written\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.signal);
        SimulatorThread rig(recording(100), SimulatorOptions{});
        ASSERT_TRUE(rig.started);
        const std::string stem = env.cal.path("stop" + std::to_string(c.signal));
        std::vector<std::string> args = acquireArgs(env, rig.sim.devicePath(), stem + ".psd");
        args.back() = "0.02";
        Child child(args, env.cal.path("out.txt"), env.cal.path("err.txt"));
        ASSERT_TRUE(child.started());
        for (int i = 0; i < 1000 && lineCount(readFile(stem + ".log")) < 4; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        child.signal(c.signal);
        ASSERT_EQ(child.wait(), c.status) << readFile(env.cal.path("err.txt"));
        EXPECT_EQ(readFile(env.cal.path("err.txt")), c.err);

        const Outputs got = outputsBeside(stem + ".psd");
        const long written = lineCount(got.log);
        EXPECT_GE(written, 4);
        EXPECT_EQ(got.psd.size(), static_cast<std::size_t>(written + 2) * 512u);
        EXPECT_EQ(lineCount(got.asc), written);
        EXPECT_EQ(lineCount(readFile(stem + ".time.csv")), written + 1);
        EXPECT_EQ(got.log, logOf(rig.sim.recording(), static_cast<std::size_t>(written)));
        // A reply still on its way when the stop came was never received.
        const long replies = rig.sim.counters().replies;
        EXPECT_TRUE(replies == written || replies == written + 1) << replies << " replies, " << written << " written";
        EXPECT_NE(readFile(env.cal.path("out.txt"))
                      .find("Frames written: " + std::to_string(written) +
                            ", rejected: 0, suspect: 0, requests without a frame: 0\nFiles: " + stem + ".psd, " +
                            stem + ".asc, " + stem + ".log, " + stem + ".time.csv\n"),
                  std::string::npos)
            << readFile(env.cal.path("out.txt"));
    }
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

TEST_F(LiveTest, CommandLineKilledMidRunLeavesWholeRecordsOfTheFramesBeforeAndIsContinued)
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

    // Continued after the kill: a half line is left out, and the cast goes on in every
    // file with the frame numbers running on -- unless the kill came between two files.
    {
        std::ofstream(env.cal.path("killed.log"), std::ios::app) << "12 34";
    }
    const long timeLines = lineCount(readFile(env.cal.path("killed.time.csv"))) - 1;
    const bool together = records == logLines && logLines == ascLines && ascLines == timeLines;
    SimulatorThread again(frames, SimulatorOptions{});
    ASSERT_TRUE(again.started);
    std::vector<std::string> args = acquireArgs(env, again.sim.devicePath(), psd);
    args.insert(args.end(), {"--append", "--frames", "3"});
    const std::string err = env.cal.path("err2.txt");
    Child resumed(args, env.cal.path("out2.txt"), err);
    if (!together) {
        EXPECT_EQ(resumed.wait(), 1);
        EXPECT_NE(readFile(err).find("do not end together"), std::string::npos) << readFile(err);
        return;
    }
    ASSERT_EQ(resumed.wait(), 0) << readFile(err);
    EXPECT_NE(readFile(err).find("Continuing " + psd + " after its " + std::to_string(records) + " frames"),
              std::string::npos)
        << readFile(err);
    EXPECT_NE(readFile(err).find("bytes was left out"), std::string::npos) << readFile(err);
    const Outputs after = outputsBeside(psd);
    EXPECT_EQ(after.psd.size(), static_cast<std::size_t>(records + 5) * 512u);
    EXPECT_EQ(after.psd.compare(0, got.psd.size(), got.psd), 0);
    EXPECT_EQ(lineCount(after.log), logLines + 3);
    EXPECT_EQ(after.log.substr(0, wholeLines(got.log).size()), wholeLines(got.log));
    EXPECT_EQ(lineCount(after.asc), ascLines + 3);
    const std::string times = readFile(env.cal.path("killed.time.csv"));
    EXPECT_NE(times.find("\n" + std::to_string(records + 2) + ","), std::string::npos) << times;

    // A cast processed with another background is not continued: its header names the old one.
    test::writeFile(env.cal.path("other-zsc.asc"), readFile(env.cal.path("zsc.asc")));
    args.insert(args.end(), {"--background", env.cal.path("other-zsc.asc")});
    Child refused(args, env.cal.path("out2.txt"), err);
    EXPECT_EQ(refused.wait(), 1);
    EXPECT_NE(readFile(err).find(psd + " was processed with the background "), std::string::npos) << readFile(err);
    EXPECT_EQ(outputsBeside(psd).log, after.log);
}

TEST_F(LiveTest, CommandLineWaitsForALineThatGoesAndGoesOnInTheSameFilesWhenItComesBack)
{
    frames = recording(100);
    const std::string err = env.cal.path("err.txt");
    // The adapter's stable name (as udev or socat link= keep it across a replug).
    const std::string device = env.cal.path("ttyKAVRO");
    auto waitFor = [](const std::function<bool()>& done, int ms) {
        for (int i = 0; i < ms / 10 && !done(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return done();
    };
    for (const bool comesBack : {true, false}) {
        SCOPED_TRACE(comesBack);
        const std::string stem = env.cal.path(comesBack ? "replug" : "gone");
        auto rig = std::make_unique<SimulatorThread>(frames, SimulatorOptions{});
        ASSERT_TRUE(rig->started);
        std::filesystem::remove(device);
        std::filesystem::create_symlink(rig->sim.devicePath(), device);
        std::vector<std::string> args = acquireArgs(env, device, stem + ".psd");
        args.back() = "0.05";
        if (!comesBack)
            args.insert(args.end(), {"--give-up-after", "1.5"});
        Child child(args, env.cal.path("out.txt"), err);
        ASSERT_TRUE(waitFor([&] { return lineCount(readFile(stem + ".log")) >= 3; }, 10000));
        rig->stop = true;
        rig->runner.join();
        rig->sim.hangUp();
        // Unplugged, the adapter's name goes too (its pseudo-terminal's number may soon
        // belong to another program).
        std::filesystem::remove(device);
        ASSERT_TRUE(waitFor([&] { return readFile(err).find("Instrument lost at ") != std::string::npos; }, 10000))
            << readFile(err);
        EXPECT_NE(readFile(err).find(": waiting for it to come back\n"), std::string::npos) << readFile(err);
        const long before = lineCount(readFile(stem + ".log"));
        rig.reset();
        if (!comesBack) {
            // Nobody plugs it in again: the run ends as told, every frame kept.
            EXPECT_EQ(child.wait(), 1) << readFile(err);
            EXPECT_NE(readFile(err).find("given up waiting (--give-up-after)"), std::string::npos) << readFile(err);
            EXPECT_EQ(lineCount(readFile(stem + ".log")), before);
            continue;
        }
        // Plugged in again under the same name: the same files go on.
        SimulatorThread back(frames, SimulatorOptions{});
        ASSERT_TRUE(back.started);
        std::filesystem::remove(device);
        std::filesystem::create_symlink(back.sim.devicePath(), device);
        ASSERT_TRUE(waitFor([&] { return lineCount(readFile(stem + ".log")) >= before + 3; }, 8000)) << readFile(err);
        EXPECT_NE(readFile(err).find("Instrument back at "), std::string::npos) << readFile(err);
        EXPECT_NE(readFile(err).find("(0 frames lost while it was away)"), std::string::npos) << readFile(err);
        child.signal(SIGINT);
        EXPECT_EQ(child.wait(), 0) << readFile(err);
        back.stop = true;

        // Every file holds the same frames: the first run's, then the new instrument's
        // from its first, the frame numbers of the time file running on.
        const Outputs got = outputsBeside(stem + ".psd");
        const long written = lineCount(got.log);
        ASSERT_GT(written, before);
        const Outputs first = reference(static_cast<std::size_t>(before));
        EXPECT_EQ(got.log.substr(0, first.log.size()), first.log);
        EXPECT_EQ(got.log.substr(first.log.size(), 6), first.log.substr(0, 6));
        EXPECT_EQ(got.psd.size(), static_cast<std::size_t>(written + 2) * 512u);
        const std::string times = readFile(stem + ".time.csv");
        EXPECT_EQ(lineCount(times), written + 1);
        EXPECT_NE(times.find("\n" + std::to_string(written - 1) + ","), std::string::npos);
    }
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

TEST_F(LiveTest, CommandLineOnAFullDiskStopsEveryOutputAtTheSameFrameAndSaysSo)
{
    // 8 blocks of 512 bytes per file: the .psd's header and six frames fit, the
    // seventh does not; with the .asc and .log on, whichever fills first stops them all.
    const struct {
        const char* name;
        std::vector<std::string> more;
        long frames;  // -1: as many as the first file to fill holds
    } cases[] = {
        {"psd", {}, 6},
        {"psd asc log", {"--asc", "--log"}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatorThread rig(recording(100), SimulatorOptions{});
        ASSERT_TRUE(rig.started);
        const std::string stem = env.cal.path(std::string("full") + (c.more.empty() ? "1" : "2"));
        const std::string psd = stem + ".psd";
        std::vector<std::string> args = {"acquire", "--profile", env.cal.path("none.INI"), "--cal-dir",
                                         env.cal.dir.path(), "--device", rig.sim.devicePath(), "-o", psd,
                                         "--interval", "0"};
        args.insert(args.end(), c.more.begin(), c.more.end());
        Child child({"/bin/sh", "-c", "ulimit -f 8; exec " + test::cliCommand(args)}, env.cal.path("out.txt"),
                    env.cal.path("err.txt"));
        ASSERT_EQ(child.wait(), 1);
        const long records = static_cast<long>(readFile(psd).size() / 512) - 2;
        if (c.frames >= 0) {
            EXPECT_EQ(records, c.frames);
        }
        const std::string err = readFile(env.cal.path("err.txt"));
        EXPECT_EQ(err.rfind("kavro-cli: Could not write to the file " + stem + ".", 0), 0u) << err;
        EXPECT_NE(err.find(": File too large. Recording stopped; every output holds the same " +
                           std::to_string(records) + " frames.\n"),
                  std::string::npos)
            << err;
        // No file holds a frame the others lack, and the summary counts them.
        EXPECT_EQ(readFile(psd).size() % 512, 0u);
        EXPECT_EQ(lineCount(readFile(stem + ".time.csv")), records + 1);
        if (!c.more.empty()) {
            EXPECT_EQ(lineCount(readFile(stem + ".asc")), records);
            EXPECT_EQ(lineCount(readFile(stem + ".log")), records);
            EXPECT_EQ(readFile(stem + ".log"), logOf(rig.sim.recording(), static_cast<std::size_t>(records)));
        }
        EXPECT_NE(readFile(env.cal.path("out.txt")).find("Frames written: " + std::to_string(records) + ", "),
                  std::string::npos)
            << readFile(env.cal.path("out.txt"));
        EXPECT_NE(readFile(env.cal.path("out.txt")).find("Files: " + psd + ", "), std::string::npos);
    }
}

TEST_F(LiveTest, CommandLineNeverReplacesOrSharesAnOutputByAccident)
{
    frames = recording(100);
    const std::string psd = env.cal.path("shared.psd");
    RunningAcquire first(*this, psd);
    ASSERT_TRUE(first.rig.started && first.child.started());
    SimulatorThread other(frames, SimulatorOptions{});
    ASSERT_TRUE(other.started);
    const std::string out = env.cal.path("out2.txt"), err = env.cal.path("err2.txt");
    auto second = [&](const std::vector<std::string>& more) {
        std::vector<std::string> args = acquireArgs(env, other.sim.devicePath(), psd);
        args.insert(args.end(), more.begin(), more.end());
        Child child(args, out, err);
        return child.wait();
    };
    const std::string inUse = "kavro-cli: Could not write to the file " + psd + ": in use by another program or window\n";
    const struct {
        std::vector<std::string> options;
        std::string err;
    } loggers[] = {
        // A rerun onto a cast is pointed at continuing it or at a free name, never at replacing it.
        {{}, "kavro-cli: " + psd + ": the cast exists already: --append continues it, or -o " +
                 env.cal.path("shared-2.psd") + " starts a new one\n"},
        {{"--overwrite"}, inUse},
        {{"--append"}, inUse},
    };
    for (const auto& c : loggers) {
        EXPECT_EQ(second(c.options), 1);
        EXPECT_EQ(readFile(err), c.err);
        EXPECT_EQ(readFile(out), "");  // no summary of frames that went nowhere
    }
    // A .psd being logged is not shown in a window.
    {
        CPDFile viewer(context, &owner);
        env.prompter.choose(psd);
        EXPECT_THROW(viewer.open(), UserAbort);
        EXPECT_EQ(env.prompter.messages().back(), psd + " is being written by another program or window.");
    }
    first.child.signal(SIGINT);
    ASSERT_EQ(first.child.wait(), 0);
    const Outputs got = outputsBeside(psd);
    const long written = lineCount(got.log);
    expectSameOutputs(got, reference(static_cast<std::size_t>(written)), static_cast<std::size_t>(written));

    // A window showing the .psd keeps a logger out as well.
    {
        CPDFile viewer(context, &owner);
        env.prompter.choose(psd);
        viewer.open();
        EXPECT_EQ(second({"--overwrite"}), 1);
        EXPECT_EQ(readFile(err), inUse);
        EXPECT_TRUE(outputsBeside(psd).psd == got.psd);
    }
    // Asked for, and free, the file is replaced.
    EXPECT_EQ(second({"--overwrite", "--frames", "3"}), 0) << readFile(err);
    EXPECT_EQ(lineCount(readFile(env.cal.path("shared.log"))), 3);

    // Nothing to record: refused before the instrument is asked for anything.
    Child none({test::cliPath(), "acquire", "--profile", env.cal.path("none.INI"), "--cal-dir", env.cal.dir.path(),
                "--device", other.sim.devicePath(), "--frames", "2"},
               out, err);
    EXPECT_EQ(none.wait(), 2);
    EXPECT_EQ(readFile(err), "kavro-cli: nothing would be recorded: name the .psd with -o FILE, or ask for --asc, "
                             "--vsf or --log\n");
    EXPECT_EQ(readFile(out), "");
    // The .psd named like an output beside it: refused, and no file is left behind.
    const struct {
        const char* name;
        const char* flag;
    } twice[] = {{"run.asc", "--asc"}, {"run.log", "--log"}, {"run.asc", "--vsf"}};
    for (const auto& t : twice) {
        SCOPED_TRACE(t.name + std::string(" ") + t.flag);
        const std::string named = env.cal.path(t.name);
        Child refused({test::cliPath(), "acquire", "--profile", env.cal.path("none.INI"), "--cal-dir",
                       env.cal.dir.path(), "--device", other.sim.devicePath(), "-o", named, t.flag, "--frames", "2"},
                      out, err);
        EXPECT_EQ(refused.wait(), 2);
        EXPECT_EQ(readFile(err), "kavro-cli: " + named +
                                     ": the .psd and an output beside it (.asc, .log, .time.csv) would be this one "
                                     "file; give the .psd another name (e.g. ending in .psd)\n");
        EXPECT_FALSE(std::filesystem::exists(named));
        EXPECT_FALSE(std::filesystem::exists(env.cal.path("run.time.csv")));
    }
    EXPECT_EQ(other.sim.counters().requests, 3);  // the three frames of the replacing run only
}

// The times of a time-stamp file, in seconds since 1970.
std::vector<double> stampsOf(const std::string& times)
{
    std::vector<double> stamps;
    std::size_t at = times.find('\n');
    while (at != std::string::npos && at + 1 < times.size()) {
        const std::size_t comma = times.find(',', at), end = times.find('\n', at + 1);
        double seconds = -1.0;
        parseUtcTimestamp(times.substr(comma + 1, end - comma - 1), seconds);
        stamps.push_back(seconds);
        at = end;
    }
    return stamps;
}

// An instrument of the tests on a real pseudo-terminal: the n-th frame request
// (CR LF) is answered with the n-th reply of a script.  In a reply "|" pauses
// 30 ms between two writes, a leading "@N " waits N ms first, and a trailing "!"
// hangs the line up after what came before it.
class ScriptedInstrument {
public:
    ScriptedInstrument(const std::string& before, std::vector<std::string> replies) : replies_(std::move(replies))
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 || !::ptsname(master_))
            return;
        device_ = ::ptsname(master_);
        slave_ = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);  // the line stays up between opens
        termios t{};
        ::tcgetattr(slave_, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(slave_, TCSANOW, &t);
        send(before);
        std::this_thread::sleep_for(std::chrono::milliseconds(before.empty() ? 0 : 50));
        runner_ = std::thread([this] { run(); });
    }
    ~ScriptedInstrument()
    {
        stop_ = true;
        if (runner_.joinable())
            runner_.join();
        for (int fd : {master_.load(), slave_})
            if (fd >= 0)
                ::close(fd);
    }
    const std::string& device() const { return device_; }
    void send(const std::string& bytes)
    {
        if (master_ >= 0 && !bytes.empty())
            [[maybe_unused]] auto n = ::write(master_, bytes.data(), bytes.size());
    }
    // When the last character of each reply went out, in the order of the replies.
    std::vector<std::chrono::system_clock::time_point> sentAt() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return sentAt_;
    }
    // Waits until count requests have been answered (or the line was hung up).
    void waitAnswered(long count)
    {
        for (int i = 0; i < 300 && answered_ < count && master_ >= 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));  // the last bytes cross the terminal
    }

private:
    void run()
    {
        std::string line;
        while (!stop_ && master_ >= 0) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0)
                continue;
            char buffer[256];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            for (ssize_t i = 0; i < n && master_ >= 0; ++i) {
                line += buffer[i];
                if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0) {
                    line.clear();
                    play(static_cast<std::size_t>(answered_) < replies_.size() ? replies_[answered_] : "");
                    ++answered_;
                }
            }
        }
    }
    void play(std::string reply)
    {
        if (reply.rfind('@', 0) == 0) {
            const std::size_t blank = reply.find(' ');
            std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(reply.substr(1, blank))));
            reply.erase(0, blank + 1);
        }
        const bool hangUp = !reply.empty() && reply.back() == '!';
        if (hangUp)
            reply.pop_back();
        std::size_t from = 0;
        for (std::size_t bar; (bar = reply.find('|', from)) != std::string::npos; from = bar + 1) {
            send(reply.substr(from, bar - from));
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
        send(reply.substr(from));
        {
            std::lock_guard<std::mutex> lock(mutex_);
            sentAt_.push_back(std::chrono::system_clock::now());
        }
        if (hangUp) {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            ::close(master_.exchange(-1));
        }
    }

    std::vector<std::string> replies_;
    std::atomic<int> master_{-1};
    int slave_ = -1;
    std::string device_;
    std::atomic<long> answered_{0};
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<std::chrono::system_clock::time_point> sentAt_;
    std::thread runner_;
};

// One run of the instrument source against a scripted instrument.
struct Scenario {
    const char* name;
    std::string before;                // on the line before the port opens
    std::vector<std::string> replies;  // the answer to each request, in order
    int requests;
    std::string atStop;                // arrives after the last request, before the source closes
    std::vector<int> logged;           // the frames that must be in the .log, in order
    long rejected;
    long suspect;
    // Milliseconds from one request to the next, the line read between them; with
    // it, reply k carries frame k, each frame is stamped within 0.2 s of when its
    // reply was sent, and a request whose reply came in time shows that reply.
    int intervalMs = 0;
};

TEST_F(LiveTest, EveryWellFormedFrameSentIsWrittenOnceInOrderAndNothingElse)
{
    frames = recording(10);
    auto F = [this](int k) { return frameReply(frames[static_cast<std::size_t>(k)], '{', '}'); };
    auto half = [](const std::string& t, bool first) { return first ? t.substr(0, t.size() / 2) : t.substr(t.size() / 2); };
    auto withFirst = [this](const std::string& first) {  // frame 1's text with its first number replaced
        std::string t = frameReply(frames[1], '{', '}');
        return "{" + first + t.substr(t.find(' '));
    };
    const std::string f1 = F(1);
    auto padded = [this](int k) {  // its 40 numbers, but longer than any frame the instrument sends
        std::string t = "{";
        for (std::uint16_t w : frames[static_cast<std::size_t>(k)])
            t += std::to_string(w) + std::string(30, ' ');
        return t + "}\r\n";
    };
    const Scenario scenarios[] = {
        {"valid", "", {F(0), F(1), F(2)}, 3, "", {0, 1, 2}, 0, 0},
        {"split", "", {half(F(0), true) + "|" + half(F(0), false), "|" + F(1).substr(0, 5) + "|" + F(1).substr(5)}, 2, "", {0, 1}, 0, 0},
        {"two frames in one write", "", {F(0) + F(1), F(2)}, 2, "", {0, 1, 2}, 0, 0},
        {"back-to-back frames", "", {F(0).substr(0, F(0).size() - 2) + half(F(1), true), half(F(1), false) + F(2)}, 2, "", {0, 1, 2}, 0, 0},
        {"garbage with braces and digits", "", {"}12 34}{99 {1 2 3" + F(0), "{7 8 9}\r\n" + F(1)}, 2, "", {0, 1}, 1, 0},
        {"short frame", "", {F(0), "{100 200}\r\n", F(2)}, 3, "", {0, 2}, 1, 0},
        {"empty frame", "", {F(0), "{}\r\n", F(2)}, 3, "", {0, 2}, 1, 0},
        {"non-digit frame", "", {F(0), "{A1 B2 C3 ERR}\r\n", F(2)}, 3, "", {0, 2}, 1, 0},
        {"decimal point", "", {F(0), withFirst("12.5"), F(2)}, 3, "", {0, 2}, 1, 0},
        {"minus sign", "", {F(0), withFirst("-3"), F(2)}, 3, "", {0, 2}, 1, 0},
        {"out of range", "", {F(0), withFirst("65536"), F(2)}, 3, "", {0, 2}, 1, 0},
        {"more than 40 numbers", "", {F(0), f1.substr(0, f1.find('}')) + " 7}\r\n"}, 2, "", {0, 1}, 0, 1},
        {"a frame waiting before open", F(9), {F(0), F(1)}, 2, "", {0, 1}, 0, 0},
        {"silence", "", {F(0), "", F(1)}, 3, "", {0, 1}, 0, 0},
        {"late reply", "", {F(0), "@500 " + F(1), F(2)}, 3, "", {0, 1, 2}, 0, 0},
        {"hang-up mid-frame", "", {F(0), F(1), half(F(2), true) + "!"}, 3, "", {0, 1}, 0, 0},
        {"stop while a frame waits", "", {F(0), F(1)}, 2, F(2), {0, 1, 2}, 0, 0},
        {"frame text over the limit", "", {F(0), padded(1), F(2)}, 3, "", {0, 2}, 1, 0},
        {"paced, in time", "", {F(0), F(1), F(2)}, 3, "", {0, 1, 2}, 0, 0, 600},
        // Given up at 0.3 s, it comes at 0.7 s: stamped then, and the request at 1 s
        // takes it and still waits for its own reply.
        {"paced, one reply after the wait", "", {F(0), "@700 " + F(1), F(2), F(3)}, 4, "", {0, 1, 2, 3}, 0, 0, 1000},
        {"paced, two replies after the wait", "", {F(0), "@500 " + F(1), "@650 " + F(2), F(3)}, 4, "", {0, 1, 2, 3}, 0, 0, 1000},
    };
    env.settings.commWait = 2;  // tenths of a second here, see the clock below
    for (const Scenario& sc : scenarios) {
        SCOPED_TRACE(sc.name);
        ScriptedInstrument instrument(sc.before, sc.replies);
        ASSERT_FALSE(instrument.device().empty());
        const std::string psd = env.cal.path("scenario.psd");
        auto src = openSource(std::make_unique<PosixSerialLink>(std::array<std::string, 4>{instrument.device(), "", "", ""}),
                              psd);
        src->setTiming({[] {
                            using namespace std::chrono;
                            return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count() / 100;
                        },
                        kavro::sleepMilliseconds});
        using Clock = std::chrono::steady_clock;
        const Clock::time_point begin = Clock::now();
        for (int r = 0; r < sc.requests; ++r) {
            // Between requests the line is read as the program's loops read it.
            while (sc.intervalMs > 0 && Clock::now() < begin + std::chrono::milliseconds(sc.intervalMs * r)) {
                src->pollLine();
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            const long withoutFrame = src->counts().withoutFrame;
            const int got = src->nextFrame();
            // Its own reply came in time: that is the frame shown, not an older one.
            if (sc.intervalMs > 0 && src->counts().withoutFrame == withoutFrame) {
                EXPECT_EQ(got, 1) << "request " << r;
                EXPECT_EQ(src->frameWords(), frames[static_cast<std::size_t>(r)]) << "request " << r << " is one late";
            }
        }
        instrument.waitAnswered(sc.requests);
        instrument.send(sc.atStop);
        if (!sc.atStop.empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        src->close();

        std::vector<RawWords> sent;
        for (int k : sc.logged)
            sent.push_back(frames[static_cast<std::size_t>(k)]);
        EXPECT_EQ(src->counts().written, static_cast<long>(sent.size()));
        EXPECT_EQ(src->counts().rejected, sc.rejected);
        EXPECT_EQ(src->counts().suspect, sc.suspect);
        const Outputs got = outputsBeside(psd);
        EXPECT_EQ(got.log, logOf(sent, sent.size()));
        expectSameOutputs(got, processed(sent), sent.size());
        const std::string times = readFile(env.cal.path("scenario.time.csv"));
        EXPECT_EQ(lineCount(times), static_cast<long>(sent.size()) + 1);
        EXPECT_EQ(times.rfind("record,utc\n0,", 0), 0u);
        EXPECT_NE(times.find("\n" + std::to_string(sent.size() - 1) + ","), std::string::npos);
        EXPECT_EQ(times.find("\n" + std::to_string(sent.size()) + ","), std::string::npos);
        if (sc.intervalMs > 0) {
            const std::vector<double> stamps = stampsOf(times);
            const auto sentAt = instrument.sentAt();
            ASSERT_EQ(stamps.size(), sentAt.size());
            for (std::size_t k = 0; k < stamps.size(); ++k) {
                const double sentSeconds =
                    std::chrono::duration<double>(sentAt[k].time_since_epoch()).count();
                EXPECT_NEAR(stamps[k], sentSeconds, 0.2) << "frame " << k;
            }
        }
    }
}

TEST_F(LiveTest, CommandLineStampsALateReplyWhenItCameAndKeepsTheRequestsAfterItOnTime)
{
    // A request every 2 s, each waiting up to 1 s (CommWait 0); the second reply comes
    // 1.5 s after its request, when that request has given up.
    frames = recording(5);  // the recording's special frames reach up to frame 4
    frames.resize(4);
    auto F = [this](int k) { return frameReply(frames[static_cast<std::size_t>(k)], '{', '}'); };
    ScriptedInstrument instrument("", {F(0), "@1500 " + F(1), F(2), F(3)});
    ASSERT_FALSE(instrument.device().empty());
    const std::string profile = env.cal.path("late.INI");
    test::writeFile(profile, "[Miscellaneous]\nCommWait=0\n");
    const std::string psd = env.cal.path("late.psd");
    std::vector<std::string> args = acquireArgs(env, instrument.device(), psd);
    args[3] = profile;
    args.back() = "2";
    args.insert(args.end(), {"--frames", "4"});
    Child child(args, env.cal.path("out.txt"), env.cal.path("err.txt"));
    ASSERT_EQ(child.wait(), 0) << readFile(env.cal.path("err.txt"));

    const std::vector<double> stamps = stampsOf(readFile(env.cal.path("late.time.csv")));
    const auto sentAt = instrument.sentAt();
    // The fourth request's own reply ended the run: no request was one reply behind.
    ASSERT_EQ(sentAt.size(), 4u);
    ASSERT_EQ(stamps.size(), 4u);
    for (std::size_t k = 0; k < stamps.size(); ++k)
        EXPECT_NEAR(stamps[k], std::chrono::duration<double>(sentAt[k].time_since_epoch()).count(), 0.2)
            << "frame " << k;
    EXPECT_EQ(outputsBeside(psd).log, logOf(frames, 4));
    EXPECT_NE(readFile(env.cal.path("out.txt")).find("Frames written: 4, rejected: 0, suspect: 0, requests without a frame: 1"),
              std::string::npos)
        << readFile(env.cal.path("out.txt"));
}

}  // namespace
}  // namespace kavro
