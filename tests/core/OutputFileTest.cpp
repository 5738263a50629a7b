#include "core/OutputFile.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

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
