#include "core/OutputFile.h"
#include "core/TimeStamps.h"
#include "tests/support/TestFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <optional>
#include <span>
#include <string_view>
#include <vector>
#include <sys/file.h>
#include <unistd.h>

using namespace kavro;
using kavro::test::readFile;
using kavro::test::TempDir;

TEST(OutputFile, AppendsWholeRecords)
{
    TempDir dir;
    OutputFile f;
    ASSERT_TRUE(f.create(dir.file("a.psd")));
    EXPECT_TRUE(f.append(std::string(512, 'a')));
    EXPECT_TRUE(f.append(std::string(512, 'b')));
    // Readable at once, before the file is closed.
    EXPECT_EQ(readFile(dir.file("a.psd")).size(), 1024u);
    f.close();
    EXPECT_FALSE(f.failed());
}

TEST(OutputFile, AFullFileKeepsOnlyWholeRecordsAndStops)
{
    TempDir dir;
    OutputFile f;
    {
        // The second record fits only in part.
        kavro::test::FileSizeLimit limit(1000);
        ASSERT_TRUE(limit.active());
        ASSERT_TRUE(f.create(dir.file("a.psd")));
        EXPECT_TRUE(f.append(std::string(512, 'a')));
        EXPECT_FALSE(f.append(std::string(512, 'b')));
        EXPECT_TRUE(f.failed());
        EXPECT_FALSE(f.error().empty());
        EXPECT_FALSE(f.append(std::string(8, 'c')));  // stopped for good
        f.close();
    }
    EXPECT_EQ(readFile(dir.file("a.psd")), std::string(512, 'a'));
}

TEST(OutputFile, CreateFailsWithAReason)
{
    TempDir dir;
    OutputFile f;
    EXPECT_FALSE(f.create(dir.file("missing/a.psd")));
    EXPECT_FALSE(f.error().empty());
    EXPECT_FALSE(f.append("x"));
    EXPECT_FALSE(f.create(dir.path()));  // a folder
}

TEST(OutputFile, AFileDeletedWhileWrittenIsAFailure)
{
    TempDir dir;
    OutputFile f;
    ASSERT_TRUE(f.create(dir.file("a.psd")));
    EXPECT_TRUE(f.append(std::string(512, 'a')));
    std::remove(dir.file("a.psd").c_str());
    EXPECT_FALSE(f.append(std::string(512, 'b')));
    EXPECT_TRUE(f.failed());
    EXPECT_NE(f.error().find("deleted"), std::string::npos);
}

TEST(OutputFile, AFileHeldByAnotherWriterOrReaderIsRefusedAndKeepsItsBytes)
{
    TempDir dir;
    const std::string path = dir.file("cast.psd");
    OutputFile first;
    ASSERT_TRUE(first.create(path));
    ASSERT_TRUE(first.append("first writer's record"));

    // Whatever the second one asks for, the first one's bytes stay.
    for (OutputFile::Existing existing : {OutputFile::Existing::Replace, OutputFile::Existing::Refuse}) {
        OutputFile second;
        EXPECT_FALSE(second.create(path, existing));
        EXPECT_EQ(second.error(), existing == OutputFile::Existing::Replace ? "in use by another program or window"
                                                                             : "the file exists already");
        EXPECT_FALSE(second.isOpen());
    }
    EXPECT_TRUE(first.append(", and the next"));
    EXPECT_EQ(readFile(path), "first writer's record, and the next");
    first.close();

    // A window showing the file (a shared lock) keeps writers out as well.
    const int viewer = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(viewer, LOCK_SH | LOCK_NB), 0);
    OutputFile writer;
    EXPECT_FALSE(writer.create(path));
    EXPECT_EQ(readFile(path), "first writer's record, and the next");
    ::close(viewer);

    // Once let go, the file is replaced when asked for, and refused when not.
    EXPECT_FALSE(writer.create(path, OutputFile::Existing::Refuse));
    ASSERT_TRUE(writer.create(path));
    EXPECT_EQ(readFile(path), "");
    EXPECT_TRUE(writer.create(dir.file("new.psd"), OutputFile::Existing::Refuse));
}

TEST(TimeStamps, LinesAreFrameAndUtcWithMilliseconds)
{
    using std::chrono::milliseconds;
    const struct {
        long long ms;  // since 1970-01-01T00:00:00Z
        long long frame;
        const char* line;
    } cases[] = {
        {1796782845123LL, 17, "17,2026-12-09T02:20:45.123Z\n"},
        {0, 1, "1,1970-01-01T00:00:00.000Z\n"},
        {951782400999LL, 100001, "100001,2000-02-29T00:00:00.999Z\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(timeStampLine(c.frame, UtcTime(milliseconds(c.ms))), c.line);
    EXPECT_EQ(timeStampPathFor("/data/cast7.psd"), "/data/cast7.time.csv");
    EXPECT_EQ(timeStampPathFor("Instrument"), "Instrument.time.csv");
}

TEST(OutputFile, ALiveFileIsForcedOntoTheDiskOnItsIntervalAndAtClose)
{
    TempDir dir;
    OutputFile live;
    ASSERT_TRUE(live.create(dir.file("live.psd")));
    live.setSyncInterval(3600.0);
    ASSERT_TRUE(live.append(std::string(512, 'a')));
    EXPECT_EQ(live.syncs(), 0);  // not due yet
    live.setSyncInterval(1e-9);
    ASSERT_TRUE(live.append(std::string(512, 'b')));
    EXPECT_EQ(live.syncs(), 1);
    live.setSyncInterval(3600.0);
    ASSERT_TRUE(live.append(std::string(512, 'c')));
    EXPECT_EQ(live.syncs(), 1);
    live.close();
    EXPECT_EQ(live.syncs(), 2);
    EXPECT_FALSE(live.failed());
    EXPECT_EQ(readFile(dir.file("live.psd")).size(), 1536u);

    OutputFile replay;  // a file made again from its recording is left to the system
    ASSERT_TRUE(replay.create(dir.file("replay.psd")));
    ASSERT_TRUE(replay.append(std::string(512, 'a')));
    replay.close();
    EXPECT_EQ(replay.syncs(), 0);
}

TEST(OutputFile, AGatheredWriteIsItsPartsInOrderOrNothing)
{
    // Parts of several sizes (empty ones among them, more than one writev takes at
    // once), after a first record of 512 bytes; limit: the largest file allowed (0: none).
    const struct {
        const char* name;
        std::vector<std::size_t> parts;
        unsigned long limit;
        bool whole;
    } cases[] = {
        {"one part", {512}, 0, true},
        {"block of pieces", {4096, 0, 512, 8192, 0, 1}, 0, true},
        {"more parts than one call takes", std::vector<std::size_t>(2500, 7), 0, true},
        {"nothing at all", {0, 0}, 0, true},
        {"cut in the second part", {512, 512, 512}, 1400, false},
        {"cut among many parts", std::vector<std::size_t>(3000, 5), 9000, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::vector<std::string> parts;
        std::string expected(512, '#');
        for (std::size_t i = 0; i < c.parts.size(); ++i)
            parts.emplace_back(c.parts[i], static_cast<char>('a' + i % 26));
        for (const std::string& p : parts)
            expected += p;
        const std::vector<std::string_view> views(parts.begin(), parts.end());
        OutputFile f;
        {
            std::optional<kavro::test::FileSizeLimit> limit;
            if (c.limit) {
                limit.emplace(c.limit);
                ASSERT_TRUE(limit->active());
            }
            ASSERT_TRUE(f.create(dir.file("a.psd")));
            ASSERT_TRUE(f.append(std::string(512, '#')));
            EXPECT_EQ(f.append(std::span<const std::string_view>(views)), c.whole);
            EXPECT_EQ(f.failed(), !c.whole);
            f.close();
        }
        EXPECT_EQ(readFile(dir.file("a.psd")), c.whole ? expected : std::string(512, '#'));
        EXPECT_EQ(f.size(), static_cast<long long>(c.whole ? expected.size() : 512));
    }
}
