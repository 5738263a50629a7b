// kavro-cli background, run as the program itself: its output, its files and its exit statuses.
#include "tests/support/TestFiles.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>

using namespace kavro;
using namespace kavro::test;

namespace {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

std::vector<std::uint16_t> frame(std::uint16_t ring, std::uint16_t power, std::uint16_t reference)
{
    std::vector<std::uint16_t> w(40, 7);
    for (std::size_t i = 0; i < 32; ++i)
        w[i] = ring;
    w[32] = power;
    w[35] = reference;
    return w;
}

std::string factory(double power)
{
    std::string s;
    for (int i = 0; i < 40; ++i)
        s += (i < 32 ? "5" : (i == 32 ? std::to_string(power) : "1000")) + std::string("\n");
    return s;
}

struct Cli {
    TempDir dir;
    std::string raw = dir.file("rec/bg.raw");
    std::string profile = dir.file("kavro.INI");

    Cli()
    {
        std::filesystem::create_directory(dir.file("rec"));
        std::filesystem::create_directory(dir.file("cal"));
        writeFile(dir.file("cal/factory_zsc.asc"), factory(2500));
        std::vector<std::vector<std::uint16_t>> frames(120, frame(12, 2000, 101));
        frames[3][0] = 0;
        writeFile(raw, rawRecords(frames));
    }
    CliRun run(const std::string& args) const
    {
        std::string command = KAVRO_BIN_DIR "/kavro-cli background " + args + " --profile " + profile +
                              " >" + dir.file("out.txt") + " 2>" + dir.file("err.txt");
        int status = std::system(command.c_str());
        return CliRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(dir.file("out.txt")),
                   readFile(dir.file("err.txt"))};
    }
    std::string calDir() const { return " --cal-dir " + dir.file("cal"); }
};

TEST(CmdBackground, BuildsBesideTheRecordingAndStoresTheRatio)
{
    Cli cli;
    CliRun r = cli.run(cli.raw + cli.calDir());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Average ring values exceed factory by a factor of at least 2.0 for 32 ring(s).\n"
                     "Ring values of 0 occurred in 1 record(s).\n"
                     "100 frames collected.\n"
                     "Background scatter file written: " + cli.dir.file("rec/zsc.asc") + "\n"
                     "LRefRatio 19.802 stored in " + cli.profile + "\n");
    EXPECT_EQ(r.err, "");
    std::string written = readFile(cli.dir.file("rec/zsc.asc"));
    EXPECT_EQ(written.substr(0, 26), "1.188000e+01\n1.200000e+01\n");
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 40);
    EXPECT_EQ(readFile(cli.profile), "[Miscellaneous]\nLRefRatio=19.802\n");
}

TEST(CmdBackground, ALowLaserReferenceLeavesTheRatio)
{
    Cli cli;
    writeFile(cli.raw, rawRecords({frame(12, 2000, 100)}));
    writeFile(cli.dir.file("f.asc"), factory(2500));
    CliRun r = cli.run(cli.raw + " -o " + cli.dir.file("out.asc") + " --factory " + cli.dir.file("f.asc"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("LRefRatio unchanged"), std::string::npos) << r.out;
    EXPECT_TRUE(fileExists(cli.dir.file("out.asc")));
    EXPECT_FALSE(fileExists(cli.profile));
}

TEST(CmdBackground, ABadVerdictOrNoRecordFailsWithoutWriting)
{
    Cli cli;
    writeFile(cli.dir.file("cal/factory_zsc.asc"), factory(100));
    CliRun bad = cli.run(cli.raw + cli.calDir());
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.out.rfind("BAD factory background scatter file.\n", 0), 0u) << bad.out;
    EXPECT_EQ(bad.err, "kavro-cli: " + cli.dir.file("cal/factory_zsc.asc") + ": BAD factory background scatter file.\n");
    EXPECT_FALSE(fileExists(cli.dir.file("rec/zsc.asc")));
    EXPECT_FALSE(fileExists(cli.profile));

    writeFile(cli.raw, std::string(79, '\0'));
    CliRun none = cli.run(cli.raw + cli.calDir());
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "kavro-cli: " + cli.raw + ": Unable to build background scattering file. No records read.\n");
}

TEST(CmdBackground, UnreadableInputAndFailedWritesNameTheFile)
{
    Cli cli;
    CliRun missing = cli.run(cli.dir.file("none.raw") + cli.calDir());
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "kavro-cli: " + cli.dir.file("none.raw") + ": No such file or directory\n");

    CliRun noFactory = cli.run(cli.raw + " --cal-dir " + cli.dir.file("rec"));
    EXPECT_EQ(noFactory.status, 1);
    EXPECT_EQ(noFactory.err,
              "kavro-cli: " + cli.dir.file("rec/factory_zsc.asc") + ": Could not open the factory zero scatter file\n");

    const std::string blocked = cli.raw + "/zsc.asc";
    CliRun unwritable = cli.run(cli.raw + cli.calDir() + " -o " + blocked);
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_EQ(unwritable.err, "kavro-cli: Could not write to the file " + blocked + ": Not a directory\n");
    // A ratio taken from a background that was not kept is not stored either.
    EXPECT_FALSE(fileExists(cli.profile));
}

TEST(CmdBackground, BadUsage)
{
    Cli cli;
    const std::string before = readFile(cli.raw);
    CliRun over = cli.run(cli.raw + cli.calDir() + " -o " + cli.dir.file("rec/../rec/bg.raw"));
    EXPECT_EQ(over.status, 2);
    EXPECT_EQ(over.err, "kavro-cli: " + cli.raw + ": the output would overwrite its input\n");
    EXPECT_EQ(readFile(cli.raw), before);
    EXPECT_EQ(cli.run(cli.calDir()).status, 2);  // no recording
    EXPECT_EQ(cli.run(cli.raw + " --multiscan maybe").status, 2);
    EXPECT_EQ(cli.run(cli.raw + " --frames 3").status, 2);
}

TEST(CmdBackground, MultiScanAnswers)
{
    Cli cli;
    std::vector<std::vector<std::uint16_t>> frames(99, frame(1600, 2000, 1000));
    frames.push_back(frame(1600, 4096, 1000));
    writeFile(cli.raw, rawRecords(frames));
    auto firstLine = [&] { return readFile(cli.dir.file("rec/zsc.asc")).substr(0, 13); };

    EXPECT_EQ(cli.run(cli.raw + cli.calDir()).status, 0);  // AutoMultiScan 1 by default
    EXPECT_EQ(firstLine(), "1.000000e+02\n");

    writeFile(cli.profile, "[Miscellaneous]\nAutoMultiScan=0\n");
    std::filesystem::remove(cli.dir.file("rec/zsc.asc"));
    CliRun undecided = cli.run(cli.raw + cli.calDir());
    EXPECT_EQ(undecided.status, 2);
    EXPECT_EQ(undecided.err, "kavro-cli: " + cli.raw +
                                 ": holds summed 16-scan records and AutoMultiScan is 0: say --multiscan yes or "
                                 "--multiscan no\n");
    EXPECT_FALSE(fileExists(cli.dir.file("rec/zsc.asc")));

    EXPECT_EQ(cli.run(cli.raw + cli.calDir() + " --multiscan no").status, 0);
    EXPECT_EQ(firstLine(), "1.600000e+03\n");
    EXPECT_EQ(cli.run(cli.raw + cli.calDir() + " --multiscan yes").status, 0);
    EXPECT_EQ(firstLine(), "1.000000e+02\n");
    EXPECT_EQ(cli.run(cli.raw + cli.calDir() + " --multiscan auto").status, 0);
    EXPECT_EQ(firstLine(), "1.000000e+02\n");
}

}  // namespace
