// kavro-cli writing onto a disk that is full or a file that may not grow: one clear
// line naming the file, a non-zero exit, and never a partial file left behind.
#include "tests/support/ChildProcess.h"
#include "tests/support/TestFiles.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

namespace kavro {
namespace {

const std::string kCli = std::string(KAVRO_BIN_DIR) + "/kavro-cli";
const std::string kDemo = std::string(KAVRO_BIN_DIR) + "/../data/demo";

std::vector<std::string> filesIn(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    return names;
}

// The checks of one refused write, for use in the child that owns the full disk.
int refusedWithoutTrace(const test::ChildResult& r, const std::string& dir, const std::string& path,
                        const std::string& reason)
{
    int failures = 0;
    auto fail = [&](const std::string& what) {
        std::fprintf(stderr, "%s\n--- kavro-cli said:\n%s---\n", what.c_str(), r.output.c_str());
        ++failures;
    };
    if (r.signal != 0)
        fail("ended by signal " + std::to_string(r.signal));
    if (r.exitCode != 1)
        fail("exit status " + std::to_string(r.exitCode));
    if (r.output != "kavro-cli: cannot write " + path + ": " + reason + "\n")
        fail("not the one line naming the file and the reason");
    for (const std::string& name : filesIn(dir))
        if (name != "filler")
            fail("left behind: " + name);
    return failures;
}

}  // namespace

TEST(CliFullDisk, AFileSizeLimitEndsSimrawWithAMessageAndNoFile)
{
    test::TempDir dir;
    const std::string out = dir.file("out");
    std::filesystem::create_directory(out);
    // 1200 frames are 96000 bytes; the limit lets a quarter through.
    test::ChildResult r = test::runProgram({kCli, "simraw", "--cal-dir", kDemo, "-o", out + "/cast.raw"}, {}, 24000);
    EXPECT_EQ(refusedWithoutTrace(r, out, out + "/cast.raw", "File too large"), 0);
}

TEST(CliFullDisk, AFullDiskEndsSimrawAndMakecalWithAMessageAndNoPartialFile)
{
    if (!test::canMountPrivateTmpfs())
        GTEST_SKIP() << "needs root and mount namespaces for a small tmpfs";
    test::TempDir dir;
    test::ChildResult r = test::runInChild([&] {
        const std::string disk = dir.file("disk");
        if (!test::mountPrivateTmpfs(disk, 64 * 1024))
            return 90;
        int failures = 0;
        test::ChildResult simraw = test::runProgram({kCli, "simraw", "--cal-dir", kDemo, "-o", disk + "/cast.raw"});
        failures += refusedWithoutTrace(simraw, disk, disk + "/cast.raw", "No space left on device");

        // Most of the disk taken: the calibration set stops at the file that no
        // longer fits, and every file written before it is whole.
        test::writeFile(disk + "/filler", std::string(40 * 1024, 'f'));
        test::ChildResult makecal = test::runProgram({kCli, "makecal", disk + "/cal"});
        if (makecal.exitCode != 1 || makecal.output.find("No space left on device") == std::string::npos ||
            makecal.output.rfind("kavro-cli: cannot write " + disk + "/cal/", 0) != 0) {
            std::fprintf(stderr, "makecal: status %d, said: %s\n", makecal.exitCode, makecal.output.c_str());
            ++failures;
        }
        for (const std::string& name : filesIn(disk + "/cal")) {
            const std::string written = test::readFile(disk + "/cal/" + name);
            const std::string whole = test::readFile(kDemo + "/" + name);
            if (written != whole) {
                std::fprintf(stderr, "makecal left %s unlike the whole file\n", name.c_str());
                ++failures;
            }
        }
        return failures;
    });
    EXPECT_EQ(r.exitCode, 0) << r.output;
}

}  // namespace kavro
