#include "tests/acquisition/RawFileFixture.h"

#include "platform/FileUtil.h"

#include <filesystem>
#include <fstream>

using namespace kavro;
using namespace kavro::test;

TEST_F(RawFileTest, OpenAsksForTheRecordingThenRunsTheOpenSequence)
{
    env.settings.outputs.value[5] = 1;  // .asc
    env.settings.outputs.value[6] = 1;  // .log
    std::filesystem::create_directory(env.cal.path("out"));
    const std::string psd = env.cal.path("out/run1.psd");
    prepare(rawRecords({rawFrame(100), rawFrame(200)}), psd);
    CRawFile src(context, &owner);
    src.open();

    const auto& calls = env.prompter.calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].kind, ScriptedPrompter::Kind::Open);
    EXPECT_EQ(calls[0].request.title, "Open Raw Data File");
    EXPECT_EQ(calls[0].request.filter, "Kavro Data (*.raw;*.bin;*.dat)|*.raw;*.bin;*.dat|All (*.*)|*.*||");
    EXPECT_EQ(calls[0].request.initialName, "");
    EXPECT_EQ(calls[0].request.defaultExtension, "");
    EXPECT_TRUE(calls[0].request.mustExist);
    EXPECT_EQ(calls[1].request.title, "Open Ring Area Normalization File");
    EXPECT_EQ(calls[3].request.title, "Open OUTPUT Particle Size Distribution File");
    // cast.3.raw proposes cast.psd beside itself.
    EXPECT_EQ(calls[3].request.initialName, "cast.psd");
    EXPECT_EQ(calls[3].request.initialDirectory, env.cal.dir.path());

    EXPECT_EQ(src.sourceKind(), 1);
    EXPECT_EQ(src.sourceName(), psd);
    EXPECT_EQ(src.recordCount(), 2);
    EXPECT_EQ(src.firstFrame(), 0);
    EXPECT_EQ(src.lastFrameOfRange(), 1);
    EXPECT_EQ(src.currentFrame(), 0);
    EXPECT_EQ(src.multiScan(), 0);
    EXPECT_EQ(src.rawBinarySwitch(), 0);
    while (src.readNextFrame())
        ;
    src.close();
    EXPECT_EQ(readFile(psd).size(), 4u * 512u);
    EXPECT_EQ(readFile(env.cal.path("out/run1.asc")).size() > 0, true);
    std::string log = readFile(env.cal.path("out/run1.log"));
    EXPECT_EQ(log.substr(0, 4), "100 ");
    EXPECT_NE(log.find("\n200 "), std::string::npos);
}

TEST_F(RawFileTest, RecordLayout)
{
    // 85 bytes: one frame, the last 5 bytes never read.  0x0F 0xA0 is ring 1 = 4000.
    std::string content = rawRecords({rawFrame(7)}) + std::string(5, '\xff');
    content[0] = '\x0F';
    content[1] = '\xA0';
    prepare(content);
    CRawFile src(context, &owner);
    src.open();
    EXPECT_EQ(src.recordCount(), 1);
    ASSERT_EQ(src.readNextFrame(), 1);
    EXPECT_EQ(src.rawValue(0), 4000.0);
    EXPECT_EQ(src.rawValue(1), 7.0);
    EXPECT_EQ(src.rawValue(32), 4000.0);
    EXPECT_EQ(src.recordWords()[0], 4000);
    EXPECT_EQ(src.currentFrame(), 1);
    // After the last frame: nothing more, and the current frame stays.
    EXPECT_EQ(src.readNextFrame(), 0);
    EXPECT_EQ(src.currentFrame(), 1);
    EXPECT_EQ(src.rawValue(0), 4000.0);
}

TEST_F(RawFileTest, MultiScanNeedsFourMarkedRecords)
{
    env.settings.autoMultiScan = 0;
    auto frames = std::vector<std::vector<std::uint16_t>>(6, rawFrame(320));
    for (int n = 0; n < 3; ++n)
        frames[static_cast<std::size_t>(n)][32] = 4096;
    prepare(rawRecords(frames));
    CRawFile three(context, &owner);
    three.open();  // three marked records: no question (the script has no answer for one)
    EXPECT_EQ(three.multiScan(), 0);
    EXPECT_EQ(three.multiScanMarkedRecords(), 3);
    three.close();  // each lets go of the .psd for the next

    frames[3][32] = 4096;
    prepare(rawRecords(frames));
    env.prompter.answer(false);
    CRawFile askedNo(context, &owner);
    askedNo.open();
    EXPECT_EQ(env.prompter.calls().back().kind, ScriptedPrompter::Kind::Question);
    EXPECT_EQ(env.prompter.calls().back().text,
              "This appears to be a Multi-Scan data source.  Process as summed 16 scan data?");
    EXPECT_FALSE(env.prompter.calls().back().style.icon);
    EXPECT_EQ(askedNo.multiScan(), 0);
    ASSERT_EQ(askedNo.readNextFrame(), 1);
    EXPECT_EQ(askedNo.rawValue(32), 4096.0);  // kept as stored
    EXPECT_EQ(askedNo.frameSummary()[0].aux[0], 4096);
    askedNo.close();

    prepare(rawRecords(frames));
    env.prompter.answer(true);
    CRawFile askedYes(context, &owner);
    askedYes.open();
    EXPECT_EQ(askedYes.multiScan(), 1);
    askedYes.close();

    env.settings.autoMultiScan = 1;
    prepare(rawRecords(frames));
    CRawFile automatic(context, &owner);
    automatic.open();  // no question
    EXPECT_EQ(automatic.multiScan(), 1);
    ASSERT_EQ(automatic.readNextFrame(), 1);
    EXPECT_EQ(automatic.rawValue(32), 256.0);
    EXPECT_EQ(automatic.rawValue(0), 20.0);
    EXPECT_EQ(env.prompter.pendingAnswers(), 0u);
}

TEST_F(RawFileTest, MultiScanDividesYetTestsTheLaserOnTheStoredWord)
{
    auto frames = std::vector<std::vector<std::uint16_t>>(5, rawFrame(1600, 64000));
    frames[4][32] = 1600;         // 100 after division, but 1600 as stored
    frames[4][0] = 5000;          // saturated as stored, 312.5 after division
    frames[4][1] = 0;
    frames[4][33] = 17;           // aux word: 1 in the divided summary
    env.settings.outputs.value[6] = 1;  // .log
    prepare(rawRecords(frames));
    CRawFile src(context, &owner);
    src.open();
    ASSERT_EQ(src.multiScan(), 1);

    const FrameSummary& s = src.frameSummary()[4];
    EXPECT_EQ(s.aux[0], 100);
    EXPECT_EQ(s.aux[1], 1);
    EXPECT_EQ(s.saturatedRings, 1);  // counted on the stored words
    EXPECT_EQ(s.zeroRings, 1);
    EXPECT_EQ(src.frameSummary()[0].aux[0], 4000);

    ASSERT_EQ(src.goToFrame(4), 1);
    EXPECT_EQ(src.rawValue(32), 100.0);
    EXPECT_EQ(src.rawValue(0), 312.5);
    EXPECT_EQ(src.laserOK(), 1);
    EXPECT_EQ(src.frameResult().saturatedRings(), 0);  // per frame: on the divided values
    EXPECT_EQ(src.frameResult().zeroRings(), 1);
    // Aux 0 = 100 × its multiplier: the division happens once.
    EXPECT_DOUBLE_EQ(src.frameResult().aux(0), 100.0 * src.auxCalibration().Channel(0)->multiplier);
    src.close();
    std::string log = readFile(env.cal.path("out.log"));
    EXPECT_EQ(log.substr(0, 5), "5000 ");  // the .log holds the stored words
}

TEST_F(RawFileTest, GoToFrameRewindAndRange)
{
    std::vector<std::vector<std::uint16_t>> frames;
    for (int n = 0; n < 10; ++n)
        frames.push_back(rawFrame(static_cast<std::uint16_t>(100 + n)));
    prepare(rawRecords(frames));
    CRawFile src(context, &owner);
    src.open();

    ASSERT_EQ(src.goToFrame(-5), 1);
    EXPECT_EQ(src.rawValue(0), 100.0);
    ASSERT_EQ(src.goToFrame(500), 1);  // beyond the end: the last record
    EXPECT_EQ(src.rawValue(0), 109.0);
    EXPECT_EQ(src.currentFrame(), 10);
    EXPECT_EQ(src.readNextFrame(), 0);

    src.setFrameRange(3, 5);
    EXPECT_EQ(src.rewind(), 1);
    EXPECT_EQ(src.currentFrame(), 3);
    std::vector<double> seen;
    while (src.readNextFrame())
        seen.push_back(src.rawValue(0));
    EXPECT_EQ(seen, (std::vector<double>{103, 104, 105}));
    ASSERT_EQ(src.goToFrame(-1), 1);  // clamped to the range's first frame
    EXPECT_EQ(src.rawValue(0), 103.0);
    // The file's last record lies outside the range: positioned there, nothing read.
    EXPECT_EQ(src.goToFrame(1000), 0);
    EXPECT_EQ(src.currentFrame(), 9);

    // A range beyond the data ends with the data; one before it reads nothing.
    src.setFrameRange(8, 1000000);
    src.rewind();
    int n = 0;
    while (src.readNextFrame())
        ++n;
    EXPECT_EQ(n, 2);
    src.setFrameRange(-4, 2);
    src.rewind();
    EXPECT_EQ(src.readNextFrame(), 0);
}

TEST_F(RawFileTest, PeekLoadsTheStoredWordsAndLeavesThePositionBehind)
{
    auto frames = std::vector<std::vector<std::uint16_t>>(6, rawFrame(0, 64000));
    for (int n = 0; n < 6; ++n)
        frames[static_cast<std::size_t>(n)][0] = static_cast<std::uint16_t>(1600 * (n + 1));
    prepare(rawRecords(frames));
    CRawFile src(context, &owner);
    src.open();
    ASSERT_EQ(src.multiScan(), 1);
    ASSERT_EQ(src.peekRawFrame(2), 1);
    EXPECT_EQ(src.rawValue(0), 4800.0);  // undivided
    EXPECT_EQ(src.currentFrame(), 0);
    ASSERT_EQ(src.readNextFrame(), 1);  // from the position the peek left: record 3
    EXPECT_EQ(src.rawValue(0), 400.0);
    EXPECT_EQ(src.peekRawFrame(6), 0);
    EXPECT_EQ(src.peekRawFrame(-1), 0);
    src.setFrameRange(0, 1);
    EXPECT_EQ(src.peekRawFrame(2), 0);  // beyond the range
}

TEST_F(RawFileTest, ARecordingWithoutAWholeRecordIsRefusedBeforeAnyOutput)
{
    env.settings.autoMultiScan = 0;
    for (const std::string& content : {std::string(), std::string(79, '\x01')}) {
        ScriptedPrompter prompter;
        SourceContext ctx{env.settings, env.profile, prompter};
        writeFile(input, content);
        prompter.choose(input);
        CRawFile src(ctx, &owner);
        EXPECT_THROW(src.open(), UserAbort) << content.size();
        // Told by name, before the calibration is asked for and before a .psd exists.
        EXPECT_EQ(prompter.messages(), std::vector<std::string>{input + " holds no frames: there is nothing to show."});
        EXPECT_EQ(prompter.calls().size(), 2u);
        EXPECT_FALSE(fileExists(env.cal.path("out.psd")));
    }
}

TEST_F(RawFileTest, AGrowingRecordingKeepsItsCountFromTheOpen)
{
    prepare(rawRecords({rawFrame(1), rawFrame(2), rawFrame(3)}));
    CRawFile src(context, &owner);
    src.open();
    {
        std::ofstream more(input, std::ios::binary | std::ios::app);
        more << rawRecords({rawFrame(4), rawFrame(5)});
    }
    src.setFrameRange(0, 100);
    src.rewind();
    int n = 0;
    while (src.readNextFrame())
        ++n;
    EXPECT_EQ(n, 3);
    EXPECT_EQ(src.goToFrame(4), 1);
    EXPECT_EQ(src.rawValue(0), 3.0);
    EXPECT_EQ(src.frameSummary().size(), 3u);
    src.rewind();
    EXPECT_EQ(src.processRange(2), 3);
}

TEST_F(RawFileTest, CancelledOrUnreadableRecordingIsAbandonedSilently)
{

    env.prompter.cancel();
    CRawFile cancelled(context, &owner);
    EXPECT_THROW(cancelled.open(), UserAbort);
    EXPECT_EQ(env.prompter.calls().size(), 1u);

    env.prompter.choose(env.cal.dir.path());  // a folder
    CRawFile folder(context, &owner);
    EXPECT_THROW(folder.open(), UserAbort);
    EXPECT_EQ(env.prompter.calls().size(), 2u);  // nothing after the failed open
    EXPECT_TRUE(env.prompter.messages().empty());

    // A path that names nothing (given on a command line) is told, not passed over.
    env.prompter.choose(env.cal.path("missing.raw"));
    CRawFile missing(context, &owner);
    EXPECT_THROW(missing.open(), UserAbort);
    EXPECT_EQ(env.prompter.messages(),
              std::vector<std::string>{"Could not open the file " + env.cal.path("missing.raw") +
                                       ": No such file or directory"});
}

TEST_F(RawFileTest, SummaryCanBeLeftOutAndMultiScanDecided)
{
    auto frames = std::vector<std::vector<std::uint16_t>>(5, rawFrame(0, 64000));
    prepare(rawRecords(frames));
    CRawFile src(context, &owner);
    src.setKeepFrameSummary(false);
    src.setMultiScanOverride(false);
    src.open();
    EXPECT_TRUE(src.frameSummary().empty());
    EXPECT_EQ(src.multiScanMarkedRecords(), 5);
    EXPECT_EQ(src.multiScan(), 0);
    src.close();

    prepare(rawRecords({rawFrame(160)}));
    CRawFile forced(context, &owner);
    forced.setMultiScanOverride(true);
    forced.open();
    EXPECT_EQ(forced.multiScan(), 1);
    ASSERT_EQ(forced.readNextFrame(), 1);
    EXPECT_EQ(forced.rawValue(0), 10.0);
}
