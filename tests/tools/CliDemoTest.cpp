// kavro-cli makecal and simraw as a user runs them: files, bytes and exit statuses.
#include "tests/tools/CliRun.h"

#include "platform/Sha256.h"

#include <gtest/gtest.h>


namespace kavro {
namespace {

// kavro-cli as a user runs it, with scratch as its working folder.
test::CliResult kavroCli(const test::TempDir& scratch, const std::vector<std::string>& args)
{
    return test::runCli(args, "cd '" + scratch.path() + "';");
}

TEST(CliDemo, MakecalAndSimrawWriteTheSameBytesEveryRun)
{
    test::TempDir a;
    test::TempDir b;
    ASSERT_EQ(kavroCli(a, {"makecal", a.file("cal")}).status, 0);
    ASSERT_EQ(kavroCli(b, {"makecal", b.file("cal")}).status, 0);
    for (const char* name : {"M32x32_b.asc", "H32_c.asc", "Dias32_a.asc", "Gain_b.asc", "RingArea_c.asc", "zsc.asc",
                             "factory_zsc.asc"})
        EXPECT_EQ(test::readFile(a.file("cal/") + name), test::readFile(b.file("cal/") + name)) << name;

    test::CliResult r = kavroCli(a, {"simraw", "--cal-dir", a.file("cal")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(test::readFile(a.file("cal/demo.raw")).size(), 1200u * 80u);
    EXPECT_TRUE(test::fileExists(a.file("cal/demo_truth.csv")));

    ASSERT_EQ(kavroCli(a, {"simraw", "--cal-dir", a.file("cal"), "--model", "2", "--frames", "30", "-o",
                           a.file("out/c.raw")}).status, 0);
    ASSERT_EQ(kavroCli(b, {"simraw", "--cal-dir", b.file("cal"), "--model", "2", "--frames", "30", "-o",
                           b.file("out/c.raw")}).status, 0);
    std::string raw = test::readFile(a.file("out/c.raw"));
    EXPECT_EQ(raw.size(), 30u * 80u);
    EXPECT_EQ(raw, test::readFile(b.file("out/c.raw")));
    EXPECT_EQ(test::readFile(a.file("out/c_truth.csv")), test::readFile(b.file("out/c_truth.csv")));
    // Another model gives another recording.
    ASSERT_EQ(kavroCli(a, {"simraw", "--cal-dir", a.file("cal"), "--frames", "30", "-o", a.file("out/a.raw")}).status, 0);
    EXPECT_NE(test::readFile(a.file("out/a.raw")), raw);
}

TEST(CliDemo, TheBuildsDemoDataIsWhatTheCommandsMakeNow)
{
    const std::string built = std::string(KAVRO_BIN_DIR) + "/../data/demo/";
    test::TempDir dir;
    ASSERT_EQ(kavroCli(dir, {"makecal", dir.path()}).status, 0);
    ASSERT_EQ(kavroCli(dir, {"simraw", "--cal-dir", dir.path(), "--model", "1", "-o", dir.file("demo_b.raw")}).status, 0);
    for (const char* name : {"M32x32_a.asc", "H32_b.asc", "Gain_c.asc", "zsc.asc", "demo_b.raw", "demo_b_truth.csv"})
        EXPECT_EQ(test::readFile(built + name), test::readFile(dir.file(name))) << name;
}

TEST(CliDemo, TheDemoBytesAreThoseOfEveryEarlierRelease)
{
    // The demo files are compared byte for byte between builds: a change of the
    // physics or the writers shows here before it changes anyone's demo.
    struct Case {
        int model;
        const char* raw;
        const char* truth;
    };
    const Case cases[] = {
        {0, "dd5cafbe2632da8433646ad9ac130d07127f457f8068269ea97395eabd1a9f05",
         "e94d39916c4c028067776d653a79f4c0dbc32a4f541152ee5d1af51eea260bef"},
        {1, "93181ae626a6937c640257ff54302771fe6baf74d8620472f18ebd08bdf3655f",
         "1c30e71a7adfde573a1e049100f47583e25043cf3efaa9c0b198ae5a2e53fe63"},
        {2, "3c78f8cce613feb475fd580a9b6703900be35d79bfd735c136c11f569cb30353",
         "ce7b8d3b977095b18807fb5f75980392b9f07fffac4adda130b5cd763b114f06"},
    };
    test::TempDir dir;
    ASSERT_EQ(kavroCli(dir, {"makecal", dir.file("cal")}).status, 0);
    EXPECT_EQ(sha256OfFile(dir.file("cal/M32x32_b.asc")),
              "d44985e0a1a2eb2c5eda061e48450de5ddd4c4b98c1ac32750d13d5b0682cc88");
    EXPECT_EQ(sha256OfFile(dir.file("cal/zsc.asc")), "2c765b6f078b9b381735f94588bd6fa9d5159433ef5373e8fba7ff717000b468");
    for (const Case& c : cases) {
        const std::string raw = dir.file("m" + std::to_string(c.model) + ".raw");
        test::CliResult r = kavroCli(dir, {"simraw", "--cal-dir", dir.file("cal"), "--model", std::to_string(c.model),
                                           "--frames", "40", "-o", raw});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(sha256OfFile(raw), c.raw) << "model " << c.model;
        EXPECT_EQ(sha256OfFile(dir.file("m" + std::to_string(c.model) + "_truth.csv")), c.truth) << "model " << c.model;
    }
}

TEST(CliDemo, BadUsageAndBadInput)
{
    test::TempDir dir;
    ASSERT_EQ(kavroCli(dir, {"makecal", dir.file("cal")}).status, 0);

    EXPECT_EQ(kavroCli(dir, {"makecal"}).status, 2);
    EXPECT_EQ(kavroCli(dir, {"simraw"}).status, 2);
    EXPECT_EQ(kavroCli(dir, {"simraw", "--cal-dir", dir.file("cal"), "--model", "3"}).status, 2);
    EXPECT_EQ(kavroCli(dir, {"simraw", "--cal-dir", dir.file("cal"), "--frames", "0"}).status, 2);
    EXPECT_EQ(kavroCli(dir, {"simraw", "--cal-dir", dir.file("cal"), "--frames", "100001"}).status, 2);
    EXPECT_EQ(kavroCli(dir, {"simraw", "--cal-dir", dir.file("cal"), "--frames", "many"}).status, 2);

    test::CliResult missing = kavroCli(dir, {"simraw", "--cal-dir", dir.file("nowhere")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "kavro-cli: cannot open " + dir.file("nowhere/M32x32_a.asc") +
                               ": No such file or directory\n");

    test::writeFile(dir.file("cal/Dias32_b.asc"), "1 2 3 oops 5\n");
    test::CliResult text = kavroCli(dir, {"simraw", "--cal-dir", dir.file("cal"), "--model", "1"});
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.err, "kavro-cli: " + dir.file("cal/Dias32_b.asc") + ": text that is not a number after value 3\n");

    test::writeFile(dir.file("blocker"), "a file, not a folder");
    test::CliResult unwritable = kavroCli(dir, {"simraw", "--cal-dir", dir.file("cal"), "-o", dir.file("blocker/x.raw")});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("cannot write " + dir.file("blocker/x.raw")), std::string::npos) << unwritable.err;
    EXPECT_EQ(kavroCli(dir, {"makecal", dir.file("blocker/cal")}).status, 1);
}

TEST(CliDemo, CompareSetsTheInversionAgainstTheTruthSegmentBySegment)
{
    const std::string demo = std::string(KAVRO_BIN_DIR) + "/../data/demo/";
    test::TempDir dir;
    ASSERT_EQ(kavroCli(dir, {"process", "-q", "--cal-dir", demo, "--model", "0", "-o", dir.file("d.psd"),
                             demo + "demo.raw"}).status, 0);
    test::CliResult r = kavroCli(dir, {"compare", demo + "demo_truth.csv", dir.file("d.psd")});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* segment : {"narrow", "broad", "bimodal", "(no light)"})
        EXPECT_NE(r.out.find(segment), std::string::npos) << segment;

    test::writeFile(dir.file("bad.csv"), "frame,segment\n0,narrow\n");
    test::CliResult bad = kavroCli(dir, {"compare", dir.file("bad.csv"), dir.file("d.psd")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, "kavro-cli: " + dir.file("bad.csv") + ": no column \"laser_on\"\n");
    EXPECT_EQ(kavroCli(dir, {"compare", dir.file("bad.csv")}).status, 2);
}

}  // namespace
}  // namespace kavro
