#include "core/CPDFile.h"
#include "core/CastReader.h"
#include "platform/FileUtil.h"
#include "platform/OutputFile.h"
#include "resources/CoreTexts.h"
#include "tests/core/CoreFixture.h"

#include <climits>
#include <filesystem>
#include <gtest/gtest.h>

using namespace kavro;
using namespace kavro::test;

namespace {

// Record 0 of a .psd file, built byte by byte.
std::string header(const char* magic, std::int32_t headerRecords, std::int32_t model, double ratio,
                   const std::string& background = "/cal/zsc.asc")
{
    std::string r(512, '\0');
    r.replace(0, 8, magic, 8);
    auto* p = reinterpret_cast<unsigned char*>(r.data());
    putInt32(p + 8, headerRecords);
    putInt32(p + 12, model);
    putFloat64(p + 16, ratio);
    r.replace(24, background.size(), background);
    return r;
}

std::string diameterRecord()
{
    std::string r(512, '\0');
    for (int k = 0; k < 32; ++k)
        putFloat32(reinterpret_cast<unsigned char*>(r.data()) + 4 * k, 2.0f * (k + 1));
    return r;
}

// A frame record marked with its record number n: volume 0 = n, aux 0 = 10 n,
// mean = n + 0.5, zero-ring count 2.9, transmission 0.25.
std::string frameRecord(int n)
{
    std::string r(512, '\0');
    auto* p = reinterpret_cast<unsigned char*>(r.data());
    putFloat32(p + 4 * 0, static_cast<float>(n));
    putFloat32(p + 4 * 64, 10.0f * n);
    putFloat32(p + 4 * 71, 7.0f);
    putFloat32(p + 4 * 104, n + 0.5f);
    putFloat32(p + 4 * 106, 0.25f);
    putFloat32(p + 4 * 108, 2.9f);
    putFloat32(p + 4 * 109, 1.0f);
    return r;
}

// A standard file: header, diameters, then records 2 .. records-1.
std::string psdFile(int records, std::int32_t headerRecords = 2, std::int32_t model = 2, double ratio = 1.75)
{
    std::string f = header("KAVRO400", headerRecords, model, ratio) + diameterRecord();
    for (int n = 2; n < records; ++n)
        f += frameRecord(n);
    return f;
}

struct PsdTest : ::testing::Test {
    CoreEnv env;
    FixedModelOwner owner{0};
    SourceContext context{env.settings, env.profile, env.prompter};
    CPDFile src{context, &owner};
    std::string path = env.cal.path("run.psd");

    void openWith(const std::string& content)
    {
        writeFile(path, content);
        env.prompter.choose(path);
        src.open();
    }
    // The record the frame result holds, by its mark.
    int recordShown() const { return static_cast<int>(src.frameResult().volume(0)); }
};

}  // namespace

TEST_F(PsdTest, OpensDecodesAndTakesTheHeader)
{
    openWith(psdFile(5));
    const auto& call = env.prompter.calls().at(0);
    EXPECT_EQ(call.kind, ScriptedPrompter::Kind::Open);
    EXPECT_EQ(call.request.title, "Open Particle Size Distribution File");
    EXPECT_EQ(call.request.filter, "Particle Sizes (*.psd)|*.psd|All (*.*)|*.*||");
    EXPECT_TRUE(call.request.mustExist);

    EXPECT_EQ(src.sourceKind(), 2);
    EXPECT_EQ(src.sourceName(), path);
    EXPECT_EQ(src.recordCount(), 5);
    EXPECT_EQ(src.currentFrame(), 2);
    EXPECT_EQ(src.frameNumber(), 0);
    EXPECT_EQ(owner.instrumentModel(), 2);
    EXPECT_EQ(src.laserReferenceRatio(), 1.75);
    EXPECT_EQ(src.frameResult().diameter(31), 64.0);
    EXPECT_EQ(src.header().backgroundPath, "/cal/zsc.asc");
    EXPECT_EQ(src.binarySizeSwitch() + src.asciiSizeSwitch() + src.asciiRawSwitch() + src.rawBinarySwitch() +
                  src.vsfInAsciiSwitch(),
              0);

    ASSERT_EQ(src.readNextFrame(), 1);
    EXPECT_EQ(recordShown(), 2);
    EXPECT_EQ(src.currentFrame(), 2);  // reading does not move the current frame
    EXPECT_EQ(src.frameResult().aux(0), 20.0);
    EXPECT_EQ(src.frameResult().mean(), 2.5);
    EXPECT_EQ(src.frameResult().zeroRings(), 2);  // 2.9 truncated
    EXPECT_EQ(src.transmission(), 0.25);
    EXPECT_EQ(src.rawValue(32), 20.0);
    EXPECT_EQ(src.rawValue(39), 7.0);
    EXPECT_EQ(src.rawValue(0), -1.0);
    EXPECT_EQ(src.rawValue(31), -1.0);
    EXPECT_EQ(src.rawValue(40), -1.0);
    EXPECT_EQ(src.value(1, 32), 20.0);
    EXPECT_EQ(src.value(4, 0), -1.0);
    // Sequential reading goes on through the file.
    ASSERT_EQ(src.readNextFrame(), 1);
    EXPECT_EQ(recordShown(), 3);
}

TEST_F(PsdTest, HeaderOnlyAndTrailingBytes)
{
    openWith(psdFile(2));  // 1024 bytes
    EXPECT_EQ(src.readNextFrame(), 0);
    EXPECT_EQ(src.nextFrame(), 0);
    EXPECT_EQ(src.frameNumber(), 0);  // never a negative frame number
    EXPECT_EQ(src.lastFrame(), 0);
    EXPECT_EQ(src.goToFrame(3), 0);
    EXPECT_EQ(src.frameNumber(), 0);

    CPDFile other(context, &owner);
    writeFile(path, psdFile(2) + std::string(511, '\x7f'));  // 1535 bytes
    env.prompter.choose(path);
    other.open();
    EXPECT_EQ(other.recordCount(), 2);
    EXPECT_EQ(other.readNextFrame(), 0);
}

// What a power cut leaves at the end of a recording: never a frame, told once at the open.
TEST_F(PsdTest, ACutOffEndIsNeitherCountedNorShownAndIsTold)
{
    const std::string zero(512, '\0');
    const std::string times = env.cal.path("run.time.csv");
    struct Row {
        const char* name;
        std::string content, timeFile;
        int records;  // the record count of the window
        const char* notice;
    } rows[] = {
        {"whole", psdFile(5), "record,utc\n0,2026-12-09T02:20:45.123Z\n", 5, ""},
        {"three zero-filled", psdFile(5) + zero + zero + zero, "", 5,
         "run.psd: 3 zero-filled records at the end, left out: the recording was cut off"},
        {"one zero-filled and a half time line", psdFile(5) + zero, "record,utc\n0,2026-12-09T02:20:45.123Z\n1,2026-1",
         5,
         "run.psd: 1 zero-filled record at the end, left out: the recording was cut off\n"
         "run.time.csv: a half line at the end, left out: the recording was cut off"},
        {"zero-filled, then part of a record", psdFile(5) + zero + std::string(7, '\0'), "", 5,
         "run.psd ends in part of a record (7 bytes, most likely a recording that was cut off).  Every whole frame "
         "is shown; the part is not.\n"
         "run.psd: 1 zero-filled record at the end, left out: the recording was cut off"},
        {"a zero record between frames", psdFile(4) + zero + frameRecord(5), "", 6, ""},
        {"no frame reached the disk", psdFile(2) + zero + zero, "", 2,
         "run.psd: 2 zero-filled records at the end, left out: the recording was cut off"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove(times);
        if (!row.timeFile.empty())
            writeFile(times, row.timeFile);
        CPDFile file(context, &owner);
        writeFile(path, row.content);
        env.prompter.choose(path);
        file.open();
        EXPECT_EQ(file.recordCount(), row.records);
        EXPECT_EQ(file.openNotice(), row.notice);
        // Navigation and sequential reading stop at the last frame that holds anything.
        EXPECT_EQ(file.lastFrame(), row.records > 2 ? 1 : 0);
        EXPECT_EQ(file.currentFrame(), std::max(row.records - 1, 2));
        EXPECT_EQ(file.nextFrame(), 0);
        EXPECT_EQ(file.goToFrame(100), row.records > 2 ? 1 : 0);
        EXPECT_EQ(file.currentFrame(), std::max(row.records - 1, 2));
        file.goToFrame(0);
        int read = row.records > 2 ? 1 : 0;
        while (file.readNextFrame() == 1)
            ++read;
        EXPECT_EQ(read, row.records - 2);
    }
}

TEST_F(PsdTest, OneHeaderRecordSkipsTheDiameters)
{
    std::string f = header("KAVRO400", 1, 0, 2.0);
    for (int n = 1; n < 4; ++n)
        f += frameRecord(n);
    openWith(f);
    EXPECT_EQ(src.currentFrame(), 1);
    ASSERT_EQ(src.readNextFrame(), 1);
    EXPECT_EQ(recordShown(), 1);
    EXPECT_EQ(src.frameNumber(), 0);
    EXPECT_EQ(src.frameResult().diameter(0), 0.0);
}

TEST_F(PsdTest, WrongMagicAsksAndYesReadsEveryRecord)
{
    std::string f = psdFile(4);
    f[3] = 'X';
    writeFile(path, f);
    env.prompter.choose(path).answer(false);
    EXPECT_THROW(src.open(), UserAbort);
    EXPECT_EQ(env.prompter.calls().back().text,
              "This file does not appear to be a KAVRO400 Particle Size Distribution file.  Do you wish to continue?"
              "\nFile: " + path);
    EXPECT_TRUE(env.prompter.calls().back().style.defaultNo);

    env.settings.lRefRatio = 3.5;
    CPDFile bare(context, &owner);
    env.prompter.choose(path).answer(true);
    bare.open();
    EXPECT_EQ(bare.currentFrame(), 0);
    EXPECT_EQ(bare.frameNumber(), 0);
    EXPECT_EQ(bare.laserReferenceRatio(), 3.5);
    EXPECT_EQ(owner.instrumentModel(), 0);  // no header, no model
    EXPECT_EQ(bare.frameResult().diameter(0), 0.0);
    ASSERT_EQ(bare.readNextFrame(), 1);  // record 0 is frame 0
    EXPECT_EQ(bare.frameResult().volume(0), getFloat32(reinterpret_cast<const unsigned char*>(f.data())));
    ASSERT_EQ(bare.goToFrame(3), 1);
    EXPECT_EQ(bare.frameResult().volume(0), 3.0);
    EXPECT_EQ(bare.frameNumber(), 3);
}

TEST_F(PsdTest, ShortFilesAndBadHeadersAreRefusedWithTheirMessages)
{
    struct Case {
        std::string content;
        const char* message;
    };
    const Case cases[] = {
        // The file is named: the message may come for a file given on the command line.
        {"", "Empty particle distribution file.\nFile: {path}"},
        {std::string(1023, 'K'), "Empty particle distribution file.\nFile: {path}"},
        {header("KAVRO400", 0, 0, 2.0) + diameterRecord(), "Bad file header record."},
        {header("KAVRO400", -7, 0, 2.0) + diameterRecord(), "Bad file header record."},
        {header("KAVRO400", INT_MAX, 0, 2.0) + diameterRecord(), "Bad file header record."},
        {header("KAVRO400", INT_MIN, 0, 2.0) + diameterRecord() + frameRecord(2), "Bad file header record."},
        // More header records than the file holds.
        {header("KAVRO400", 4, 0, 2.0) + diameterRecord() + frameRecord(2), "Bad file header record."},
    };
    for (const Case& c : cases) {
        ScriptedPrompter prompter;
        SourceContext ctx{env.settings, env.profile, prompter};
        CPDFile f(ctx, &owner);
        writeFile(path, c.content);
        prompter.choose(path);
        EXPECT_THROW(f.open(), UserAbort) << c.content.size();
        ASSERT_EQ(prompter.messages().size(), 1u);
        std::string told = c.message;
        if (const auto at = told.find("{path}"); at != std::string::npos)
            told.replace(at, 6, path);
        EXPECT_EQ(prompter.messages()[0], told);
    }

    // Cancelled dialog and a folder: abandoned without a word.
    env.prompter.cancel();
    EXPECT_THROW(src.open(), UserAbort);
    env.prompter.choose(env.cal.dir.path());
    EXPECT_THROW(src.open(), UserAbort);
    EXPECT_TRUE(env.prompter.messages().empty());
    // A path that names nothing is told with the reason.
    env.prompter.choose(env.cal.path("gone.psd"));
    EXPECT_THROW(src.open(), UserAbort);
    EXPECT_EQ(env.prompter.messages(),
              std::vector<std::string>{"Could not open the file " + env.cal.path("gone.psd") +
                                       ": No such file or directory"});
}

TEST_F(PsdTest, NavigationClampsAtBothEnds)
{
    openWith(psdFile(12));  // data records 2..11
    ASSERT_EQ(src.lastFrame(), 1);
    EXPECT_EQ(recordShown(), 11);
    EXPECT_EQ(src.nextFrame(), 0);  // at the last record: stays, reads nothing
    EXPECT_EQ(src.currentFrame(), 11);
    EXPECT_EQ(recordShown(), 11);

    ASSERT_EQ(src.rewind(), 1);
    EXPECT_EQ(recordShown(), 2);
    ASSERT_EQ(src.previousFrame(), 1);  // at the first data record: the same one again
    EXPECT_EQ(src.currentFrame(), 2);
    EXPECT_EQ(recordShown(), 2);
    ASSERT_EQ(src.nextFrame(), 1);
    EXPECT_EQ(recordShown(), 3);
    EXPECT_EQ(src.frameNumber(), 1);

    ASSERT_EQ(src.goToFrame(-5), 1);
    EXPECT_EQ(recordShown(), 2);
    EXPECT_EQ(src.frameNumber(), 0);
    ASSERT_EQ(src.goToFrame(10000), 1);
    EXPECT_EQ(recordShown(), 11);
    ASSERT_EQ(src.goToFrame(INT_MAX), 1);
    EXPECT_EQ(src.currentFrame(), 11);
    ASSERT_EQ(src.goToFrame(INT_MIN), 1);
    EXPECT_EQ(src.currentFrame(), 2);
    ASSERT_EQ(src.goToFrame(4), 1);
    EXPECT_EQ(recordShown(), 6);
}

TEST_F(PsdTest, ManyHeaderRecordsStartBehindThem)
{
    std::string f = header("KAVRO400", 4, 1, 2.0) + diameterRecord() + frameRecord(2) + frameRecord(3);
    for (int n = 4; n < 7; ++n)
        f += frameRecord(n);
    openWith(f);
    ASSERT_EQ(src.readNextFrame(), 1);
    EXPECT_EQ(recordShown(), 4);
    ASSERT_EQ(src.previousFrame(), 1);
    EXPECT_EQ(recordShown(), 4);
    EXPECT_EQ(src.frameNumber(), 0);
}

TEST_F(PsdTest, UnknownModelAndUselessRatioAreNotTaken)
{
    // The source keeps the setting's ratio of the moment it was built.
    env.settings.lRefRatio = 2.5;
    CPDFile unknown(context, &owner);
    writeFile(path, psdFile(3, 2, 7, -1.0));
    env.prompter.choose(path);
    unknown.open();
    EXPECT_EQ(owner.instrumentModel(), 0);
    EXPECT_EQ(unknown.laserReferenceRatio(), 2.5);

    CPDFile negative(context, &owner);
    writeFile(path, psdFile(3, 2, -1, 0.0));
    env.prompter.choose(path);
    negative.open();
    EXPECT_EQ(owner.instrumentModel(), 0);
    EXPECT_EQ(negative.laserReferenceRatio(), 2.5);
}

TEST_F(PsdTest, ARecordCutShortKeepsThePreviousFrame)
{
    openWith(psdFile(4));
    ASSERT_EQ(src.readNextFrame(), 1);
    std::filesystem::resize_file(path, 3 * 512 + 100);  // the file shrinks under the reader
    EXPECT_EQ(src.lastFrame(), 0);
    EXPECT_EQ(recordShown(), 2);
    EXPECT_EQ(src.rawValue(32), 20.0);
}

// The one reader under every caller: what each check accepts, and the fault it
// names for what it refuses.
TEST(CastReaderTest, EachCheckAcceptsItsFilesAndNamesWhatItRefuses)
{
    using Check = CastReader::Check;
    struct Case {
        const char* name;
        std::string content;
        Check check;
        CastFault fault;  // Other: opens
        int headerRecords;
        long long frames, trailing;
        long long zeroFilled = 0;  // all-zero records at the end, left out
    };
    const std::string psd = psdFile(6);
    const std::string foreign = std::string(512, 'x') + frameRecord(1) + frameRecord(2);
    const std::string zero(512, '\0');
    // A frame with a single non-zero byte (the last of the record) is data.
    std::string nearlyZero = zero;
    nearlyZero.back() = '\x01';
    const std::vector<Case> cases = {
        {"a .psd", psd, Check::Strict, CastFault::Other, 2, 4, 0},
        {"a .psd cut mid-record", psd + "abc", Check::Strict, CastFault::Other, 2, 4, 3},
        {"header records only", psdFile(2), Check::Strict, CastFault::Other, 2, 0, 0},
        {"one record", header("KAVRO400", 1, 0, 2.0), Check::Strict, CastFault::Empty, 0, 0, 0},
        {"nothing", "", Check::AllowHeaderless, CastFault::Empty, 0, 0, 0},
        {"no magic", foreign, Check::Strict, CastFault::NotPsd, 0, 0, 0},
        {"no magic, taken as frames", foreign + "z", Check::AllowHeaderless, CastFault::Other, 0, 3, 1},
        {"more header records than the file", header("KAVRO400", 4, 0, 2.0) + diameterRecord(), Check::Strict,
         CastFault::BadHeader, 0, 0, 0},
        {"a bad header, taken as frames", header("KAVRO400", -3, 0, 2.0) + diameterRecord(), Check::None,
         CastFault::Other, 0, 2, 0},
        {"nothing, unchecked", "", Check::None, CastFault::Other, 0, 0, 0},
        {"one header record", header("KAVRO400", 1, 1, 2.0) + frameRecord(1), Check::Strict, CastFault::Other, 1, 1,
         0},
        // A power cut: the file was made longer, its data never reached the disk.
        {"one zero-filled record at the end", psd + zero, Check::Strict, CastFault::Other, 2, 4, 0, 1},
        {"three zero-filled records at the end", psd + zero + zero + zero, Check::Strict, CastFault::Other, 2, 4, 0, 3},
        {"a zero record between frames is data", psdFile(4) + zero + frameRecord(5), Check::Strict, CastFault::Other, 2,
         4, 0},
        {"zero-filled records, then part of a record", psd + zero + zero + std::string(100, '\0'), Check::Strict,
         CastFault::Other, 2, 4, 100, 2},
        {"part of a record cut into zeros", psd + std::string(200, '\x7f') + std::string(312, '\0') + zero,
         Check::Strict, CastFault::Other, 2, 5, 0, 1},
        {"a nearly zero record is a frame", psd + zero + nearlyZero, Check::Strict, CastFault::Other, 2, 6, 0},
        {"nothing but zero-filled frames", psdFile(2) + zero + zero, Check::Strict, CastFault::Other, 2, 0, 0, 2},
        {"zero-filled, unchecked", psd + zero, Check::None, CastFault::Other, 2, 4, 0, 1},
        // Without a sound header the layout is not known: every record is a frame.
        {"no magic, zero records taken as frames", foreign + zero, Check::AllowHeaderless, CastFault::Other, 0, 4, 0},
    };
    TempDir dir;
    const std::string path = dir.file("c.psd");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(path, c.content);
        try {
            const CastReader r(path, {c.check, false});
            EXPECT_EQ(c.fault, CastFault::Other) << "opened";
            EXPECT_EQ(r.headerRecords(), c.headerRecords);
            EXPECT_EQ(r.frameCount(), c.frames);
            EXPECT_EQ(r.recordCount(), c.frames + c.headerRecords);
            EXPECT_EQ(r.trailingBytes(), c.trailing);
            EXPECT_EQ(r.zeroFilledRecords(), c.zeroFilled);
            // The frames in order, nothing of the cut-off tail.
            std::vector<OutputRecord> records;
            EXPECT_EQ(r.read(0, 100, records), static_cast<std::size_t>(c.frames));
            EXPECT_EQ(castFigures(r).frames, c.frames);
            // The last frame read is the file's record behind the header records and the frames before.
            if (c.frames > 0 && records.size() == static_cast<std::size_t>(c.frames)) {
                const std::size_t at = static_cast<std::size_t>(c.headerRecords + c.frames - 1) * 512;
                EXPECT_EQ(bytesOf(encodeOutputRecord(records.back())), c.content.substr(at, 512));
            }
            // Each cut-off end told once, naming the file.
            const std::vector<std::string> notes = cutOffNotes(r, false);
            EXPECT_EQ(notes.size(), (c.zeroFilled > 0 ? 1u : 0u) + (c.trailing > 0 ? 1u : 0u));
            if (c.zeroFilled > 0) {
                EXPECT_EQ(notes.at(0), path + ": " + std::to_string(c.zeroFilled) + " zero-filled record" +
                                           (c.zeroFilled == 1 ? "" : "s") +
                                           " at the end, left out: the recording was cut off");
            }
        } catch (const CastError& e) {
            EXPECT_EQ(e.fault, c.fault) << e.what();
            EXPECT_EQ(std::string(e.what()).rfind(path + ":", 0), 0u) << e.what();
        }
    }
    EXPECT_TRUE(CastReader::isPsdFile((writeFile(path, "KAVRO400"), path)));  // the magic alone
    EXPECT_FALSE(CastReader::isPsdFile((writeFile(path, foreign), path)));
    EXPECT_FALSE(CastReader::isPsdFile(dir.file("none.psd")));
    EXPECT_FALSE(CastReader::isPsdFile(dir.path()));
    try {
        CastReader r(dir.file("none.psd"));
        ADD_FAILURE() << "opened a file that is not there";
    } catch (const CastError& e) {
        EXPECT_EQ(e.fault, CastFault::Open);
        EXPECT_EQ(e.systemError, ENOENT);
    }
}

TEST(CastReaderTest, ALockedFileIsRefusedAndAChangedOneIsNoticed)
{
    TempDir dir;
    const std::string path = dir.file("c.psd");
    {
        // A writer holds the file: a reader that wants the lock is refused, one that does not reads.
        OutputFile writer;
        ASSERT_TRUE(writer.create(path));
        ASSERT_TRUE(writer.append(psdFile(5)));
        try {
            CastReader r(path, {CastReader::Check::Strict, true});
            ADD_FAILURE() << "opened a file being written";
        } catch (const CastError& e) {
            EXPECT_EQ(e.fault, CastFault::Locked);
            EXPECT_EQ(e.what(), path + text::kPsdBeingWritten);
        }
        EXPECT_EQ(CastReader(path).frameCount(), 3);
    }
    const CastReader r(path, {CastReader::Check::Strict, true});
    EXPECT_EQ(r.recordsNow(), 5);
    // Grown: read on past the records of the open; read() keeps to them.
    writeFile(path, psdFile(7));
    EXPECT_EQ(r.recordsNow(), 7);
    std::vector<unsigned char> bytes;
    EXPECT_EQ(r.readRecords(5, 10, bytes), 2u);
    std::vector<OutputRecord> records;
    EXPECT_EQ(r.read(0, 10, records), 3u);
    // Cut short, then replaced under its name.
    std::filesystem::resize_file(path, 3 * 512 + 17);
    EXPECT_EQ(r.recordsNow(), 3);
    // Replaced the way this program replaces a file (also on Windows, where a
    // plain rename over a file another handle holds open is refused).
    std::string error;
    ASSERT_TRUE(replaceFileAtomically(path, psdFile(9), &error)) << error;
    EXPECT_EQ(r.recordsNow(), -1);
    EXPECT_EQ(CastReader(path).frameCount(), 7);
}
