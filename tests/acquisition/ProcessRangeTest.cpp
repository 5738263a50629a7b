#include "acquisition/FrameBlock.h"
#include "acquisition/RawCastScan.h"
#include "tests/acquisition/RawFileFixture.h"

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

using namespace kavro;
using namespace kavro::test;

namespace {

// Everything a source holds after a frame, as numbers.
std::vector<double> stateOf(const CRawFile& s)
{
    std::vector<double> v{double(s.currentFrame()), double(s.laserOK()), s.transmission(), s.beamAttenuation(),
                          s.calibration().lastTransmission()};
    for (int i = 0; i < 40; ++i)
        v.push_back(s.rawValue(i));
    for (int i = 0; i < 40; ++i)
        v.push_back(s.recordWords()[i]);
    for (double c : s.correctedRings())
        v.push_back(c);
    const CFrameResult& r = s.frameResult();
    for (int k = 0; k < 32; ++k) {
        v.push_back(r.volume(k));
        v.push_back(r.vsf(k));
        v.push_back(r.diameter(k));
    }
    for (int i = 0; i < 8; ++i)
        v.push_back(r.aux(i));
    for (double x : {r.mean(), r.stdDev(), r.totalVolume(), r.volumeConversion(), r.transmission(),
                     r.beamAttenuation(), double(r.zeroRings()), double(r.saturatedRings())})
        v.push_back(x);
    for (float x : s.outputRecord())
        v.push_back(x);
    return v;
}

struct RunResult {
    std::string psd, asc, log;
    std::vector<double> state;
    int frames = 0;
};

struct ProcessRangeTest : RawFileTest {
    void SetUp() override
    {
        // A kernel with neighbours, so that the inversion has something to do.
        std::vector<double> kernel(1024, 0.0);
        for (int r = 0; r < 32; ++r)
            for (int k = 0; k < 32; ++k)
                kernel[static_cast<std::size_t>(32 * r + k)] = r == k ? 1.0 : (std::abs(r - k) == 1 ? 0.3 : 0.01);
        env.cal.write("M32x32_a.asc", numbers(kernel));
        env.cal.write("H32_a.asc", numbers(kernel));
        env.settings.numIterations = 10;
        env.settings.outputs.value[5] = 1;  // .asc
        env.settings.outputs.value[6] = 1;  // .log
        env.settings.outputs.value[8] = 1;  // VSF in the .asc
    }

    // Opens the recording with its outputs at name.psd, .asc, .log and runs the range:
    // threads 0 = read next frame until it answers 0.
    RunResult run(const std::string& content, const std::string& name, int first, int last, int threads)
    {
        const std::string psd = env.cal.path(name + ".psd");
        prepare(content, psd);
        CRawFile src(context, &owner);
        src.open();
        src.setFrameRange(first, last);
        src.rewind();
        RunResult r;
        if (threads == 0)
            while (src.readNextFrame())
                ++r.frames;
        else
            r.frames = src.processRange(threads);
        r.state = stateOf(src);
        src.close();
        r.psd = readFile(psd);
        r.asc = readFile(env.cal.path(name + ".asc"));
        r.log = readFile(env.cal.path(name + ".log"));
        return r;
    }

    void expectSame(const RunResult& a, const RunResult& b, const std::string& what)
    {
        EXPECT_EQ(a.frames, b.frames) << what;
        EXPECT_TRUE(a.psd == b.psd) << what;
        EXPECT_TRUE(a.asc == b.asc) << what;
        EXPECT_TRUE(a.log == b.log) << what;
        ASSERT_EQ(a.state.size(), b.state.size());
        for (std::size_t i = 0; i < a.state.size(); ++i)
            EXPECT_TRUE(a.state[i] == b.state[i] || (a.state[i] != a.state[i] && b.state[i] != b.state[i]))
                << what << ": state entry " << i << " " << a.state[i] << " vs " << b.state[i];
    }
};

}  // namespace

TEST_F(ProcessRangeTest, SameBytesAndStateAsFrameByFrameForEveryThreadCount)
{
    auto frames = variedFrames(8300, 7);
    // No laser light from frame 4100 on: the total volume of the last frames
    // is the one an earlier frame left, possibly in another thread's share or block
    // (the third block has none of its own and takes the second block's).
    for (std::size_t n = 4100; n < frames.size(); ++n)
        frames[n][32] = 50;
    const std::string content = rawRecords(frames);

    struct Range {
        int first, last;
    };
    // One block exactly (nothing to read ahead), two exactly, three (the first block's
    // pieces reused while the second is written), and a range past the data.
    for (Range range : {Range{0, 4499}, Range{0, 4295}, Range{5, 4499}, Range{17, 17}, Range{0, 4095},
                        Range{0, 8191}, Range{0, 8299}, Range{4000, 100000}}) {
        const RunResult reference = run(content, "ref", range.first, range.last, 0);
        ASSERT_EQ(reference.frames, std::min(range.last, 8299) - range.first + 1);
        for (int threads : {1, 2, 3, 8}) {
            const std::string what = "range " + std::to_string(range.first) + ".." + std::to_string(range.last) +
                                     ", " + std::to_string(threads) + " threads";
            expectSame(reference, run(content, "batch", range.first, range.last, threads), what);
        }
    }
}

TEST_F(ProcessRangeTest, MultiScanRecordingAndARangeBeyondTheData)
{
    const std::string content = rawRecords(variedFrames(300, 11, true)) + "tail";
    const RunResult reference = run(content, "ref", 250, 100000, 0);
    EXPECT_EQ(reference.frames, 50);
    expectSame(reference, run(content, "batch", 250, 100000, 2), "multi-scan");
}

TEST_F(ProcessRangeTest, StoppedByProgressAndGoneOnFrameByFrame)
{
    const std::string content = rawRecords(variedFrames(5000, 3));
    const RunResult reference = run(content, "ref", 0, 4999, 0);

    prepare(content, env.cal.path("batch.psd"));
    CRawFile src(context, &owner);
    src.open();
    std::vector<int> reports;
    const int done = src.processRange(2, [&](int n) {
        reports.push_back(n);
        return false;
    });
    EXPECT_EQ(done, 4096);
    EXPECT_EQ(reports, std::vector<int>{4096});
    EXPECT_EQ(src.currentFrame(), 4096);
    // Every record of the block is in the file already.
    EXPECT_EQ(readFile(env.cal.path("batch.psd")).size(), (2u + 4096u) * 512u);
    int more = 0;
    while (src.readNextFrame())
        ++more;
    EXPECT_EQ(more, 904);
    EXPECT_EQ(stateOf(src), reference.state);
    src.close();
    EXPECT_TRUE(readFile(env.cal.path("batch.psd")) == reference.psd);
    EXPECT_TRUE(readFile(env.cal.path("batch.asc")) == reference.asc);
    EXPECT_TRUE(readFile(env.cal.path("batch.log")) == reference.log);
}

TEST_F(ProcessRangeTest, AFullDiskStopsAtAWholeBlockAndIsTold)
{
    if (!FileSizeLimit::available())
        GTEST_SKIP() << "no file size limit to stand in for a full disk on this system";
    env.settings.outputs.value[5] = 0;
    env.settings.outputs.value[6] = 0;
    prepare(rawRecords(variedFrames(9000, 5)), env.cal.path("full.psd"));
    CRawFile src(context, &owner);
    src.open();

    int done = 0;
    {
        // A full disk: the second block fits only in part.
        FileSizeLimit limit(3 * 1024 * 1024);
        ASSERT_TRUE(limit.active());
        done = src.processRange(2);
    }

    EXPECT_EQ(done, 8192);  // the failing block is processed, then the run stops
    EXPECT_FALSE(src.outputError().empty());
    ASSERT_EQ(env.prompter.messages().size(), 1u);
    EXPECT_NE(env.prompter.messages()[0].find("full.psd"), std::string::npos);
    src.close();
    EXPECT_EQ(readFile(env.cal.path("full.psd")).size(), (2u + 4096u) * 512u);
}

// The overview of a raw recording's window: its background scan gives every frame
// the very record Process File writes for it, from copies taken when it was made
// (the source is closed before the scan starts), and stops when asked.
TEST_F(ProcessRangeTest, OverviewScanGivesEveryFrameTheRecordOfTheResultFile)
{
    auto dark = variedFrames(700, 5);
    for (std::size_t n = 600; n < dark.size(); ++n)
        dark[n][32] = 50;  // no laser light: the total volume an earlier frame left
    struct Case {
        const char* what;
        std::string content;
    } cases[] = {{"single scans, a dark end", rawRecords(dark)},
                 {"multi-scan", rawRecords(variedFrames(300, 11, true)) + "tail"},
                 {"one frame", rawRecords(variedFrames(1, 2))}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RunResult reference = run(c.content, "ref", 0, 100000, 0);
        prepare(c.content, env.cal.path("scan.psd"));
        CRawFile src(context, &owner);
        src.open();
        RawCastScan scan(src);
        src.close();
        EXPECT_EQ(scan.total(), reference.frames);
        scan.start();
        std::vector<OutputRecord> got;
        while (!scan.finished()) {
            scan.take(got);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        scan.take(got);
        EXPECT_EQ(scan.error(), "");
        EXPECT_EQ(scan.taken(), reference.frames);
        ASSERT_EQ(got.size(), static_cast<std::size_t>(reference.frames));
        std::string bytes;
        for (const OutputRecord& r : got) {
            const PsdRecordBytes b = encodeOutputRecord(r);
            bytes.append(b.begin(), b.end());
        }
        // The header and the class diameters, then the frames.
        ASSERT_EQ(reference.psd.size(), bytes.size() + 2 * kPsdRecordBytes);
        EXPECT_TRUE(reference.psd.compare(2 * kPsdRecordBytes, std::string::npos, bytes) == 0);
    }

    // Stopped early: it ends, with no more than it had done.
    prepare(rawRecords(variedFrames(3000, 9)), env.cal.path("scan.psd"));
    CRawFile src(context, &owner);
    src.open();
    RawCastScan scan(src);
    scan.start();
    scan.stop();
    std::vector<OutputRecord> got;
    scan.take(got);
    EXPECT_TRUE(scan.finished());
    EXPECT_LE(got.size(), 3000u);
    EXPECT_EQ(scan.taken(), static_cast<long long>(got.size()));
}

TEST(BackgroundTaskTest, OneTaskAtATimeInOrderAndItsFailureToldOnce)
{
    struct Case {
        const char* what;
        int failing;  // the task that throws; -1: none
    };
    for (Case c : {Case{"none fails", -1}, Case{"the first fails", 0}, Case{"a middle one fails", 3},
                   Case{"the last fails", 5}}) {
        std::vector<int> ran;
        std::atomic<int> running{0};
        std::atomic<bool> overlapped{false};
        int told = 0;
        {
            BackgroundTask task;
            auto job = [&](int i) {
                return [&, i] {
                    if (running++ != 0)
                        overlapped = true;
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    ran.push_back(i);
                    --running;
                    if (i == c.failing)
                        throw std::runtime_error("write failed");
                };
            };
            int i = 0;
            for (; i < 6; ++i) {
                try {
                    task.start(job(i));
                } catch (const std::runtime_error&) {
                    ++told;
                    break;  // the way the writer stops
                }
            }
            try {
                task.wait();
            } catch (const std::runtime_error&) {
                ++told;
            }
            // Still of use after a failure, and a second wait has nothing more to tell.
            task.start(job(100));
            EXPECT_NO_THROW(task.wait()) << c.what;
            // The last task before the object goes is waited for.
            task.start(job(101));
        }
        std::vector<int> expected;
        for (int i = 0; i <= (c.failing < 0 ? 5 : c.failing); ++i)
            expected.push_back(i);
        expected.push_back(100);
        expected.push_back(101);
        EXPECT_EQ(ran, expected) << c.what;
        EXPECT_FALSE(overlapped) << c.what;
        EXPECT_EQ(told, c.failing < 0 ? 0 : 1) << c.what;
    }
}
