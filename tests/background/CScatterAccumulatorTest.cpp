#include "background/CScatterAccumulator.h"
#include "core/CInvPars.h"
#include "tests/background/BackgroundFixture.h"

#include <gtest/gtest.h>

using namespace kavro;
using namespace kavro::test;

namespace {

using Kind = ScriptedPrompter::Kind;

TEST(CScatterAccumulator, ConstructionReadsTheFactoryBackgroundOfTheCalibrationFolder)
{
    BackgroundEnv env;
    env.settings.calFiles = env.dir.path() + "/";  // a trailing separator is not doubled
    CScatterAccumulator acc(env.settings, env.prompter);
    EXPECT_EQ(acc.factoryRead(), 1);
    EXPECT_EQ(acc.factoryPath(), env.path("factory_zsc.asc"));
    EXPECT_EQ(acc.factoryValue(0), 5.0);
    EXPECT_EQ(acc.factoryValue(32), 2500.0);
    EXPECT_EQ(acc.factoryValue(35), 1000.0);
    EXPECT_EQ(acc.factoryValue(39), 3.0);
    EXPECT_EQ(acc.factoryValue(40), 0.0);
    EXPECT_EQ(acc.factoryValue(-1), 0.0);
    EXPECT_EQ(acc.recordCount(), 0);
    EXPECT_EQ(acc.finished(), 0);
    EXPECT_EQ(acc.averageValue(0), 0.0);
    EXPECT_TRUE(env.prompter.calls().empty());
}

TEST(CScatterAccumulator, AMissingFactoryFileIsToldAndAbandons)
{
    BackgroundEnv env;
    env.settings.calFiles = env.path("elsewhere");
    EXPECT_THROW(CScatterAccumulator(env.settings, env.prompter), UserAbort);
    ASSERT_EQ(env.prompter.calls().size(), 1u);
    EXPECT_EQ(env.prompter.calls()[0].text, "Could not open the factory zero scatter file");
    EXPECT_EQ(env.prompter.calls()[0].icon, MessageIcon::None);
}

TEST(CScatterAccumulator, FactoryValuesMissingFromAFileKeepTheirContents)
{
    BackgroundEnv env;
    CScatterAccumulator acc(env.settings, env.prompter);
    writeFile(env.path("short.asc"), "9 8 x 1 1 1");
    EXPECT_EQ(acc.readFactoryFile(env.path("short.asc")), 1);
    EXPECT_EQ(acc.factoryValue(0), 9.0);
    EXPECT_EQ(acc.factoryValue(1), 8.0);
    EXPECT_EQ(acc.factoryValue(2), 5.0);  // stopped at "x"
    EXPECT_EQ(acc.factoryValue(32), 2500.0);
    EXPECT_EQ(acc.factoryPath(), env.path("short.asc"));
    // A file that cannot be opened changes neither the values nor the path.
    EXPECT_THROW(acc.readFactoryFile(env.path("none.asc")), UserAbort);
    EXPECT_EQ(acc.factoryValue(0), 9.0);
    EXPECT_EQ(acc.factoryPath(), env.path("short.asc"));
}

TEST(CScatterAccumulator, RecordCountersCountEachRecordOnce)
{
    BackgroundEnv env;
    CScatterAccumulator acc(env.settings, env.prompter);
    RawWords f = backgroundFrame(100);
    f[3] = 0;
    f[17] = 0;
    f[0] = 4094;
    f[9] = 5000;
    f[31] = 65535;
    acc.addFrame(f);
    EXPECT_EQ(acc.recordCount(), 1);
    EXPECT_EQ(acc.zeroRingRecords(), 1);
    EXPECT_EQ(acc.saturatedRecords(), 1);
    EXPECT_EQ(acc.averageValue(31), 65535.0);

    // 4093 is not saturated; a zero or a high word among the aux channels is no ring.
    RawWords edge = backgroundFrame(4093, 4095);
    edge[36] = 0;
    edge[37] = 60000;
    acc.addFrame(edge);
    EXPECT_EQ(acc.zeroRingRecords(), 1);
    EXPECT_EQ(acc.saturatedRecords(), 1);
    EXPECT_EQ(acc.multiScanRecords(), 0);  // laser power word 4095 is a single scan
    acc.addFrame(backgroundFrame(100, 4096));
    EXPECT_EQ(acc.multiScanRecords(), 1);
    EXPECT_EQ(acc.recordCount(), 3);
    EXPECT_EQ(acc.averageValue(32), 2000.0 + 4095.0 + 4096.0);

    // Live frames: the decision comes before the average.  Averaged, later frames are ignored.
    EXPECT_EQ(acc.decideMultiScan(), 1);
    EXPECT_EQ(acc.average(), 1);
    EXPECT_EQ(acc.finished(), 1);
    acc.addFrame(backgroundFrame(0));
    EXPECT_EQ(acc.recordCount(), 3);
    EXPECT_EQ(acc.zeroRingRecords(), 1);
    EXPECT_EQ(acc.averageValue(1), (100.0 + 4093.0 + 100.0) / 3.0 / 16.0);
}

TEST(CScatterAccumulator, ARawFileContributesItsFirstHundredWholeRecords)
{
    BackgroundEnv env;
    std::vector<std::vector<std::uint16_t>> frames;
    for (int k = 0; k < 250; ++k)
        frames.push_back(asWords(backgroundFrame(static_cast<std::uint16_t>(k + 1))));
    writeFile(env.path("long.raw"), rawRecords(frames));
    CScatterAccumulator acc(env.settings, env.prompter);
    EXPECT_EQ(acc.addRawFile(env.path("long.raw")), 100);
    EXPECT_EQ(acc.recordCount(), 100);
    EXPECT_EQ(acc.average(), 1);
    EXPECT_EQ(acc.averageValue(5), 50.5);  // 1..100, not 1..250
    EXPECT_EQ(acc.averageValue(32), 2000.0);
    EXPECT_EQ(acc.averageValue(38), 7.0);

    // Two records and half of a third: the partial record is never read.
    std::string bytes = rawRecords({asWords(backgroundFrame(0x0FA0)), asWords(backgroundFrame(2000))});
    writeFile(env.path("short.raw"), bytes + bytes.substr(0, 40));
    CScatterAccumulator second(env.settings, env.prompter);
    EXPECT_EQ(second.addRawFile(env.path("short.raw")), 2);
    EXPECT_EQ(second.averageValue(0), 4000.0 + 2000.0);
}

TEST(CScatterAccumulator, NoRecordIsToldAndNothingIsAveraged)
{
    BackgroundEnv env;
    CScatterAccumulator acc(env.settings, env.prompter);
    std::string why;
    EXPECT_EQ(acc.addRawFile(env.path("missing.raw"), &why), -1);
    EXPECT_EQ(why, "No such file or directory");
    EXPECT_EQ(acc.average(), 0);
    EXPECT_EQ(acc.finished(), 1);
    ASSERT_EQ(env.prompter.calls().size(), 1u);
    EXPECT_EQ(env.prompter.calls()[0].text, "Unable to build background scattering file. No records read.");
    EXPECT_EQ(env.prompter.calls()[0].icon, MessageIcon::Exclamation);

    writeFile(env.path("empty.raw"), std::string(79, '\1'));
    CScatterAccumulator empty(env.settings, env.prompter);
    EXPECT_EQ(empty.addRawFile(env.path("empty.raw")), 0);
    EXPECT_EQ(empty.average(), 0);
}

// 99 ordinary records and one whose laser power word is 4096.
std::string oneMultiScanRecordAmongHundred()
{
    std::vector<std::vector<std::uint16_t>> frames(99, asWords(backgroundFrame(1600, 2000, 1000)));
    frames.insert(frames.begin() + 40, asWords(backgroundFrame(1600, 4096, 1000)));
    return rawRecords(frames);
}

TEST(CScatterAccumulator, ASingleMultiScanRecordMakesTheWholeAverageSummedData)
{
    BackgroundEnv env;
    writeFile(env.path("ms.raw"), oneMultiScanRecordAmongHundred());
    const double power = (99 * 2000.0 + 4096.0) / 100.0;

    CScatterAccumulator automatic(env.settings, env.prompter);
    automatic.addRawFile(env.path("ms.raw"));
    EXPECT_EQ(automatic.multiScanRecords(), 1);
    EXPECT_EQ(automatic.multiScan(), 1);
    EXPECT_TRUE(env.prompter.calls().empty());  // AutoMultiScan on: nothing asked
    ASSERT_EQ(automatic.average(), 1);
    EXPECT_EQ(automatic.averageValue(0), 100.0);
    EXPECT_EQ(automatic.averageValue(32), power / 16.0);
    EXPECT_EQ(automatic.averageValue(35), 1000.0 / 16.0);
    EXPECT_EQ(automatic.averageValue(39), 7.0 / 16.0);

    env.settings.autoMultiScan = 0;
    env.prompter.answer(true).answer(false);
    CScatterAccumulator yes(env.settings, env.prompter);
    yes.addRawFile(env.path("ms.raw"));
    ASSERT_EQ(env.prompter.calls().size(), 1u);
    EXPECT_EQ(env.prompter.calls()[0].kind, Kind::Question);
    EXPECT_EQ(env.prompter.calls()[0].text,
              "This appears to be a Multi-Scan data source.  Process as summed 16 scan data?");
    yes.average();
    EXPECT_EQ(yes.averageValue(0), 100.0);

    CScatterAccumulator no(env.settings, env.prompter);
    no.addRawFile(env.path("ms.raw"));
    no.average();
    EXPECT_EQ(no.multiScan(), 0);
    EXPECT_EQ(no.averageValue(0), 1600.0);
    EXPECT_EQ(no.averageValue(32), power);

    // Without such a record nothing is asked, even with AutoMultiScan off.
    CScatterAccumulator single(env.settings, env.prompter);
    single.addFrame(backgroundFrame(10));
    EXPECT_EQ(single.decideMultiScan(), 0);
    EXPECT_EQ(env.prompter.calls().size(), 2u);
}

// Average ring value and laser power from two frames each, against a factory file.
std::string verdictOf(BackgroundEnv& env, std::uint16_t ringA, std::uint16_t ringB, std::uint16_t power,
                      const std::string& factory)
{
    writeFile(env.path("f.asc"), factory);
    CScatterAccumulator acc(env.settings, env.prompter, env.path("f.asc"));
    acc.addFrame(backgroundFrame(ringA, power));
    RawWords b = backgroundFrame(ringB, power);
    b[4] = ringA;  // ring 5 alone takes the average of ringA and ringB
    acc.addFrame(b);
    acc.average();
    return acc.qualityText();
}

TEST(CScatterAccumulator, QualityTextAtItsThresholds)
{
    BackgroundEnv env;
    // Every ring averages 10.0 against a factory value of 5.0: not more than twice.
    // Laser power 2000 against 2500 is 0.8 of it exactly: not too low.
    EXPECT_EQ(verdictOf(env, 10, 10, 2000, factoryText(5.0, 2500.0)), "2 frames collected.\r\n");
    // 10 and 11 average 10.5 on every ring but ring 5.
    EXPECT_EQ(verdictOf(env, 10, 11, 2000, factoryText(5.0, 2500.0)),
              "Average ring values exceed factory by a factor of at least 2.0 for 31 ring(s).\r\n"
              "2 frames collected.\r\n");
    // Laser power 79 against 100.5: too low; against a factory of 100: a bad factory file, no laser line.
    EXPECT_EQ(verdictOf(env, 10, 10, 79, factoryText(5.0, 100.5)),
              "Laser power is too low compared to factory value.\r\n2 frames collected.\r\n");
    EXPECT_EQ(verdictOf(env, 10, 10, 79, factoryText(5.0, 100.0)),
              "BAD factory background scatter file.\r\n2 frames collected.\r\n");
}

TEST(CScatterAccumulator, VerdictListsEveryFindingInOrder)
{
    BackgroundEnv env;
    writeFile(env.path("f.asc"), factoryText(5.0, 90.0));
    CScatterAccumulator acc(env.settings, env.prompter, env.path("f.asc"));
    for (int k = 0; k < 10; ++k) {
        RawWords f = backgroundFrame(4);
        if (k < 3)
            f[k] = 0;
        if (k == 9)
            f[30] = 4095;
        acc.addFrame(f);
    }
    acc.average();
    EXPECT_TRUE(acc.factoryIsBad());
    // Ring 31 averages (9 * 4 + 4095) / 10, more than twice 5; the others stay below.
    EXPECT_EQ(acc.qualityText(), "BAD factory background scatter file.\r\n"
                                 "Average ring values exceed factory by a factor of at least 2.0 for 1 ring(s).\r\n"
                                 "Ring values of 0 occurred in 3 record(s).\r\n"
                                 "Saturated ring values occurred in 1 record(s).\r\n"
                                 "10 frames collected.\r\n");
    EXPECT_EQ(acc.averagingText(), "Ring values of 0 occurred in 3 record(s).\r\n"
                                   "Saturated ring values occurred in 1 record(s).\r\n"
                                   "10 frames collected.\r\n");
}

TEST(CScatterAccumulator, ChoosingAnotherFactoryFileChangesTheVerdict)
{
    BackgroundEnv env;
    CScatterAccumulator acc(env.settings, env.prompter);
    acc.addFrame(backgroundFrame(10));
    acc.average();
    EXPECT_EQ(acc.qualityText(), "1 frames collected.\r\n");

    writeFile(env.path("weak.asc"), factoryText(5.0, 100.0));
    env.prompter.cancel().choose(env.path("gone.asc")).choose(env.path("weak.asc"));
    EXPECT_EQ(acc.chooseFactoryFile(), 0);  // cancelled
    EXPECT_EQ(acc.chooseFactoryFile(), 0);  // cannot be opened: told, nothing changes
    EXPECT_EQ(acc.factoryPath(), env.path("factory_zsc.asc"));
    EXPECT_EQ(acc.chooseFactoryFile(), 1);
    EXPECT_EQ(acc.factoryPath(), env.path("weak.asc"));
    EXPECT_EQ(acc.qualityText(), "BAD factory background scatter file.\r\n1 frames collected.\r\n");
    EXPECT_EQ(acc.averageValue(0), 10.0);  // the averages stay

    const auto& calls = env.prompter.calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].request.title, "Open FACTORY background scattering File");
    EXPECT_EQ(calls[0].request.initialName, "factory_zsc.asc");
    EXPECT_EQ(calls[0].request.defaultExtension, "asc");
    EXPECT_EQ(calls[0].request.filter, "ASCII (*.asc)|*.asc|All (*.*)|*.* ||");
    EXPECT_TRUE(calls[0].request.mustExist);
    EXPECT_EQ(calls[2].text, "Could not open the factory zero scatter file\nStill in use: " + env.path("factory_zsc.asc"));
}

}  // namespace
