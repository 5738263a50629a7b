// The settings profile when the disk is full, the file may not grow, the
// profile's place holds something other than a file, or permission bits are set.
#include "platform/Profile.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestFiles.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kavro;
using namespace kavro::test;

namespace {

const std::string kOriginal = "[Miscellaneous]\nHeader=Cast 7\nFooter=Tolvane\n";

// Files of dir other than the profile itself (a temporary file left behind, say).
std::vector<std::string> strayFiles(const std::string& dir, const std::string& profileName)
{
    std::vector<std::string> stray;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().filename() != profileName && entry.path().filename() != "filler")
            stray.push_back(entry.path().filename().string());
    return stray;
}

// In a child: writes a value too big for what the disk or the limit allows and
// checks that the write is refused with a reason and the old profile kept.
int refusedWriteKeepsTheOldProfile(const std::string& dir, const std::string& reasonPart)
{
    const std::string path = dir + "/kavro.INI";
    Profile profile(path);
    const bool written = profile.writeString("Miscellaneous", "Header", std::string(200000, 'x'));
    int failures = 0;
    auto fail = [&](const std::string& what) {
        std::fprintf(stderr, "%s\n", what.c_str());
        ++failures;
    };
    if (written)
        fail("the write was reported as done");
    if (profile.lastError().find(path) == std::string::npos ||
        profile.lastError().find(reasonPart) == std::string::npos)
        fail("unclear reason: " + profile.lastError());
    if (readFile(path) != kOriginal)
        fail("the profile changed");
    if (profile.readString("Miscellaneous", "Header", "") != "Cast 7")
        fail("the old value does not read back");
    if (!strayFiles(dir, "kavro.INI").empty())
        fail("a temporary file was left: " + strayFiles(dir, "kavro.INI").front());
    // A small write still fits and works.
    if (!profile.writeString("Miscellaneous", "Header", "Cast 8") ||
        profile.readString("Miscellaneous", "Header", "") != "Cast 8")
        fail("a write that fits failed: " + profile.lastError());
    return failures;
}

}  // namespace

TEST(ProfileFaults, AFileSizeLimitRefusesTheWriteAndKeepsTheOldProfile)
{
    TempDir dir;
    writeFile(dir.file("kavro.INI"), kOriginal);
    ChildResult r = runInChild([&] {
        FileSizeLimit limit(4096);
        if (!limit.active())
            return 90;
        return refusedWriteKeepsTheOldProfile(dir.path(), "File too large");
    });
    EXPECT_EQ(r.exitCode, 0) << r.output;
}

TEST(ProfileFaults, AFullDiskRefusesTheWriteAndKeepsTheOldProfile)
{
    if (!canMountPrivateTmpfs())
        GTEST_SKIP() << "needs root and mount namespaces for a small tmpfs";
    TempDir dir;
    ChildResult r = runInChild([&] {
        const std::string mount = dir.file("disk");
        if (!mountPrivateTmpfs(mount, 64 * 1024))
            return 90;
        writeFile(mount + "/kavro.INI", kOriginal);
        return refusedWriteKeepsTheOldProfile(mount, "No space left on device");
    });
    EXPECT_EQ(r.exitCode, 0) << r.output;
}

TEST(ProfileFaults, APlaceThatHoldsNoFileGivesDefaultsAndATellingWriteError)
{
    TempDir dir;
    // The profile's folder is a file.
    writeFile(dir.file("config"), "not a folder");
    Profile underFile(dir.file("config/kavro.INI"));
    EXPECT_EQ(underFile.readString("Miscellaneous", "Header", "dflt"), "dflt");
    EXPECT_FALSE(underFile.writeString("Miscellaneous", "Header", "x"));
    EXPECT_NE(underFile.lastError().find(dir.file("config/kavro.INI")), std::string::npos) << underFile.lastError();

    // A pipe in the profile's place: reading never waits for a writer.
    ASSERT_EQ(::mkfifo(dir.file("fifo.INI").c_str(), 0644), 0);
    Profile fifo(dir.file("fifo.INI"));
    EXPECT_EQ(fifo.readInt("Miscellaneous", "CommWait", 5), 5);
    EXPECT_FALSE(fifo.hasKey("Miscellaneous", "CommWait"));
}

TEST(ProfileFaults, AProfileThatIsALinkStaysALink)
{
    // Settings kept elsewhere (a folder of dot files) and linked into place: a write
    // goes to the linked file and the link stays.
    TempDir dir;
    std::filesystem::create_directory(dir.file("dotfiles"));
    writeFile(dir.file("dotfiles/kavro.INI"), kOriginal);
    std::filesystem::create_directory(dir.file("config"));
    std::filesystem::create_symlink("../dotfiles/kavro.INI", dir.file("config/kavro.INI"));

    Profile profile(dir.file("config/kavro.INI"));
    ASSERT_TRUE(profile.writeString("Miscellaneous", "Header", "Cast 9")) << profile.lastError();
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("config/kavro.INI")));
    EXPECT_EQ(readFile(dir.file("dotfiles/kavro.INI")), "[Miscellaneous]\nHeader=Cast 9\nFooter=Tolvane\n");
    EXPECT_EQ(profile.readString("Miscellaneous", "Header", ""), "Cast 9");

    // A link whose file does not exist yet: the file is made where the link points.
    std::filesystem::create_symlink("../dotfiles/new.INI", dir.file("config/new.INI"));
    Profile fresh(dir.file("config/new.INI"));
    ASSERT_TRUE(fresh.writeString("S", "k", "1")) << fresh.lastError();
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("config/new.INI")));
    EXPECT_EQ(readFile(dir.file("dotfiles/new.INI")), "[S]\nk=1\n");
}

TEST(ProfileFaults, PermissionBitsStayAndAFolderThatMayNotBeWrittenKeepsTheProfile)
{
    // A replacement keeps the permission bits the user gave the profile.
    TempDir dir;
    writeFile(dir.file("p.INI"), "[S]\nk=1\n");
    ASSERT_EQ(::chmod(dir.file("p.INI").c_str(), 0640), 0);
    Profile p(dir.file("p.INI"));
    ASSERT_TRUE(p.writeString("S", "k", "2")) << p.lastError();
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("p.INI").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    if (::geteuid() == 0)
        return;  // root writes anywhere
    TempDir ro;
    writeFile(ro.file("p.INI"), "[S]\nk=1\n");
    ::chmod(ro.path().c_str(), 0555);
    Profile q(ro.file("p.INI"));
    EXPECT_FALSE(q.writeString("S", "k", "2"));
    EXPECT_EQ(readFile(ro.file("p.INI")), "[S]\nk=1\n");
    ::chmod(ro.path().c_str(), 0755);
}
