// kavro-cli writing onto a disk that is full or a file that may not grow: one clear
// line naming the file, a non-zero exit, and never a partial file or record left.
#include "tests/support/ChildProcess.h"
#include "tests/tools/CliRun.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

namespace kavro {
namespace {

const std::string kDemo = std::string(KAVRO_BIN_DIR) + "/../data/demo";

std::vector<std::string> filesIn(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    return names;
}

// The checks of one refused write, for use in the child that owns the full disk.
int refusedWithoutTrace(const test::CliResult& r, const std::string& dir, const std::string& path,
                        const std::string& reason)
{
    int failures = 0;
    auto fail = [&](const std::string& what) {
        std::fprintf(stderr, "%s\n--- kavro-cli said:\n%s---\n", what.c_str(), r.err.c_str());
        ++failures;
    };
    if (r.status != 1)
        fail("exit status " + std::to_string(r.status) + " (-1: ended by a signal)");
    if (r.err != "kavro-cli: cannot write " + path + ": " + reason + "\n")
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
    // 1200 frames are 96000 bytes; 47 blocks of 512 bytes let a quarter through.  No
    // trap: kavro-cli itself must turn the limit into an error rather than die of it.
    test::CliResult r = test::runCli({"simraw", "--cal-dir", kDemo, "-o", out + "/cast.raw"}, "ulimit -f 47;");
    EXPECT_EQ(refusedWithoutTrace(r, out, out + "/cast.raw", "File too large"), 0);
}

TEST(CliFullDisk, AFullDiskEndsEveryWritingCommandWithAMessageAndWholeFiles)
{
    if (!test::canMountPrivateTmpfs())
        GTEST_SKIP() << "needs root and mount namespaces for a small tmpfs";
    test::TempDir dir;
    test::ChildResult r = test::runInChild([&] {
        const std::string disk = dir.file("disk");
        if (!test::mountPrivateTmpfs(disk, 256 * 1024))
            return 90;
        int failures = 0;
        const std::string noProfile = disk + "/none.INI";

        // Results of the demo recording: 1200 frames want 600 KB of .psd alone.
        test::CliResult process = test::runCli({"process", "--profile", noProfile, "--cal-dir", kDemo, "--asc",
                                                "--log", "-q", "-o", disk + "/cast.psd", kDemo + "/demo.raw"});
        if (process.status != 1 || process.err.find("No space left on device") == std::string::npos) {
            std::fprintf(stderr, "process: status %d, said: %s\n", process.status, process.err.c_str());
            ++failures;
        }
        const std::string psd = test::readFile(disk + "/cast.psd");
        if (psd.size() < 1024 || psd.size() % 512 != 0) {
            std::fprintf(stderr, "process left %zu bytes of .psd\n", psd.size());
            ++failures;
        }
        for (const char* ext : {".asc", ".log"}) {
            const std::string text = test::readFile(disk + "/cast" + ext);
            if (!text.empty() && text.back() != '\n') {
                std::fprintf(stderr, "process left half a line at the end of the %s\n", ext);
                ++failures;
            }
        }
        for (const std::string& name : filesIn(disk))
            std::filesystem::remove(disk + "/" + name);

        test::CliResult simraw = test::runCli({"simraw", "--cal-dir", kDemo, "-o", disk + "/big.raw", "--frames",
                                               "10000"});
        failures += refusedWithoutTrace(simraw, disk, disk + "/big.raw", "No space left on device");

        // Most of the disk taken: the calibration set stops at the file that no
        // longer fits, and every file written before it is whole.
        test::writeFile(disk + "/filler", std::string(220 * 1024, 'f'));
        test::CliResult makecal = test::runCli({"makecal", disk + "/cal"});
        if (makecal.status != 1 || makecal.err.find("No space left on device") == std::string::npos ||
            makecal.err.rfind("kavro-cli: cannot write " + disk + "/cal/", 0) != 0) {
            std::fprintf(stderr, "makecal: status %d, said: %s\n", makecal.status, makecal.err.c_str());
            ++failures;
        }
        for (const std::string& name : filesIn(disk + "/cal")) {
            if (test::readFile(disk + "/cal/" + name) != test::readFile(kDemo + "/" + name)) {
                std::fprintf(stderr, "makecal left %s unlike the whole file\n", name.c_str());
                ++failures;
            }
        }
        return failures;
    });
    EXPECT_EQ(r.exitCode, 0) << r.output;
}

}  // namespace kavro
