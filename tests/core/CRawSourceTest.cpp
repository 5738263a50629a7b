#include "core/CRawSource.h"
#include "platform/FileUtil.h"
#include "tests/core/CoreFixture.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace kavro;
using namespace kavro::test;

namespace {

// A raw source fed from memory, standing in for the recording and the instrument.
class MemorySource : public CRawSource {
public:
    MemorySource(SourceContext c, SourceOwner* o, OutputSwitches s, std::string name) : CRawSource(c, o)
    {
        switches_ = s;
        sourceName_ = std::move(name);
        sourceKind_ = kKindRawFile;
    }
    void open() override
    {
        OpenRequest request = OpenRequest::fromSettings(kKindRawFile, context_.settings, 1);
        request.switches = switches_;
        request.proposedOutput = sourceName_;
        PrompterQuestions questions(context_.prompter);
        runOpenSequence(request, &questions, true, sourceName_);
    }
    int readNextFrame() override
    {
        if (frames.empty())
            return 0;
        std::uint16_t words[40];
        for (int i = 0; i < 40; ++i) {
            words[i] = frames.front()[static_cast<std::size_t>(i)];
            raw_[static_cast<std::size_t>(i)] = words[i];
        }
        frames.erase(frames.begin());
        writeLogLine(words);
        correctFrame(raw_[32]);
        finishFrame();
        ++currentFrame_;
        return 1;
    }
    void close() override { closeOutputs(); }
    std::vector<std::vector<std::uint16_t>> frames;
};

std::vector<std::uint16_t> frame(std::uint16_t ring)
{
    std::vector<std::uint16_t> f(40, ring);
    f[32] = 4000;
    f[35] = 2000;
    return f;
}

struct SourceTest : ::testing::Test {
    CoreEnv env;
    FixedModelOwner owner{1};
    SourceContext context{env.settings, env.profile, env.prompter};
    std::string input = env.cal.path("cast.3.raw");
    void SetUp() override
    {
        for (const char* l : {"b"})
            env.cal.write(std::string("RingArea_") + l + ".asc", numbers(filled(32, 1.0)));
        writeFile(input, "raw");
    }
    void scriptOpen(const std::string& psd)
    {
        env.prompter.choose(env.cal.path("RingArea_a.asc")).choose(env.cal.path("zsc.asc")).choose(psd);
    }
};

}  // namespace

TEST_F(SourceTest, OpenSequenceAsksInOrderAndNamesTheOutputsAfterThePsd)
{
    OutputSwitches s{0, 1, 1, 1, 0};
    MemorySource src(context, &owner, s, input);
    std::filesystem::create_directory(env.cal.path("out"));
    const std::string psd = env.cal.path("out/run1.psd");
    scriptOpen(psd);
    src.open();

    const auto& calls = env.prompter.calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[1].request.title, "Open Background Scatter File");
    EXPECT_EQ(calls[1].request.filter, "Bkgrnd Scatter (*.asc)|*.asc|All (*.*)|*.*||");
    EXPECT_EQ(calls[1].request.initialName, "zsc.asc");
    EXPECT_EQ(calls[1].request.initialDirectory, env.cal.dir.path());  // PDFirst 0: the calibration folder
    EXPECT_TRUE(calls[1].request.mustExist);
    EXPECT_EQ(calls[2].kind, ScriptedPrompter::Kind::Save);
    EXPECT_EQ(calls[2].request.title, "Open OUTPUT Particle Size Distribution File");
    EXPECT_EQ(calls[2].request.initialName, "cast.psd");
    EXPECT_EQ(calls[2].request.initialDirectory, env.cal.dir.path());
    EXPECT_EQ(calls[2].request.defaultExtension, "psd");
    EXPECT_TRUE(calls[2].request.overwritePrompt);

    EXPECT_EQ(src.sourceName(), psd);
    EXPECT_EQ(src.calibrationOK(), 1);
    EXPECT_EQ(src.classDiameter(31), 32.0);
    src.frames = {frame(110), frame(60)};
    EXPECT_EQ(src.readNextFrame(), 1);
    EXPECT_EQ(src.readNextFrame(), 1);
    src.close();

    std::string bytes = readFile(psd);
    ASSERT_EQ(bytes.size(), 4u * 512u);
    EXPECT_EQ(bytes.substr(0, 8), "KAVRO400");
    EXPECT_EQ(getInt32(reinterpret_cast<const unsigned char*>(bytes.data()) + 12), 1);  // the document's model
    EXPECT_EQ(std::string(bytes.data() + 24), nativeSeparators(env.cal.path("zsc.asc")));  // as the system names files
    std::string asc = readFile(env.cal.path("out/run1.asc"));
    std::string log = readFile(env.cal.path("out/run1.log"));
    EXPECT_EQ(std::count(asc.begin(), asc.end(), '\n'), 2);
    EXPECT_EQ(log.substr(0, 8), "110 110 ");
    EXPECT_NE(log.find("\n60 60 "), std::string::npos);
}

TEST_F(SourceTest, PdFirstLooksBesideTheRawFile)
{
    env.settings.pdFirst = 1;
    std::filesystem::create_directory(env.cal.path("casts"));
    input = env.cal.path("casts/c1.raw");
    writeFile(input, "");
    MemorySource src(context, &owner, OutputSwitches{0, 0, 1, 0, 0}, input);
    env.prompter.choose(env.cal.path("RingArea_a.asc")).cancel();
    EXPECT_THROW(src.open(), UserAbort);
    EXPECT_EQ(env.prompter.calls()[1].request.initialDirectory, env.cal.path("casts"));
    EXPECT_TRUE(env.prompter.messages().empty());
}

TEST_F(SourceTest, AnOutputThatWouldReplaceTheInputIsRefused)
{
    MemorySource src(context, &owner, OutputSwitches{0, 0, 1, 0, 0}, input);
    scriptOpen(input);
    EXPECT_THROW(src.open(), UserAbort);
    EXPECT_EQ(readFile(input), "raw");
    ASSERT_EQ(env.prompter.messages().size(), 1u);
    EXPECT_NE(env.prompter.messages()[0].find("would overwrite"), std::string::npos);
}

TEST_F(SourceTest, AnOutputFolderThatCannotBeWrittenIsTold)
{
    MemorySource src(context, &owner, OutputSwitches{0, 0, 1, 0, 0}, input);
    scriptOpen(env.cal.path("no/such/folder/x.psd"));
    EXPECT_THROW(src.open(), UserAbort);
    ASSERT_EQ(env.prompter.messages().size(), 1u);
    EXPECT_NE(env.prompter.messages()[0].find("no/such/folder/x.psd"), std::string::npos);
}

TEST_F(SourceTest, ValueOperationsAnswerOutOfRange)
{
    MemorySource src(context, &owner, OutputSwitches{}, input);
    EXPECT_EQ(src.value(6, 0), -1.0);
    EXPECT_EQ(src.value(1, 40), -1.0);
    EXPECT_EQ(src.value(1, -1), -1.0);
    EXPECT_EQ(src.value(2, 32), 0.0);
    EXPECT_EQ(src.value(3, 8), 0.0);
    EXPECT_EQ(src.value(4, 0), 0.0);  // no calibration yet
    EXPECT_EQ(src.backgroundLaserPower(), 0.0);
    EXPECT_EQ(src.frameResult().volumeConversion(), 58000.0);
    EXPECT_EQ(src.transmission(), 1.0);
    EXPECT_EQ(src.laserReferenceRatio(), 2.0);
}

TEST_F(SourceTest, VolumeConversionSettingAtOpen)
{
    env.profile.writeString("Instrument1", "VolConv", "abc");
    MemorySource a(context, &owner, OutputSwitches{}, input);
    env.prompter.choose(env.cal.path("RingArea_a.asc")).choose(env.cal.path("zsc.asc")).choose(env.cal.path("a.psd"));
    a.open();
    EXPECT_EQ(a.frameResult().volumeConversion(), 58000.0);

    env.profile.writeString("Instrument1", "VolConv", "1000");
    MemorySource b(context, &owner, OutputSwitches{}, input);
    env.prompter.choose(env.cal.path("RingArea_a.asc")).choose(env.cal.path("zsc.asc")).choose(env.cal.path("b.psd"));
    b.open();
    EXPECT_EQ(b.frameResult().volumeConversion(), 1000.0);
    EXPECT_EQ(b.value(4, 32), 4000.0);
    EXPECT_EQ(b.value(5, 35), 2000.0);
}

TEST_F(SourceTest, ProcessAndSaveWritesOneRecordFiles)
{
    MemorySource src(context, &owner, OutputSwitches{1, 0, 0, 0, 1}, input);
    env.prompter.choose(env.cal.path("RingArea_a.asc")).choose(env.cal.path("zsc.asc")).choose(env.cal.path("a.psd"));
    src.open();
    double avg[40];
    for (int i = 0; i < 40; ++i)
        avg[i] = 110.0;
    avg[32] = 4000;
    avg[35] = 2000;
    src.frames = {frame(100), frame(200)};
    ASSERT_EQ(src.readNextFrame(), 1);
    ASSERT_EQ(src.readNextFrame(), 1);
    const int before = src.currentFrame();
    src.processAndSave(avg, env.cal.path("avg.psd"), 1, 1);
    EXPECT_EQ(readFile(env.cal.path("avg.psd")).size(), 3u * 512u);
    std::string asc = readFile(env.cal.path("avg.asc"));
    EXPECT_EQ(std::count(asc.begin(), asc.end(), ' '), 74);  // with the VSF: this source's switch
    EXPECT_EQ(src.currentFrame(), before);  // an average written apart is no frame of the source
    EXPECT_EQ(before, 2);

    // An empty path writes nothing; a file that cannot be created is told.
    src.processAndSave(avg, "", 1, 1);
    src.processAndSave(avg, env.cal.path("nofolder/x.psd"), 1, 0);
    ASSERT_EQ(env.prompter.messages().size(), 1u);
}

TEST_F(SourceTest, ADeviceIsNoOutputFile)
{
#ifdef _WIN32
    const std::string device = "NUL";  // takes every write and keeps none
#else
    const std::string device = "/dev/full";  // every write fails
    if (!std::filesystem::exists(device))
        GTEST_SKIP() << "no /dev/full on this system";
#endif
    MemorySource src(context, &owner, OutputSwitches{0, 0, 1, 0, 0}, input);
    env.prompter.choose(env.cal.path("RingArea_a.asc")).choose(env.cal.path("zsc.asc")).choose(device);
    // A device is not a regular file: refused at once with a message.
    EXPECT_THROW(src.open(), UserAbort);
    EXPECT_EQ(env.prompter.messages().size(), 1u);
}
