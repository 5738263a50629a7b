#include "core/OutputRecord.h"
#include "tests/core/CoreFixture.h"
#include "tests/tools/CliRun.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

using namespace kavro;
using namespace kavro::test;

extern char** environ;

namespace {

// count frames with rings that change from frame to frame and now and then no laser light.
std::string recording(int count, std::uint16_t laserFrom = 1500)
{
    std::vector<std::vector<std::uint16_t>> frames;
    for (int n = 0; n < count; ++n) {
        std::vector<std::uint16_t> f(40);
        for (int i = 0; i < 40; ++i)
            f[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>((n * 37 + i * 101) % 4000);
        f[32] = static_cast<std::uint16_t>(n % 11 == 0 ? 60 : laserFrom + (n * 13) % 2500);
        f[35] = 2000;
        frames.push_back(f);
    }
    return rawRecords(frames);
}

struct CliTest : CliFixture {
    std::string raw = work.file("cast.3.raw");

    void SetUp() override
    {
        CliFixture::SetUp();
        writeFile(raw, recording(300));
    }
    // process with the calibration folder and the test's profile.
    std::vector<std::string> process(std::vector<std::string> more)
    {
        std::vector<std::string> args{"process", "--profile", profile, "--cal-dir", cal.dir.path()};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }
};

}  // namespace

TEST_F(CliTest, ProcessesBesideTheRecordingWithTheSameBytesForAnyThreadCount)
{
    CliResult one = runCli(process({"-j", "1", "--asc", "--vsf", "--log", raw}));
    ASSERT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(one.err, "");  // no progress bar when stderr is not a terminal
    EXPECT_NE(one.out.find("300 frames"), std::string::npos);
    const std::string psd = readFile(work.file("cast.psd"));
    const std::string asc = readFile(work.file("cast.asc"));
    const std::string log = readFile(work.file("cast.log"));
    ASSERT_EQ(psd.size(), 302u * 512u);
    EXPECT_EQ(psd.substr(0, 8), "KAVRO400");
    EXPECT_EQ(std::count(asc.begin(), asc.end(), '\n'), 300);
    EXPECT_EQ(std::count(asc.begin(), asc.begin() + static_cast<long>(asc.find('\n')), ' '), 74);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 300);

    std::filesystem::create_directory(work.file("two"));
    CliResult two = runCli(process({"-j", "2", "-q", "--asc", "--vsf", "--log", "--output-dir", work.file("two"), raw}));
    ASSERT_EQ(two.status, 0) << two.err;
    EXPECT_EQ(two.out, "");
    EXPECT_TRUE(readFile(work.file("two/cast.psd")) == psd);
    EXPECT_TRUE(readFile(work.file("two/cast.asc")) == asc);
    EXPECT_TRUE(readFile(work.file("two/cast.log")) == log);
}

TEST_F(CliTest, FrameRangeAndModel)
{
    CliResult r = runCli(process({"-q", "--first", "10", "--last", "19", "--model", "1", "--ring-area",
                                  cal.path("RingArea_a.asc"), "-o", work.file("part.psd"), raw}));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string psd = readFile(work.file("part.psd"));
    ASSERT_EQ(psd.size(), 12u * 512u);
    EXPECT_EQ(getInt32(reinterpret_cast<const unsigned char*>(psd.data()) + 12), 1);

    // A last frame beyond the data ends with the data; a first one beyond it is refused.
    r = runCli(process({"-q", "--first", "290", "--last", "5000", "-o", work.file("end.psd"), raw}));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(work.file("end.psd")).size(), 12u * 512u);
    r = runCli(process({"-q", "--first", "300", "-o", work.file("none.psd"), raw}));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kavro-cli: " + raw + ": the first frame 300 is beyond the last frame 299 of the file\n");
}

// Every command's mistakes as a user makes them: usage errors end with status 2,
// failures with 1, each told in one line naming what is wrong; help and version
// answer on stdout.  The rows run in order (the .psd of one row is the input of later ones).
TEST_F(CliTest, MessagesAndExitStatuses)
{
    const std::string other = work.file("cast.4.raw");
    writeFile(other, recording(5));
    const std::string psd = work.file("cast7.psd");
    struct Row {
        std::vector<std::string> args;
        int status;
        std::string fragment;  // in stdout or stderr
    };
    const Row rows[] = {
        {{"--version"}, 0, std::string("kavro-cli ") + KAVRO_VERSION + "\n"},
        {{"help"}, 0, "acquire"},
        {{"help", "process"}, 0, "--first"},
        {{"help", "nosuchcmd"}, 2, "unknown command 'nosuchcmd'"},
        {{"nosuchcmd"}, 2, "kavro-cli: unknown command 'nosuchcmd'; 'kavro-cli help' lists the commands"},
        {{}, 2, "kavro-cli: no command given"},
        // process
        {{"process"}, 2, "RAWFILE is required"},
        {{"process", "--model", "5", raw}, 2, "--model: must be a whole number from 0 to 2, not '5'"},
        {{"process", "--first", "-1", raw}, 2, "--first: must be a whole number 0 or more, not '-1'"},
        {{"process", "--last", "1.5", raw}, 2, "--last: must be a whole number 0 or more, not '1.5'"},
        {{"process", "-j", "0", raw}, 2, "-j: must be a whole number from 1 to 1024, not '0'"},
        {{"process", "--multiscan", "maybe", raw}, 2, "--multiscan: must be auto, yes or no, not 'maybe'"},
        {{"process", "--first", "9", "--last", "3", raw}, 2, "--last is before --first"},
        {{"process", "--bogus", raw}, 2, "--bogus"},
        {{"process", "-o", work.file("x.psd"), raw, other}, 2, "with several raw files use --output-dir"},
        {{"process", "-o", work.file("x.psd"), "--output-dir", work.path(), raw}, 2, "exclude each other"},
        {{"process", "-o", raw, raw}, 2, "the output would overwrite its input"},
        {{"process", raw, other}, 2, "two raw files would write the same output"},
        {{"process", "-o", "-", raw}, 2, "-o -: a .psd file cannot go to standard output; name a file"},
        {{"process", "--start-time", "2026-12-09 02:20", raw}, 2,
         "--start-time: must be a UTC time such as 2026-12-09T02:20:45Z, not '2026-12-09 02:20'"},
        {{"process", "--start-time", "2026-12-09T02:20:45Z", raw, other}, 2, "give one raw file"},
        {{"process", "--interval", "2", raw}, 2, "--interval requires --start-time"},
        {process({work.file("nope.raw")}), 1, work.file("nope.raw") + ": No such file or directory"},
        // A name without an extension gets .psd, as the save dialog gives it.
        {process({"-o", work.file("cast7"), raw}), 0, "-> " + psd + "\n"},
        // export and info
        {{"export", psd}, 2, "--csv or --netcdf is required"},
        {{"export", "--csv", "-o", "-", "--profile", profile, psd}, 0, "mean_diameter_um,"},
        {{"export", "--netcdf", "-o", "-", psd}, 2, "-o -: NetCDF cannot go to standard output; name a file"},
        {{"export", "--csv", "-o", psd, psd}, 2, psd + ": the output would overwrite its input"},
        {{"export", "--csv", work.file("nope.psd")}, 1, work.file("nope.psd") + ": No such file or directory"},
        {{"info", "-o", "-", "--profile", profile, raw}, 0, "Frames: 300\n"},
        {{"info", raw, other}, 2, "cast.4.raw"},
        {{"info", work.file("nope.raw")}, 1, work.file("nope.raw") + ": No such file or directory"},
        // acquire, simulate, simraw, background, compare
        {{"acquire", "--frames", "0"}, 2, "--frames: must be a whole number 1 or more, not '0'"},
        {{"acquire", "--interval", "nan"}, 2, "--interval: must be a number from 0 to 86400, not 'nan'"},
        {{"acquire", "--interval", "-1"}, 2, "--interval: must be a number from 0 to 86400, not '-1'"},
        {{"acquire", "--port", "COM5:"}, 2, "--port: must be COM1:, COM2:, COM3: or COM4:, not 'COM5:'"},
        {{"acquire", "-o", "-"}, 2, "-o -: a .psd file cannot go to standard output"},
        {{"acquire", "--profile", profile, "--cal-dir", cal.dir.path(), "--device", work.file("ttyUSB9"), "--frames", "1",
          "--log"},
         1,
         work.file("ttyUSB9") + ": no such device"},
        {{"acquire", "--profile", profile, "--cal-dir", cal.dir.path(), "--device", work.file("ttyUSB9")},
         2,
         "nothing would be recorded: name the .psd with -o FILE, or ask for --asc, --vsf or --log"},
        {{"acquire", "--profile", profile, "--list-devices"}, 0, "Ports (profile " + profile + "):\n  COM1: "},
        {{"simulate", "--frames", "0"}, 2, "--frames: must be a whole number 1 or more, not '0'"},
        {{"simulate", "--split", "1e3"}, 2, "--split: must be a whole number from 1 to 1000, not '1e3'"},
        {{"simraw", "--cal-dir", work.path(), "--model", "3"}, 2, "--model: must be a whole number from 0 to 2"},
        {{"simraw", "--cal-dir", work.path(), "--frames", "0"}, 2, "--frames: must be a whole number from 1 to"},
        {{"background", raw, "-o", "-"}, 2, "-o -: a background scatter file cannot go to standard output"},
        {{"background", raw, "--multiscan", "perhaps"}, 2, "--multiscan: must be auto, yes or no, not 'perhaps'"},
        {{"compare", work.file("nope.csv"), psd}, 1, work.file("nope.csv") + ": No such file or directory"},
    };
    for (const Row& row : rows) {
        const CliResult r = runCli(row.args);
        std::string joined;
        for (const auto& a : row.args)
            joined += a + " ";
        EXPECT_EQ(r.status, row.status) << joined << r.err;
        EXPECT_NE((r.out + r.err).find(row.fragment), std::string::npos) << joined << "\n" << r.out << r.err;
        if (row.status != 0) {
            EXPECT_EQ(r.err.rfind("kavro-cli: ", 0), 0u) << joined << r.err;
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << joined << r.err;
        }
    }
    EXPECT_EQ(readFile(raw), recording(300));
    EXPECT_FALSE(fileExists(work.file("cast.psd")));
    EXPECT_FALSE(fileExists(work.file("-")));
    EXPECT_EQ(readFile(psd).size(), 302u * 512u);
}

TEST_F(CliTest, MissingAndUnusableInputsNameTheFile)
{
    struct Case {
        std::vector<std::string> args;
        std::string expected;
    };
    const Case cases[] = {
        {process({work.file("nope.raw")}), "kavro-cli: " + work.file("nope.raw") + ": No such file or directory\n"},
        {process({"--background", work.file("no-zsc.asc"), raw}),
         "kavro-cli: " + raw + ": " + work.file("no-zsc.asc") + ": No such file or directory\n"},
        {process({"--ring-area", work.file("no-ring.asc"), raw}),
         "kavro-cli: " + raw + ": " + work.file("no-ring.asc") + ": No such file or directory\n"},
        // The output folder is a file: nothing can be created in it.
        {process({"-o", raw + "/out.psd", raw}),
         "kavro-cli: " + raw + ": Could not write to the file " + raw + "/out.psd: Not a directory\n"},
    };
    for (const Case& c : cases) {
        CliResult r = runCli(c.args);
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_EQ(r.err, c.expected);
    }

    // A missing kernel file is the calibration set's own message.
    std::filesystem::remove(cal.path("M32x32_a.asc"));
    CliResult r = runCli(process({raw}));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kavro-cli: " + raw + ": Could not open the file " + cal.path("M32x32_a.asc") + "\n");
}

TEST_F(CliTest, RingAreaFileIsFoundOrTheCandidatesAreNamed)
{
    cal.write("RingArea_b.asc", numbers(filled(32, 1.0)));
    // Several, one of them the model's own: taken.
    CliResult r = runCli(process({"-q", "--model", "1", raw}));
    EXPECT_EQ(r.status, 0) << r.err;

    std::filesystem::remove(cal.path("RingArea_a.asc"));
    std::filesystem::remove(cal.path("RingArea_b.asc"));
    cal.write("RingArea_x.asc", "1");
    cal.write("RingArea_y.asc", "1");
    r = runCli(process({raw}));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kavro-cli: " + cal.dir.path() +
                         ": several ring-area files here (RingArea_x.asc, RingArea_y.asc); name one with --ring-area\n");
    std::filesystem::remove(cal.path("RingArea_x.asc"));
    std::filesystem::remove(cal.path("RingArea_y.asc"));
    r = runCli(process({raw}));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kavro-cli: " + cal.dir.path() + ": no RingArea*.asc file here; name one with --ring-area\n");
}

TEST_F(CliTest, SeveralRecordingsGoOnPastAFailure)
{
    const std::string second = work.file("dive.raw");
    writeFile(second, recording(7));
    std::filesystem::create_directory(work.file("out"));
    CliResult r = runCli(process({"-q", "--output-dir", work.file("out"), work.file("gone.raw"), second}));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kavro-cli: " + work.file("gone.raw") + ": No such file or directory\n");
    EXPECT_EQ(readFile(work.file("out/dive.psd")).size(), 9u * 512u);
}

TEST_F(CliTest, AFullDiskIsNeverSilent)
{
    writeFile(raw, recording(20000));
    // 2000 blocks of 512 bytes: the header and the first 4096-frame block fit, the second does not.
    CliResult r = runCli(process({"-q", "-j", "2", raw}), "trap '' XFSZ; ulimit -f 6000;");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Could not write to the file " + work.file("cast.psd") + ": File too large"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
    EXPECT_EQ(readFile(work.file("cast.psd")).size() % 512, 0u);
}

TEST_F(CliTest, AStandardOutputThatTakesNothingIsAFailure)
{
    const std::string err = work.file("err.txt");
    const int status = std::system((cliCommand(process({raw})) + " > /dev/full 2> " + err).c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(readFile(err), "kavro-cli: stdout: write failed: No space left on device\n");
    EXPECT_EQ(readFile(work.file("cast.psd")).size(), 302u * 512u);  // the outputs are whole all the same
}

TEST_F(CliTest, KilledMidRunLeavesWholeRecordsOfEveryFrameBefore)
{
    writeFile(raw, recording(300000));
    const std::string psd = work.file("killed.psd");
    std::vector<std::string> args = process({"-q", "-j", "2", "--asc", "--log", "-o", psd, raw});
    args.insert(args.begin(), cliPath());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);
    // Wait for the first block of records in every file, then kill.
    auto grown = [](const std::string& path, std::uintmax_t size) {
        return fileExists(path) && std::filesystem::file_size(path) >= size;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline &&
           !(grown(psd, 1024u + 4096u * 512u) && grown(work.file("killed.asc"), 1) &&
             grown(work.file("killed.log"), 1)))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the run ended before it could be killed";

    const std::string partial = readFile(psd);
    EXPECT_EQ(partial.size() % 512, 0u);
    EXPECT_GE(partial.size(), 1024u + 4096u * 512u);
    CliResult whole = runCli(
        process({"-q", "-j", "1", "--last", "29999", "--asc", "--log", "-o", work.file("whole.psd"), raw}));
    ASSERT_EQ(whole.status, 0) << whole.err;
    const std::string reference = readFile(work.file("whole.psd"));
    ASSERT_LE(partial.size(), std::filesystem::file_size(raw) / 80 * 512 + 1024);
    EXPECT_TRUE(reference.compare(0, std::min(partial.size(), reference.size()), partial, 0,
                                  std::min(partial.size(), reference.size())) == 0);
    // The text files hold the same frames line by line.  A kill that lands inside a
    // write may cut the last line short (the system stops a write at a page); every
    // line before it is whole.
    for (const char* ext : {".asc", ".log"}) {
        SCOPED_TRACE(ext);
        std::string text = readFile(work.file(std::string("killed") + ext));
        const std::string full = readFile(work.file(std::string("whole") + ext));
        text.resize(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
        EXPECT_FALSE(text.empty());
        const std::size_t n = std::min(text.size(), full.size());
        EXPECT_EQ(text.compare(0, n, full, 0, n), 0);
    }
}

TEST_F(CliTest, RelativePathsAreStoredInFullAsTheFileDialogsGiveThem)
{
    // Run from the calibration folder's parent with relative paths only.
    const std::string parent = std::filesystem::path(cal.dir.path()).parent_path().string();
    const std::string folder = std::filesystem::path(cal.dir.path()).filename().string();
    CliResult r = runCli({"process", "-q", "--profile", profile, "--cal-dir", folder, "-o", work.file("rel.psd"), raw},
                         "cd '" + parent + "';");
    ASSERT_EQ(r.status, 0) << r.err;
    std::string header = readFile(work.file("rel.psd")).substr(0, 512);
    EXPECT_EQ(std::string(header.data() + 24), cal.path("zsc.asc"));
}
