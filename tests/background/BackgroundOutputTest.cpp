#include "background/CScatterAccumulator.h"
#include "core/CInvPars.h"
#include "tests/background/BackgroundFixture.h"

#include <filesystem>
#include <memory>
#include <gtest/gtest.h>

using namespace kavro;
using namespace kavro::test;

namespace {

// Three frames whose averages need every part of "%e": 4/3, 1/3, 65535, zeros.
void addThreeFrames(CScatterAccumulator& acc)
{
    for (std::uint16_t k = 0; k < 3; ++k) {
        RawWords f{};
        f[0] = k == 2 ? 2 : 1;
        f[1] = k == 2 ? 1 : 0;
        f[2] = 65535;
        f[32] = 2000;
        f[33] = 7;
        f[35] = 101;
        acc.addFrame(f);
    }
    ASSERT_EQ(acc.average(), 1);
}

std::string expectedThreeFrameFile()
{
    std::string zeros;
    for (int i = 0; i < 29; ++i)
        zeros += "0.000000e+00\n";
    return "1.333333e+00\n3.333333e-01\n6.553500e+04\n" + zeros +
           "2.000000e+03\n7.000000e+00\n0.000000e+00\n1.010000e+02\n"
           "0.000000e+00\n0.000000e+00\n0.000000e+00\n0.000000e+00\n";
}

TEST(BackgroundOutput, FortyLinesOfPercentEReadBackByTheCalibrationSet)
{
    BackgroundEnv env;
    CScatterAccumulator acc(env.settings, env.prompter);
    addThreeFrames(acc);
    env.prompter.choose(env.path("zsc.asc"));
    EXPECT_EQ(acc.writeOutput(), 1);
    EXPECT_EQ(readFile(env.path("zsc.asc")), expectedThreeFrameFile());

    ASSERT_EQ(env.prompter.calls().size(), 1u);
    const FileDialogRequest& r = env.prompter.calls()[0].request;
    EXPECT_EQ(env.prompter.calls()[0].kind, ScriptedPrompter::Kind::Save);
    EXPECT_EQ(r.title, "Open OUTPUT background scattering File");
    EXPECT_EQ(r.initialName, "zsc.asc");
    EXPECT_EQ(r.defaultExtension, "asc");
    EXPECT_EQ(r.filter, "ASCII (*.asc)|*.asc|All (*.*)|*.* ||");
    EXPECT_TRUE(r.overwritePrompt);

    CInvPars cal(0, env.settings, env.prompter);
    ASSERT_EQ(cal.loadBackgroundFile(env.path("zsc.asc")), 1);
    for (int i = 0; i < 40; ++i)
        EXPECT_NEAR(cal.background(i), acc.averageValue(i), 5e-7 * acc.averageValue(i)) << i;
    EXPECT_EQ(cal.background(2), 65535.0);
    EXPECT_EQ(cal.laserReferenceRatio(), 2000.0 / 101.0);
}

TEST(BackgroundOutput, CancelWritesNothingAndTheRecordingIsNeverReplaced)
{
    BackgroundEnv env;
    CScatterAccumulator acc(env.settings, env.prompter);
    addThreeFrames(acc);
    env.prompter.cancel();
    EXPECT_EQ(acc.writeOutput(), 0);
    EXPECT_FALSE(fileExists(env.path("zsc.asc")));
    EXPECT_TRUE(env.prompter.messages().empty());

    writeFile(env.path("bg.raw"), "recording");
    env.prompter.choose(env.dir.path() + "/./bg.raw");
    EXPECT_EQ(acc.writeOutput(env.path("bg.raw")), -1);
    EXPECT_EQ(readFile(env.path("bg.raw")), "recording");
    ASSERT_EQ(env.prompter.messages().size(), 1u);
    EXPECT_EQ(env.prompter.messages()[0], "The output file would overwrite the input file " + env.dir.path() + "/./bg.raw");
}

TEST(BackgroundOutput, AFileThatCannotBeWrittenIsTold)
{
    BackgroundEnv env;
    CScatterAccumulator acc(env.settings, env.prompter);
    addThreeFrames(acc);
    const std::string blocked = env.path("factory_zsc.asc") + "/zsc.asc";  // below a plain file
    env.prompter.choose(blocked);
    EXPECT_EQ(acc.writeOutput(), -1);
    ASSERT_EQ(env.prompter.calls().size(), 2u);
    EXPECT_EQ(env.prompter.calls()[1].text, "Could not write to the file " + blocked + ": Not a directory");
    EXPECT_EQ(env.prompter.calls()[1].icon, MessageIcon::Exclamation);
}

TEST(BackgroundOutput, AWriteThatFailsPartwayIsToldAndLeavesTheOldFile)
{
    if (!FileSizeLimit::available())
        GTEST_SKIP() << "no file size limit to stand in for a full disk on this system";
    BackgroundEnv env;
    CScatterAccumulator acc(env.settings, env.prompter);
    addThreeFrames(acc);
    writeFile(env.path("zsc.asc"), "the previous background\n");

    env.prompter.choose(env.path("zsc.asc"));
    int result = 0;
    {
        FileSizeLimit limit(100);  // the file fits only in part
        ASSERT_TRUE(limit.active());
        result = acc.writeOutput();
    }

    EXPECT_EQ(result, -1);
    ASSERT_EQ(env.prompter.messages().size(), 1u);
    EXPECT_EQ(env.prompter.messages()[0], "Could not write to the file " + env.path("zsc.asc") + ": File too large");
    EXPECT_EQ(readFile(env.path("zsc.asc")), "the previous background\n");
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(env.dir.path()))
        ++files;
    EXPECT_EQ(files, 2);  // the factory file and the old background: no temporary left behind
}

TEST(BackgroundOutput, LaserReferenceRatioOnlyAboveOneHundredBoth)
{
    BackgroundEnv env;
    auto averaged = [&](std::uint16_t power, std::uint16_t reference) {
        auto acc = std::make_unique<CScatterAccumulator>(env.settings, env.prompter);
        acc->addFrame(backgroundFrame(10, power, reference));
        acc->average();
        return acc;
    };
    using Update = CScatterAccumulator::RatioUpdate;
    EXPECT_EQ(averaged(2000, 100)->updateLaserReferenceRatio(env.settings, env.profile), Update::Unchanged);
    EXPECT_EQ(averaged(100, 2000)->updateLaserReferenceRatio(env.settings, env.profile), Update::Unchanged);
    EXPECT_EQ(env.settings.lRefRatio, 2.0);
    EXPECT_FALSE(fileExists(env.profile.path()));

    EXPECT_EQ(averaged(2000, 101)->updateLaserReferenceRatio(env.settings, env.profile), Update::Stored);
    EXPECT_EQ(env.settings.lRefRatio, 2000.0 / 101.0);
    EXPECT_EQ(readFile(env.profile.path()), "[Miscellaneous]\nLRefRatio=19.802\n");

    Profile blocked(env.path("factory_zsc.asc") + "/kavro.INI");
    EXPECT_EQ(averaged(3000, 1000)->updateLaserReferenceRatio(env.settings, blocked), Update::StoreFailed);
}

}  // namespace
