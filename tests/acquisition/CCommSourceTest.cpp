#include "acquisition/CCommSource.h"
#include "acquisition/RequestPacer.h"
#include "core/CPDFile.h"
#include "tests/core/CoreFixture.h"
#include "tests/support/ScriptedSerialLink.h"

#include <cmath>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

using namespace kavro;
using namespace kavro::test;

namespace {

// The document as the source sees it, keeping what goes to the receive-buffer window.
class BufferOwner : public FixedModelOwner {
public:
    void showBufferText(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

// Time that passes only when the source sleeps; onSleep(n) runs at the n-th sleep.
struct FakeClock {
    long long ms = 0;
    int sleeps = 0;
    std::function<void(int)> onSleep;
    CCommSource::Timing timing()
    {
        return {[this] { return ms / 1000; },
                [this](int d) {
                    ms += d;
                    ++sleeps;
                    if (onSleep)
                        onSleep(sleeps);
                }};
    }
};

std::string frameOf(const std::vector<int>& values)
{
    std::string s = "{";
    for (int v : values)
        s += std::to_string(v) + " ";
    return s + "}";
}

// 40 values as a frame of the instrument: rings, laser power and reference in range.
std::vector<int> fullFrame(int ring)
{
    std::vector<int> v(40, ring);
    v[32] = 4000;
    v[35] = 2000;
    return v;
}

// Runs in another folder for its lifetime (outputs named after "Instrument" go to the current one).
struct InFolder {
    explicit InFolder(const std::string& dir) : before(std::filesystem::current_path())
    {
        std::filesystem::current_path(dir);
    }
    ~InFolder() { std::filesystem::current_path(before); }
    std::filesystem::path before;
};

struct CommTest : ::testing::Test {
    CoreEnv env;
    BufferOwner owner;
    SourceContext context{env.settings, env.profile, env.prompter};
    ScriptedSerialLink* link = nullptr;
    FakeClock clock;
    std::unique_ptr<CCommSource> src;

    CCommSource& make(const std::string& port = "COM2:")
    {
        auto scripted = std::make_unique<ScriptedSerialLink>();
        link = scripted.get();
        src = std::make_unique<CCommSource>(context, &owner, std::move(scripted), port);
        src->setTiming(clock.timing());
        return *src;
    }
    // The answers of the open sequence: ring area and background (and the .psd when asked).
    CCommSource& open(const std::string& psd = "")
    {
        make();
        env.prompter.choose(env.cal.path("RingArea_a.asc")).choose(env.cal.path("zsc.asc"));
        if (!psd.empty())
            env.prompter.choose(psd);
        src->open();
        return *src;
    }
    // .log, .psd and .asc switched on for the sources built from now on.
    void allOutputs()
    {
        env.settings.outputs.value[0] = 1;
        env.settings.outputs.value[1] = 1;
        env.settings.outputs.value[2] = 1;
    }
};

}  // namespace

TEST_F(CommTest, PortNamesAreComparedExactly)
{
    const std::pair<const char*, int> cases[] = {{"COM1:", 0}, {"COM2:", 1}, {"COM3:", 2}, {"COM4:", 3},
                                                 {"COM5:", 1}, {"com1:", 1}, {"COM1", 1},  {" COM3:", 1}};
    for (const auto& [name, index] : cases)
        EXPECT_EQ(make(name).portIndex(), index) << name;
    EXPECT_EQ(make("").portName(), "COM1:");
    EXPECT_EQ(src->portIndex(), 0);

    // The port the link is asked to open.
    make("COM4:");
    env.prompter.choose(env.cal.path("RingArea_a.asc")).choose(env.cal.path("zsc.asc"));
    src->open();
    EXPECT_EQ(link->openedPort, 3);
    EXPECT_EQ(src->portOpen(), 1);
}

TEST_F(CommTest, ABuiltSourceIsTheInstrumentWithItsOwnSwitches)
{
    CCommSource& s = make();
    EXPECT_EQ(s.sourceName(), "Instrument");
    EXPECT_EQ(s.sourceKind(), 0);
    EXPECT_EQ(s.rawBinarySwitch(), 1);
    EXPECT_EQ(s.asciiRawSwitch() + s.binarySizeSwitch() + s.asciiSizeSwitch() + s.vsfInAsciiSwitch(), 0);
    EXPECT_EQ(s.command(), "");
    // Live frames cannot be stepped back or jumped to.
    EXPECT_EQ(s.previousFrame(), 0);
    EXPECT_EQ(s.rewind(), 0);
    EXPECT_EQ(s.goToFrame(5), 0);

    env.settings.outputs.value[4] = 1;  // VSF of the instrument group
    env.settings.outputs.value[8] = 0;
    EXPECT_EQ(make().vsfInAsciiSwitch(), 1);
}

TEST_F(CommTest, OpenAsksOnlyForWhatIsSwitchedOnAndSendsNothing)
{
    open();
    ASSERT_EQ(env.prompter.calls().size(), 2u);  // ring area, background: no .psd output
    EXPECT_EQ(link->written, "");
    EXPECT_EQ(src->calibrationOK(), 1);
    EXPECT_EQ(src->sourceName(), "Instrument");

    allOutputs();
    const std::string psd = env.cal.path("live.psd");
    open(psd);
    const auto& save = env.prompter.calls().back();
    ASSERT_EQ(save.kind, ScriptedPrompter::Kind::Save);
    EXPECT_EQ(save.request.initialName, "Instrument.psd");
    EXPECT_EQ(src->sourceName(), psd);
    EXPECT_TRUE(fileExists(env.cal.path("live.asc")));
    EXPECT_TRUE(fileExists(env.cal.path("live.log")));
}

TEST_F(CommTest, AnAscWithoutPsdGoesToInstrumentAscInTheCurrentFolder)
{
    env.settings.outputs.value[0] = 1;
    TempDir here;
    {
        InFolder in(here.path());
        open();
        link->reply(frameOf(fullFrame(50)));
        EXPECT_EQ(src->readNextFrame(), 1);
        src->close();
    }
    std::string asc = readFile(here.file("Instrument.asc"));
    EXPECT_EQ(std::count(asc.begin(), asc.end(), '\n'), 1);
}

TEST_F(CommTest, APortThatFailsIsToldWithItsDevice)
{
    make("COM2:");
    link->openResult = 1;
    link->breakLink("/dev/ttyUSB1: no such device");
    EXPECT_THROW(src->open(), UserAbort);
    ASSERT_EQ(env.prompter.calls().size(), 1u);  // the message, no dialog
    EXPECT_EQ(env.prompter.messages()[0], "Could not open the instrument port COM2: - /dev/ttyUSB1: no such device");
    EXPECT_EQ(src->portOpen(), 0);
    EXPECT_EQ(link->closeEndCalls, 0);

    // The line cannot be set up: the port opened is let go again.
    make("COM3:");
    link->lineResult = 1;
    EXPECT_THROW(src->open(), UserAbort);
    EXPECT_EQ(env.prompter.messages().back(), "Could not open the instrument port COM3: - no reason given");
    EXPECT_EQ(link->closeEndCalls, 1);
    EXPECT_EQ(src->portOpen(), 0);
}

TEST_F(CommTest, ACancelledOpenLetsThePortGo)
{
    make();
    env.prompter.choose(env.cal.path("RingArea_a.asc")).cancel();
    EXPECT_THROW(src->open(), UserAbort);
    EXPECT_TRUE(env.prompter.messages().empty());
    EXPECT_EQ(link->closeEndCalls, 1);
    EXPECT_EQ(src->portOpen(), 0);
}

TEST_F(CommTest, APsdNamedLikeAnOutputBesideItIsRefusedBeforeAnyFileIsMade)
{
    const struct {
        const char* name;
        int slot;  // the switch of the output beside it: .asc 0, .log 1
        bool existed;
    } cases[] = {{"same.asc", 0, false}, {"same.log", 1, false}, {"kept.asc", 0, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        env.settings.outputs = OutputSwitchBlock{};
        env.settings.outputs.value[2] = 1;  // .psd
        env.settings.outputs.value[static_cast<std::size_t>(c.slot)] = 1;
        const std::string named = env.cal.path(c.name);
        if (c.existed)
            writeFile(named, "a cast of yesterday\n");
        make();
        env.prompter.choose(env.cal.path("RingArea_a.asc")).choose(env.cal.path("zsc.asc")).choose(named);
        EXPECT_THROW(src->open(), UserAbort);
        ASSERT_FALSE(env.prompter.messages().empty());
        EXPECT_EQ(env.prompter.messages().back(),
                  named + ": the .psd and an output beside it (.asc, .log, .time.csv) would be this one file; give "
                          "the .psd another name (e.g. ending in .psd)");
        EXPECT_EQ(fileExists(named), c.existed);
        if (c.existed) {
            EXPECT_EQ(readFile(named), "a cast of yesterday\n");
        }
        EXPECT_FALSE(fileExists(env.cal.path(std::string(c.name).substr(0, 4) + ".time.csv")));
        EXPECT_EQ(src->portOpen(), 0);
    }
}

TEST_F(CommTest, AFrameInPiecesAcrossPollsKeepsWhatFollows)
{
    open();
    const std::string frame = frameOf(fullFrame(7));
    link->reply("xx" + frame.substr(0, 10));
    clock.onSleep = [&](int n) {
        if (n == 1)
            link->arrive(frame.substr(10) + "{5");
    };
    ASSERT_EQ(src->readNextFrame(), 1);
    EXPECT_EQ(src->frameText(), frame);
    EXPECT_EQ(src->pendingText(), "{5");
    EXPECT_EQ(src->rawValue(0), 7.0);
    EXPECT_EQ(src->rawValue(32), 4000.0);
    EXPECT_EQ(src->frameNumber(), 0);  // the first record of the .psd
    EXPECT_EQ(src->lastExchange(), CCommSource::Exchange::Frame);
    EXPECT_EQ(link->written, "\r\n");  // the empty poll command and CR LF
    EXPECT_EQ(link->beforeCommandCalls, 1);
    EXPECT_EQ(owner.texts, std::vector<std::string>{frame});
    EXPECT_EQ(clock.sleeps, 1);
}

TEST_F(CommTest, WithoutAnEndCharacterTheWaitEndsAfterCommWait)
{
    open();
    const std::string frame = frameOf(fullFrame(9));
    const std::string start = frame.substr(0, frame.size() - 1);
    link->reply(start);
    std::vector<int> waited;
    src->setWaitListener([&waited](int s) { waited.push_back(s); });
    EXPECT_EQ(src->readNextFrame(), 0);
    // Whole seconds: the wait ends once more than 5 have passed; the window hears of every pause.
    EXPECT_EQ(clock.ms, 6000);
    EXPECT_EQ(clock.sleeps, 120);
    ASSERT_EQ(waited.size(), 120u);
    EXPECT_EQ(waited.front(), 0);
    EXPECT_EQ(waited.back(), 5);
    EXPECT_EQ(src->pendingText(), start);
    EXPECT_TRUE(owner.texts.empty());
    EXPECT_EQ(src->lastExchange(), CCommSource::Exchange::NoReply);
    EXPECT_EQ(src->frameNumber(), 0);  // no frame, no new number

    env.settings.commWait = 1;
    clock.ms = 0;
    clock.sleeps = 0;
    EXPECT_EQ(src->readNextFrame(), 0);
    EXPECT_EQ(clock.sleeps, 40);
    EXPECT_EQ(src->counts().withoutFrame, 2);
    // The rest of the first reply comes before the third request: that request
    // takes the late frame and still waits for its own reply, which never comes.
    link->arrive("}");
    clock.sleeps = 0;
    EXPECT_EQ(src->readNextFrame(), 1);
    EXPECT_EQ(src->frameText(), frame);
    EXPECT_EQ(src->frameNumber(), 0);
    EXPECT_EQ(src->counts().written, 1);
    EXPECT_EQ(src->counts().withoutFrame, 3);
    EXPECT_EQ(clock.sleeps, 40);
    EXPECT_EQ(link->written, "\r\n\r\n\r\n");
}

TEST_F(CommTest, AFrameThatIsNotFortySixteenBitNumbersIsRejectedAndCounted)
{
    env.settings.outputs.value[1] = 1;  // .log
    TempDir here;
    InFolder in(here.path());
    open();
    link->reply(frameOf(fullFrame(7)));
    ASSERT_EQ(src->readNextFrame(), 1);
    std::string forty = frameOf(fullFrame(3)).substr(1);
    std::string padded = "{";  // 40 good numbers, but longer than any frame the instrument sends
    for (int v : fullFrame(3))
        padded += std::to_string(v) + std::string(30, ' ');
    padded += "}";
    ASSERT_GT(padded.size(), 1027u);
    const std::string rejected[] = {"{100 200}", "{}", "{A1 B2 C3 ERR}", "{12.5 " + forty, "{-3 " + forty.substr(2),
                                    "{70000 " + forty.substr(2), padded};
    long count = 0;
    for (const std::string& text : rejected) {
        SCOPED_TRACE(text);
        link->reply(text);
        EXPECT_EQ(src->readNextFrame(), 0);
        EXPECT_EQ(src->lastExchange(), CCommSource::Exchange::Rejected);
        EXPECT_EQ(src->counts().rejected, ++count);
        EXPECT_EQ(owner.texts.back(), text.substr(0, 1027));  // shown in the receive-buffer window all the same
        EXPECT_EQ(src->frameNumber(), 0);
        EXPECT_EQ(src->rawValue(0), 7.0);
        EXPECT_EQ(src->frameWords()[0], 7);
    }
    EXPECT_EQ(src->counts().withoutFrame, count);
    EXPECT_EQ(clock.sleeps, 0);  // a rejected reply is an answer: no waiting on

    // Noise around a frame, and more than 40 numbers: written, the second one suspect.
    link->reply("}}\x01\xff{junk{ 9,x8;7 " + forty.substr(6) + "\r\n{1 " + forty);
    ASSERT_EQ(src->readNextFrame(), 1);
    EXPECT_EQ(src->frameNumber(), 2);
    EXPECT_EQ(src->counts().written, 3);
    EXPECT_EQ(src->counts().suspect, 1);
    EXPECT_EQ(src->rawValue(0), 1.0);
    src->close();
    const std::string log = readFile(here.file("Instrument.log"));
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3);
    EXPECT_NE(log.find("\n9 8 7 3 3 "), std::string::npos);
    // The time file names each frame by its .psd record, as the window numbers it.
    const std::string times = readFile(here.file("Instrument.time.csv"));
    EXPECT_EQ(times.substr(0, 13), "record,utc\n0,");
    EXPECT_NE(times.find("\n2,"), std::string::npos);
    EXPECT_EQ(times.find("\n3,"), std::string::npos);
}

TEST_F(CommTest, WordsAreTheUnsignedSixteenBitValues)
{
    EXPECT_EQ(CCommSource::wordOf(65534.99), 65534);
    EXPECT_EQ(CCommSource::wordOf(65535.0), 65535);
    EXPECT_EQ(CCommSource::wordOf(0.99), 0);
    EXPECT_EQ(CCommSource::wordOf(-1.0), 0);
    EXPECT_EQ(CCommSource::wordOf(HUGE_VAL), 65535);
    EXPECT_EQ(CCommSource::wordOf(std::nan("")), 0);
}

TEST_F(CommTest, AFramesNumberIsItsRecordInTheReplayedPsdAndAnAverageSavedLeavesIt)
{
    allOutputs();
    const std::string psd = env.cal.path("numbers.psd");
    open(psd);
    std::vector<double> transmissions;
    auto take = [&](int ring) {
        std::vector<int> values = fullFrame(ring);
        values[32] = 2000 + 2 * ring;  // a transmission of its own
        link->reply(frameOf(values));
        ASSERT_EQ(src->readNextFrame(), 1);
        transmissions.push_back(src->transmission());
    };
    for (int ring : {100, 300, 600})
        take(ring);
    EXPECT_EQ(src->frameNumber(), 2);
    // An average written apart (Accumulate and Average) is no frame of the cast.
    double avg[kFrameValues];
    for (int i = 0; i < kFrameValues; ++i)
        avg[i] = src->rawValue(i);
    EXPECT_TRUE(src->processAndSave(avg, env.cal.path("average.psd"), 1, 0));
    EXPECT_EQ(src->frameNumber(), 2);
    take(900);
    EXPECT_EQ(src->frameNumber(), 3);
    src->close();

    CPDFile replay(context, &owner);
    env.prompter.choose(psd);
    replay.open();
    for (int n : {3, 0, 2, 1}) {
        SCOPED_TRACE(n);
        ASSERT_EQ(replay.goToFrame(n), 1);
        EXPECT_EQ(replay.frameNumber(), n);
        EXPECT_FLOAT_EQ(static_cast<float>(replay.transmission()),
                        static_cast<float>(transmissions[static_cast<std::size_t>(n)]));
    }
    // The time file names the same records by the same numbers.
    const std::string times = readFile(env.cal.path("numbers.time.csv"));
    EXPECT_EQ(std::count(times.begin(), times.end(), '\n'), 5);
    EXPECT_EQ(times.rfind("record,utc\n0,", 0), 0u);
    EXPECT_NE(times.find("\n3,"), std::string::npos);
    EXPECT_EQ(times.find("\n4,"), std::string::npos);
}

TEST_F(CommTest, CtrlCAndCommandsAreSentWithCrLfAndTheirReplyKeptApart)
{
    open();
    link->arrive("{5");
    EXPECT_EQ(src->readNextFrame(), 0);  // "{5" waits in the frame buffer
    link->written.clear();
    clock.sleeps = 0;

    link->arrive("STOPPED\r\n");
    src->sendCtrlC();
    EXPECT_EQ(link->written, std::string("\x03\r\n"));
    EXPECT_EQ(src->command(), "");
    EXPECT_EQ(src->lastReply(), "STOPPED\r\n");
    EXPECT_EQ(owner.texts.back(), "STOPPED\r\n");
    EXPECT_EQ(clock.sleeps, 3);
    EXPECT_EQ(src->pendingText(), "{5");

    // A reply coming in bits over the three rounds is collected four bytes at a time.
    link->written.clear();
    src->setCommand("RUN 5");
    link->arrive("RUN 5\r\n");
    clock.onSleep = [this](int n) {
        if (n == 5)
            link->arrive("OK\r\n");
    };
    int readsBefore = link->readCalls;
    src->sendCommandAndShowReply();
    EXPECT_EQ(link->written, "RUN 5\r\n");
    EXPECT_EQ(src->lastReply(), "RUN 5\r\nOK\r\n");
    EXPECT_EQ(src->command(), "RUN 5");
    // Round 1 "RUN ", "5\r\n", nothing; round 2 "OK\r\n", nothing; round 3 nothing.
    EXPECT_EQ(link->readCalls - readsBefore, 3 + 2 + 1);
    clock.onSleep = nullptr;

    // Ctrl-C keeps the command; an empty command still sends CR LF.
    src->sendCtrlC();
    EXPECT_EQ(src->command(), "RUN 5");
    link->written.clear();
    src->setCommand("");
    src->sendCommandAndShowReply();
    EXPECT_EQ(link->written, "\r\n");
    EXPECT_EQ(link->beforeCommandCalls, 5);  // one request and four commands
}

TEST_F(CommTest, AReplyIsCutAt4095Characters)
{
    open();
    link->arrive(std::string(5000, 'r'));
    src->sendCommandAndShowReply();
    EXPECT_EQ(src->lastReply().size(), 4095u);
    EXPECT_EQ(link->notYetRead().size(), 905u);

    // Without an open port nothing is sent, and the empty reply is still shown.
    make();
    owner.texts.clear();
    src->sendCtrlC();
    EXPECT_EQ(link->written, "");
    EXPECT_EQ(owner.texts, std::vector<std::string>{""});
}

TEST_F(CommTest, AnUnpluggedDeviceIsToldOnceAndEveryFrameReceivedIsWritten)
{
    allOutputs();
    const std::string psd = env.cal.path("live.psd");
    open(psd);
    link->reply(frameOf(fullFrame(10)));
    ASSERT_EQ(src->readNextFrame(), 1);
    link->reply(frameOf(fullFrame(20)) + frameOf(fullFrame(30)) + "{1 2");
    // Both frames that wait are taken at once; the view stands on the newer.
    ASSERT_EQ(src->readNextFrame(), 1);
    EXPECT_EQ(src->rawValue(0), 30.0);
    EXPECT_EQ(src->frameNumber(), 2);
    link->breakLink("/dev/ttyUSB1: the device went away");

    const std::size_t written = link->written.size();
    clock.sleeps = 0;
    EXPECT_EQ(src->readNextFrame(), 0);
    EXPECT_EQ(src->readNextFrame(), 0);
    EXPECT_EQ(src->nextFrame(), 0);
    EXPECT_TRUE(src->linkLost());
    EXPECT_EQ(clock.sleeps, 0);                  // no waiting on a line that is gone
    EXPECT_EQ(link->written.size(), written);    // and no more requests
    ASSERT_EQ(env.prompter.messages().size(), 1u);
    EXPECT_EQ(env.prompter.messages()[0],
              "Lost the instrument on COM2: - /dev/ttyUSB1: the device went away. The 3 frames received are "
              "written to live.psd, live.asc, live.log, live.time.csv in " + env.cal.dir.path() +
                  "; open the instrument again to go on.");
    src->sendCommandAndShowReply();
    EXPECT_EQ(link->written.size(), written);

    EXPECT_EQ(src->lastExchange(), CCommSource::Exchange::LinkLost);
    src->close();
    EXPECT_EQ(readFile(psd).size(), 5u * 512u);
    std::string log = readFile(env.cal.path("live.log"));
    EXPECT_EQ(log.substr(0, 3), "10 ");
    EXPECT_NE(log.find("\n20 "), std::string::npos);
    EXPECT_NE(log.find("\n30 "), std::string::npos);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3);
    EXPECT_EQ(env.prompter.messages().size(), 1u);
}

TEST_F(CommTest, WhenOneOutputFailsEveryOutputEndsWithTheSameFrame)
{
    // The .psd takes 512 bytes a frame after its two header records, so 2600 bytes
    // hold three frames; a .log deleted while written fails after the .psd and the
    // .asc have taken the frame, which then comes out of them again.
    const struct {
        const char* name;
        unsigned long sizeLimit;  // 0: none
        int deleteLogBefore;      // the frame before which the .log is deleted; -1: never
        const char* failing;
        long frames;              // in every file afterwards
    } cases[] = {
        {"the .psd is full", 2600, -1, "full.psd", 3},
        {"the .log is deleted", 0, 2, "full.log", 2},
    };
    // Windows has no file size limit, and wine does not tell a writer that its file was deleted.
    const bool canFill = FileSizeLimit::available();
    const bool canDelete = deletionIsToldWhileOpen(env.cal.dir);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!(c.sizeLimit > 0 ? canFill : canDelete))
            continue;
        allOutputs();
        const std::size_t told = env.prompter.messages().size();
        const std::string psd = env.cal.path("full.psd");
        open(psd);
        {
            std::unique_ptr<FileSizeLimit> limit;
            if (c.sizeLimit > 0) {
                limit = std::make_unique<FileSizeLimit>(c.sizeLimit);
                ASSERT_TRUE(limit->active());
            }
            for (int k = 0; k < 6; ++k) {
                if (k == c.deleteLogBefore)
                    std::filesystem::remove(env.cal.path("full.log"));
                link->reply(frameOf(fullFrame(100 + k)));
                // Taken and shown all the same; only the files stop.
                ASSERT_EQ(src->readNextFrame(), 1) << k;
                EXPECT_EQ(src->frameNumber(), k);
            }
            EXPECT_EQ(src->counts().written, c.frames);
            src->close();
        }
        ASSERT_EQ(env.prompter.messages().size(), told + 1);
        const std::string message = env.prompter.messages().back();
        EXPECT_EQ(message.rfind("Could not write to the file " + env.cal.path(c.failing) + ": ", 0), 0u) << message;
        EXPECT_NE(message.find(". Recording stopped; every output holds the same " + std::to_string(c.frames) +
                               " frames."),
                  std::string::npos)
            << message;
        EXPECT_EQ(src->outputError(), message);
        const auto lines = [](const std::string& text) { return std::count(text.begin(), text.end(), '\n'); };
        EXPECT_EQ(readFile(psd).size(), static_cast<std::size_t>(2 + c.frames) * 512u);
        EXPECT_EQ(lines(readFile(env.cal.path("full.asc"))), c.frames);
        EXPECT_EQ(lines(readFile(env.cal.path("full.time.csv"))), c.frames + 1);
        if (c.deleteLogBefore < 0) {
            EXPECT_EQ(lines(readFile(env.cal.path("full.log"))), c.frames);
        }
    }
    if (!canFill && !canDelete)
        GTEST_SKIP() << "neither a full disk nor a deleted file can be made on this system";
}

TEST_F(CommTest, ALiveCollectionSeesEveryFrameAsWords)
{
    open();
    std::vector<RawWords> seen;
    src->setFrameListener([&](const RawWords& w) { seen.push_back(w); });
    link->reply(frameOf(fullFrame(11)) + frameOf(fullFrame(12)));
    ASSERT_EQ(src->readNextFrame(), 1);
    src->clearFrameListener();
    link->reply(frameOf(fullFrame(13)));
    ASSERT_EQ(src->readNextFrame(), 1);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0][0], 11);
    EXPECT_EQ(seen[1][31], 12);
    EXPECT_EQ(seen[1][32], 4000);
}

TEST_F(CommTest, CloseLetsThePortGoOnceAndKeepsTheFiles)
{
    allOutputs();
    open(env.cal.path("c.psd"));
    link->reply(frameOf(fullFrame(40)));
    ASSERT_EQ(src->readNextFrame(), 1);
    EXPECT_GT(src->frameResult().transmission(), 0.0);
    src->close();
    src->close();
    EXPECT_EQ(link->closeEndCalls, 1);
    EXPECT_EQ(src->portOpen(), 0);
    EXPECT_EQ(readFile(env.cal.path("c.psd")).size(), 3u * 512u);
    src.reset();
    EXPECT_EQ(readFile(env.cal.path("c.asc")).empty(), false);

    // A link that refuses the first closing step is not closed a second time.
    env.settings.outputs = OutputSwitchBlock{};
    open();
    link->closeBeginResult = 1;
    src->close();
    EXPECT_EQ(link->closeEndCalls, 0);
}

TEST(RequestPacer, OneRequestAnIntervalAlsoAfterAReplyThatNeverCame)
{
    using std::chrono::milliseconds;
    const RequestPacer::Clock::time_point t0{std::chrono::hours(1)};
    // How long each exchange took, and the wait the pacer then asks for (interval 1 s).
    const struct {
        long long exchangeMs;
        long long waitMs;
    } rows[] = {
        {30, 970},    // a reply at once: the next request a second after the first
        {6050, 950},  // no reply within CommWait: the next full second, not at once
        {999, 1},
        {1000, 0},    // ended on the second itself
        {2500, 500},
    };
    RequestPacer pacer(milliseconds(1000));
    auto now = t0;
    EXPECT_EQ(pacer.waitFrom(now).count(), 0);  // the first request goes out at once
    for (const auto& r : rows) {
        pacer.requestSent(now);
        now += milliseconds(r.exchangeMs);
        EXPECT_EQ(pacer.waitFrom(now).count(), r.waitMs) << r.exchangeMs;
        now += pacer.waitFrom(now);
        EXPECT_EQ((now - t0) % milliseconds(1000), milliseconds(0));  // always on the grid of the first request
    }
    RequestPacer asFastAsItGoes(milliseconds(0));
    asFastAsItGoes.requestSent(t0);
    EXPECT_EQ(asFastAsItGoes.waitFrom(t0).count(), 0);
}

TEST(CCommSourceSpace, LittleRoomForTheOutputsIsToldBeforeTheCast)
{
    struct Row {
        unsigned long long freeBytes;
        std::string expected;  // "" = nothing to tell
    };
    const Row rows[] = {
        {10'000'000'000ULL, ""},
        {83'000'000ULL, ""},  // 12 hours and a little more
        {50'000'000ULL, "Only 50 MB are free in /media/stick, where this recording goes: room for about 7.2 hours "
                        "of frames at one a second. Free some space or choose another disk before the cast."},
        {0, "Only 0 MB are free in /media/stick, where this recording goes: room for about 0.0 hours "
            "of frames at one a second. Free some space or choose another disk before the cast."},
    };
    for (const Row& row : rows)
        EXPECT_EQ(CCommSource::lowSpaceWarning(row.freeBytes, 1920.0, "/media/stick"), row.expected) << row.freeBytes;
}
