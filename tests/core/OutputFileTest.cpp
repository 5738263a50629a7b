#include "core/OutputFile.h"
#include "core/TimeStamps.h"
#include "tests/support/TestFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
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
