#include "core/OutputRecord.h"
#include "platform/NumText.h"
#include "tests/core/CoreFixture.h"
#include "tests/tools/CliRun.h"
#include "tools/ProcessJob.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace kavro;
using namespace kavro::test;

namespace {

// Frames whose laser power word is laser; ring 1 of frame n is n.
std::string frames(int count, std::uint16_t laser)
{
    std::vector<std::vector<std::uint16_t>> f;
    for (int n = 0; n < count; ++n) {
        std::vector<std::uint16_t> words(40, 2000);
        words[0] = static_cast<std::uint16_t>(n);
        words[1] = n == 2 ? 4094 : 500;
        words[32] = laser;
        words[35] = 2000;
        words[37] = static_cast<std::uint16_t>(100 + n);
        f.push_back(words);
    }
    return rawRecords(f);
}

struct CliFilesTest : CliFixture {
    CliResult processTo(const std::string& raw, const std::string& psd, const std::string& multiScan)
    {
        return runCli({"process", "-q", "--profile", profile, "--cal-dir", cal.dir.path(), "--multiscan", multiScan,
                       "-o", psd, raw});
    }
};

}  // namespace

TEST(ProcessJob, NameRules)
{
    EXPECT_EQ(cli::defaultOutput("/data/cast.3.raw", ""), "/data/cast.psd");
    EXPECT_EQ(cli::defaultOutput("/data/cast.3.raw", "/out"), "/out/cast.psd");
    EXPECT_EQ(cli::defaultOutput("run.raw", ""), "run.psd");
    EXPECT_EQ(cli::defaultBackground("/data/cast.raw", "/cal", 1), "/data/zsc.asc");
    EXPECT_EQ(cli::defaultBackground("/data/cast.raw", "/cal", 0), "/cal/zsc.asc");
}

TEST_F(CliFilesTest, InfoOfARecordingAndOfItsPsd)
{
    const std::string raw = work.file("r.dat");
    writeFile(raw, frames(6, 3000) + "xyz");
    CliResult r = runCli({"info", "--profile", profile, raw});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Frames: 6\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Trailing bytes (not a whole record, never read): 3\n"), std::string::npos);
    EXPECT_NE(r.out.find("Multi-scan: no\n"), std::string::npos);
    EXPECT_NE(r.out.find("Temperature"), std::string::npos);
    EXPECT_NE(r.out.find("   100    105"), std::string::npos) << r.out;  // channel 6 words 100..105
    EXPECT_NE(r.out.find("Ring words equal to 0: 1 in 1 frames\n"), std::string::npos);
    EXPECT_NE(r.out.find("Ring words above 4093 (saturated): 1 in 1 frames\n"), std::string::npos);

    ASSERT_EQ(processTo(raw, work.file("r.psd"), "auto").status, 0);
    r = runCli({"info", "--profile", profile, work.file("r.psd")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Header records: 2\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Instrument model: 0 (calibration set a)\n"), std::string::npos);
    EXPECT_NE(r.out.find("Background file: " + cal.path("zsc.asc") + "\n"), std::string::npos);
    EXPECT_NE(r.out.find("Frame records: 6\n"), std::string::npos);
    EXPECT_NE(r.out.find("Class diameters (um): 1 2 3"), std::string::npos);

    writeFile(work.file("bad.psd"), std::string(2048, 'x'));
    r = runCli({"info", "--profile", profile, work.file("bad.psd")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kavro-cli: " + work.file("bad.psd") + ": not a KAVRO400 particle size distribution file\n");
}

TEST_F(CliFilesTest, MultiScanChoices)
{
    const std::string raw = work.file("m.raw");
    writeFile(raw, frames(5, 64000));
    CliResult r = runCli({"info", "--profile", profile, raw});
    EXPECT_NE(r.out.find("Multi-scan: yes, summed 16-scan data (AutoMultiScan = 1)\n"), std::string::npos) << r.out;

    ASSERT_EQ(processTo(raw, work.file("yes.psd"), "yes").status, 0);
    ASSERT_EQ(processTo(raw, work.file("no.psd"), "no").status, 0);
    ASSERT_EQ(processTo(raw, work.file("auto.psd"), "auto").status, 0);
    const std::string yes = readFile(work.file("yes.psd")), no = readFile(work.file("no.psd"));
    EXPECT_FALSE(yes == no);
    EXPECT_TRUE(readFile(work.file("auto.psd")) == yes);
    // Laser power aux value of the first frame: 4000 × 0.0012 divided, 64000 × 0.0012 not.
    EXPECT_FLOAT_EQ(getFloat32(reinterpret_cast<const unsigned char*>(yes.data()) + 1024 + 4 * 64), 4.8f);
    EXPECT_FLOAT_EQ(getFloat32(reinterpret_cast<const unsigned char*>(no.data()) + 1024 + 4 * 64), 76.8f);

    // Where the program would ask, the CLI takes No.
    writeFile(profile, "[Miscellaneous]\nNumIterations=5\nAutoMultiScan=0\n");
    r = runCli({"info", "--profile", profile, raw});
    EXPECT_NE(r.out.find("detected; the program asks"), std::string::npos) << r.out;
    ASSERT_EQ(processTo(raw, work.file("asked.psd"), "auto").status, 0);
    EXPECT_TRUE(readFile(work.file("asked.psd")) == no);
}

TEST_F(CliFilesTest, ExportWritesOneRowPerFrameThatReadsBackExactly)
{
    const std::string raw = work.file("e.raw");
    writeFile(raw, frames(4, 3000));
    const std::string psd = work.file("e.psd");
    ASSERT_EQ(processTo(raw, psd, "auto").status, 0);
    writeFile(profile, "[Instrument1]\nHK1Label=Batt, main\n");
    CliResult r = runCli({"export", "--profile", profile, psd, "--csv"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = r.out.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(r.out.substr(at, end - at));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].substr(0, 15), "1 um,2 um,3 um,");
    EXPECT_NE(lines[0].find(",32 um,Laser Power,\"Batt, main\",External Instrument,"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find(",Aux 2,mean diameter um,standard deviation um,transmission,c 1/m"), std::string::npos);

    // Row 2 against record 3 of the file, value by value.
    const std::string bytes = readFile(psd);
    const auto* rec = reinterpret_cast<const unsigned char*>(bytes.data()) + 3 * 512;
    std::vector<std::string> fields;
    std::string field;
    for (char c : lines[2] + ",") {
        if (c == ',') {
            fields.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    ASSERT_EQ(fields.size(), 44u);
    std::vector<int> entries;
    for (int k = 0; k < 32; ++k)
        entries.push_back(k);
    for (int i = 64; i < 72; ++i)
        entries.push_back(i);
    for (int e : {104, 105, 106, 107})
        entries.push_back(e);
    for (std::size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(static_cast<float>(*scanDouble(fields[i])), getFloat32(rec + 4 * entries[i])) << i;

    ASSERT_EQ(runCli({"export", "--profile", profile, psd, "--csv", "-o", work.file("e.csv")}).status, 0);
    EXPECT_EQ(readFile(work.file("e.csv")), r.out);
    r = runCli({"export", "--profile", profile, psd, "--csv", "-o", psd});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(readFile(psd), bytes);
}
