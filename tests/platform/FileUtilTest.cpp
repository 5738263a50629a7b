#include "platform/FileUtil.h"
#include "tests/support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace kavro;
using namespace kavro::test;

namespace fs = std::filesystem;

TEST(FileUtil, ReplacingALinkedFileKeepsTheLink)
{
    TempDir dir;
    fs::create_directory(dir.file("real"));
    writeFile(dir.file("real/zsc.asc"), "old\n");
    fs::create_symlink(dir.file("real/zsc.asc"), dir.file("link.asc"));
    std::string error;
    ASSERT_TRUE(replaceFileAtomically(dir.file("link.asc"), "new\n", &error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir.file("link.asc")));
    EXPECT_EQ(readFile(dir.file("real/zsc.asc")), "new\n");
}

TEST(FileUtil, ADeviceOrFolderIsNeverReplaced)
{
    TempDir dir;
    std::string error;
    // Renaming over /dev/null would replace the device itself for a privileged user.
    EXPECT_FALSE(replaceFileAtomically("/dev/null", "x", &error));
    EXPECT_EQ(error, "/dev/null: not a regular file");
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_FALSE(replaceFileAtomically(dir.path(), "x", &error));
    EXPECT_EQ(error, dir.path() + ": Is a directory");
}

TEST(FileUtil, SameFileThroughLinksAndDots)
{
    TempDir dir;
    writeFile(dir.file("a.raw"), "a");
    writeFile(dir.file("b.raw"), "b");
    fs::create_symlink(dir.file("a.raw"), dir.file("l.raw"));
    EXPECT_TRUE(sameFile(dir.file("a.raw"), dir.path() + "/./a.raw"));
    EXPECT_TRUE(sameFile(dir.file("l.raw"), dir.file("a.raw")));
    EXPECT_FALSE(sameFile(dir.file("a.raw"), dir.file("b.raw")));
    EXPECT_TRUE(sameFile(dir.file("new.asc"), dir.path() + "/x/../new.asc"));  // not there yet
    EXPECT_FALSE(sameFile("", dir.file("a.raw")));
}

TEST(FileUtil, AListOfFilesNamesTheirFolderOnceWhenTheyShareIt)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> rows = {
        {{}, ""},
        {{"/d/a.psd", "/d/a.asc", "/d/a.time.csv"}, "a.psd, a.asc, a.time.csv in /d"},
        {{"/d/a.psd", "/e/a.asc"}, "/d/a.psd, /e/a.asc"},
        {{"a.psd", "a.log"}, "a.psd, a.log"},
    };
    for (const auto& [paths, text] : rows)
        EXPECT_EQ(fileListText(paths), text);
}
