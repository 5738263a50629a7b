#include "sim/InstrumentSimulator.h"

#include "acquisition/FrameReceiver.h"
#include "platform/posix/PosixSerialLink.h"
#include "resources/CliTexts.h"
#include "sim/LoopbackLine.h"
#include "tests/support/TestFiles.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>

namespace kavro {
namespace {

using Clock = std::chrono::steady_clock;
using Result = FrameReceiver::Result;

// Sends a frame request and waits up to waitMs for a frame; idle() runs between tries.
Result exchange(SerialLink& link, FrameReceiver& rx, int waitMs, const std::function<void()>& idle)
{
    link.beforeCommand();
    link.write("\r\n", 2);
    Clock::time_point until = Clock::now() + std::chrono::milliseconds(waitMs);
    Result r = Result::NoFrame;
    while (r == Result::NoFrame && Clock::now() < until) {
        idle();
        r = rx.receive(link);
    }
    return r;
}

// Collects what the link brings until it ends with tail (or 2 s passed).
std::string replyTo(SerialLink& link, InstrumentSimulator& sim, const std::string& line, const std::string& tail)
{
    link.write(line.data(), static_cast<int>(line.size()));
    std::string got;
    char buf[64];
    for (int i = 0; i < 400 && (got.size() < tail.size() || got.compare(got.size() - tail.size(), tail.size(), tail)); ++i) {
        sim.step(5);
        int n = link.readPending(buf, sizeof buf);
        got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
}

std::vector<RawWords> distinctFrames(int count)
{
    std::vector<RawWords> frames(static_cast<std::size_t>(count));
    for (std::size_t k = 0; k < frames.size(); ++k)
        for (std::size_t i = 0; i < 40; ++i)
            frames[k][i] = static_cast<std::uint16_t>(k * 1000 + i * 17);
    frames[0][0] = 65535;
    frames[0][39] = 0;
    return frames;
}

void expectWords(const FrameReceiver& rx, const RawWords& words)
{
    std::array<double, 40> values;
    values.fill(-1.0);
    const FrameReceiver::Check check = rx.parseFrameText(values);
    ASSERT_EQ(check.fault, FrameReceiver::Fault::None) << rx.frameText();
    ASSERT_EQ(check.numbers, 40) << rx.frameText();
    for (std::size_t i = 0; i < 40; ++i)
        ASSERT_EQ(values[i], static_cast<double>(words[i])) << "value " << i << " of " << rx.frameText();
}

// The two lines the simulator plays on: a pseudo-terminal opened as a serial
// device, and the in-process line.  Every behaviour below holds on both.
enum class Line { PseudoTerminal, InProcess };

struct Rig {
    explicit Rig(Line line, SimulatorOptions options, std::vector<RawWords> recording = distinctFrames(5))
        : sim(std::move(recording), options)
    {
        if (line == Line::PseudoTerminal) {
            std::string error;
            if (!sim.start(&error))
                throw std::runtime_error(error);
            link = std::make_unique<PosixSerialLink>(std::array<std::string, 4>{sim.devicePath(), "", "", ""});
        } else {
            LoopbackLine loop = makeLoopbackLine();
            sim.attach(std::move(loop.instrument));
            link = std::move(loop.program);
        }
        if (link->open(0) != 0 || link->setLineParameters() != 0)
            throw std::runtime_error(link->lastError());
    }
    Result exchange(int waitMs = 2000)
    {
        return kavro::exchange(*link, rx, waitMs, [this] { sim.step(5); });
    }
    InstrumentSimulator sim;
    std::unique_ptr<SerialLink> link;
    FrameReceiver rx;
};

class InstrumentSimulatorOn : public ::testing::TestWithParam<Line> {};

INSTANTIATE_TEST_SUITE_P(Lines, InstrumentSimulatorOn, ::testing::Values(Line::PseudoTerminal, Line::InProcess),
                         [](const ::testing::TestParamInfo<Line>& info) {
                             return info.param == Line::PseudoTerminal ? "PseudoTerminal" : "InProcess";
                         });

TEST_P(InstrumentSimulatorOn, SplitDelayedNoisyRepliesReadBackAsTheRecording)
{
    SimulatorOptions o;
    o.replyDelayMs = 20;
    o.pieces = 4;
    o.pieceGapMs = 5;
    o.lineNoise = true;
    o.seed = 7;
    Rig rig(GetParam(), o);
    const auto& recording = rig.sim.recording();
    for (std::size_t k = 0; k < 12; ++k) {  // twice round the recording and on
        ASSERT_EQ(rig.exchange(), Result::Frame) << "reply " << k;
        expectWords(rig.rx, recording[k % recording.size()]);
    }
    EXPECT_EQ(rig.sim.counters().requests, 12);
    EXPECT_EQ(rig.sim.counters().replies, 12);
}

TEST_P(InstrumentSimulatorOn, DroppedRepliesUseUpTheirFrames)
{
    SimulatorOptions o;
    o.dropEvery = 3;
    Rig rig(GetParam(), o);
    std::vector<std::size_t> answered;
    for (std::size_t k = 0; k < 6; ++k)
        if (rig.exchange(300) == Result::Frame) {
            answered.push_back(k);
            expectWords(rig.rx, rig.sim.recording()[k]);
        }
    EXPECT_EQ(answered, (std::vector<std::size_t>{0, 1, 3, 4}));
    EXPECT_EQ(rig.sim.counters().dropped, 2);
}

TEST_P(InstrumentSimulatorOn, AnswersCommandsAndCtrlC)
{
    SimulatorOptions o;
    o.commandReply = "READY";
    o.ctrlCReply = "BREAK";
    Rig rig(GetParam(), o);
    EXPECT_EQ(replyTo(*rig.link, rig.sim, "RUN 5\r\n", "READY\r\n"), "RUN 5\r\nREADY\r\n");
    EXPECT_EQ(replyTo(*rig.link, rig.sim, "\x03\r\n", "BREAK\r\n"), "BREAK\r\n");
    EXPECT_EQ(rig.sim.counters().commands, 2);
    EXPECT_EQ(rig.sim.counters().requests, 0);
    // Frame requests are still answered from the first frame on.
    ASSERT_EQ(rig.exchange(), Result::Frame);
    expectWords(rig.rx, rig.sim.recording()[0]);
}

TEST_P(InstrumentSimulatorOn, StopsAtTheEndOfTheRecordingOrAfterNReplies)
{
    SimulatorOptions once;
    once.loop = false;
    Rig a(GetParam(), once, distinctFrames(2));
    EXPECT_EQ(a.exchange(), Result::Frame);
    EXPECT_FALSE(a.sim.finished());
    EXPECT_EQ(a.exchange(), Result::Frame);
    EXPECT_TRUE(a.sim.finished());
    EXPECT_FALSE(a.sim.step(0));

    SimulatorOptions three;
    three.maxReplies = 3;
    Rig b(GetParam(), three, distinctFrames(2));
    for (std::size_t k = 0; k < 3; ++k) {
        ASSERT_EQ(b.exchange(), Result::Frame);
        expectWords(b.rx, b.sim.recording()[k % 2]);
    }
    EXPECT_TRUE(b.sim.finished());
}

TEST_P(InstrumentSimulatorOn, RunsOnItsOwnThreadAndHangsUp)
{
    Rig rig(GetParam(), SimulatorOptions{});
    std::atomic<bool> stop{false};
    std::thread runner([&] { rig.sim.run(stop); });
    Result first = exchange(*rig.link, rig.rx, 2000, [] { std::this_thread::sleep_for(std::chrono::milliseconds(5)); });
    stop = true;
    runner.join();
    ASSERT_EQ(first, Result::Frame);
    expectWords(rig.rx, rig.sim.recording()[0]);

    rig.sim.hangUp();
    EXPECT_EQ(rig.rx.receive(*rig.link), Result::LinkFailed);
    EXPECT_TRUE(rig.link->failed());
    if (GetParam() == Line::PseudoTerminal)
        EXPECT_EQ(rig.link->lastError().rfind(rig.sim.devicePath() + ": ", 0), 0u) << rig.link->lastError();
    else
        EXPECT_EQ(rig.link->lastError(), text::kLoopbackHungUp);
    // Nothing moves on a line that has hung up, and it does not open again.
    char scrap[16];
    EXPECT_EQ(rig.link->readPending(scrap, static_cast<int>(sizeof scrap)), 0);
    EXPECT_FALSE(rig.sim.step(0));
}

TEST_P(InstrumentSimulatorOn, HangingUpInTheMiddleOfAReplyGivesNoFrame)
{
    // The line goes dead after the first piece of a reply: what came is no frame,
    // the frame before stays as it was, and the receiver says the link failed.
    SimulatorOptions options;
    options.pieces = 3;
    options.pieceGapMs = 200;
    Rig rig(GetParam(), options);
    ASSERT_EQ(rig.exchange(), Result::Frame);
    const std::string before(rig.rx.frameText());

    rig.link->beforeCommand();
    rig.link->write("\r\n", 2);
    Result r = Result::NoFrame;
    for (int i = 0; i < 200 && rig.rx.pending().empty() && r == Result::NoFrame; ++i) {
        rig.sim.step(5);
        r = rig.rx.receive(*rig.link);
    }
    ASSERT_EQ(r, Result::NoFrame);
    ASSERT_FALSE(rig.rx.pending().empty()) << "the first piece never came";
    rig.sim.hangUp();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(rig.rx.receive(*rig.link), Result::LinkFailed);
    EXPECT_EQ(rig.rx.frameText(), before);
    EXPECT_TRUE(rig.link->failed());
}

TEST(InstrumentSimulator, RecordingsAreReadBigEndian)
{
    test::TempDir dir;
    std::vector<std::vector<std::uint16_t>> words = {{0x1234, 0xFFFF, 1}, {0, 0x8000}};
    test::writeFile(dir.file("two.raw"), test::rawRecords(words) + std::string(30, '\x7f'));
    std::vector<RawWords> frames;
    std::string error;
    ASSERT_TRUE(loadRecording(dir.file("two.raw"), frames, &error)) << error;
    ASSERT_EQ(frames.size(), 2u);  // the partial record at the end is left out
    EXPECT_EQ(frames[0][0], 0x1234);
    EXPECT_EQ(frames[0][1], 0xFFFF);
    EXPECT_EQ(frames[0][2], 1);
    EXPECT_EQ(frames[1][1], 0x8000);

    test::writeFile(dir.file("short.raw"), std::string(79, '\0'));
    EXPECT_FALSE(loadRecording(dir.file("short.raw"), frames, &error));
    EXPECT_EQ(error, dir.file("short.raw") + ": holds no complete 80-byte record");
    EXPECT_FALSE(loadRecording(dir.file("none.raw"), frames, &error));
    EXPECT_EQ(error, dir.file("none.raw") + ": cannot read the recording");
}

TEST(InstrumentSimulator, CommandLineServesTheGivenRecording)
{
    test::TempDir dir;
    std::vector<RawWords> recording = distinctFrames(3);
    std::vector<std::vector<std::uint16_t>> words;
    for (const RawWords& w : recording)
        words.emplace_back(w.begin(), w.end());
    test::writeFile(dir.file("rec.raw"), test::rawRecords(words));
    test::writeFile(dir.file("kavro.INI"), "[Miscellaneous]\nStartChar=<\nEndChar=>\n");
    // The watchdog ends the simulator should this test fail halfway.
    std::string command = "timeout 20 " KAVRO_BIN_DIR "/kavro-cli simulate --frames 2 --raw " + dir.file("rec.raw")
                          + " --profile " + dir.file("kavro.INI");
    std::FILE* out = ::popen(command.c_str(), "r");
    ASSERT_NE(out, nullptr);
    char line[512] = {};
    ASSERT_NE(std::fgets(line, sizeof line, out), nullptr);
    std::string first = line;
    const std::string lead = "Instrument simulator on ";
    ASSERT_EQ(first.rfind(lead, 0), 0u) << first;
    std::string device = first.substr(lead.size(), first.size() - lead.size() - 1);

    PosixSerialLink link({device, "", "", ""});
    ASSERT_EQ(link.open(0), 0) << link.lastError();
    ASSERT_EQ(link.setLineParameters(), 0);
    FrameReceiver rx('<', '>');
    auto wait = [] { std::this_thread::sleep_for(std::chrono::milliseconds(10)); };
    for (std::size_t k = 0; k < 2; ++k) {
        ASSERT_EQ(exchange(link, rx, 3000, wait), Result::Frame);
        expectWords(rx, recording[k]);
    }
    std::string rest;
    while (std::fgets(line, sizeof line, out))
        rest += line;
    int status = ::pclose(out);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_NE(rest.find("  COM2Device=" + device + "\n"), std::string::npos) << rest;
    EXPECT_NE(rest.find("Frame requests: 2, replies: 2, dropped: 0"), std::string::npos) << rest;
}

}  // namespace
}  // namespace kavro
