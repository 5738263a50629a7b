#include "core/CInvPars.h"
#include "tests/core/CoreFixture.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace kavro;
using namespace kavro::test;

TEST(CInvPars, ModelFileSets)
{
    EXPECT_EQ(modelFiles(0).kernel, "M32x32_a.asc");
    EXPECT_EQ(modelFiles(1).h, "H32_b.asc");
    EXPECT_EQ(modelFiles(2).diameters, "Dias32_c.asc");
    EXPECT_EQ(modelFiles(2).gain, "Gain_c.asc");
    // Any unknown model reads the "a" set.
    EXPECT_EQ(modelFiles(5).kernel, "M32x32_a.asc");
    EXPECT_EQ(modelFiles(-1).gain, "Gain_a.asc");
}

TEST(CInvPars, LoadReadsEveryFileAndAsksForTheRingArea)
{
    CoreEnv env;
    env.cal.write("RingArea_a.asc", numbers({2.0, 3.0}));  // too few values: the rest stay 0
    env.prompter.choose(env.cal.path("RingArea_a.asc"));
    CInvPars cal(0, env.settings, env.prompter);
    cal.setCalibrationDirectory(env.cal.dir.path() + "/");  // a trailing separator is not doubled
    EXPECT_EQ(cal.load(), 1);
    EXPECT_EQ(cal.matricesOK(), 1);
    EXPECT_EQ(cal.normalisationOK(), 1);
    EXPECT_EQ(cal.kernel(3, 3), 1.0);
    EXPECT_EQ(cal.kernel(3, 4), 0.0);
    EXPECT_EQ(cal.classDiameter(31), 32.0);
    EXPECT_EQ(cal.ringArea(0), 2.0);
    EXPECT_EQ(cal.ringArea(1), 3.0);
    EXPECT_EQ(cal.ringArea(2), 0.0);
    EXPECT_EQ(cal.factoryBackground(32), 4000.0);
    // Out-of-range indices answer 0.
    EXPECT_EQ(cal.kernel(32, 0), 0.0);
    EXPECT_EQ(cal.h(0, -1), 0.0);
    EXPECT_EQ(cal.gain(32), 0.0);
    EXPECT_EQ(cal.background(40), 0.0);

    ASSERT_EQ(env.prompter.calls().size(), 1u);
    const FileDialogRequest& r = env.prompter.calls()[0].request;
    EXPECT_EQ(r.title, "Open Ring Area Normalization File");
    EXPECT_EQ(r.filter, "Ring Area (RingArea*.asc)|RingArea*.asc|All asc|*.asc|All (*.*)|*.*||");
    EXPECT_EQ(r.initialName, "RingArea*.asc");
    EXPECT_EQ(r.defaultExtension, "asc");
    EXPECT_EQ(r.initialDirectory, env.cal.dir.path() + "/");
    EXPECT_TRUE(r.mustExist);
}

TEST(CInvPars, KernelCompletenessAndTokenRules)
{
    CoreEnv env;
    auto loadWith = [&](const std::string& kernelText) {
        env.cal.write("M32x32_a.asc", kernelText);
        ScriptedPrompter prompter;
        prompter.choose(env.cal.path("RingArea_a.asc"));
        CInvPars cal(0, env.settings, prompter);
        cal.setCalibrationDirectory(env.cal.dir.path());
        int result = cal.load();
        return std::make_pair(result, cal.kernel(0, 5));
    };
    EXPECT_EQ(loadWith(numbers(filled(1024, 7.0))).first, 1);
    EXPECT_EQ(loadWith(numbers(filled(1023, 7.0))).first, 0);  // end of file before the 1024th
    EXPECT_EQ(loadWith(numbers(filled(1100, 7.0))).first, 1);  // extra numbers ignored
    // A token that is not a number stops the reading without failing the load;
    // the entries after it keep their previous values (0).
    auto stopped = loadWith("7 7 7 x " + numbers(filled(1100, 7.0)));
    EXPECT_EQ(stopped.first, 1);
    EXPECT_EQ(stopped.second, 0.0);
    // CRLF line ends and binary junk after the numbers.
    EXPECT_EQ(loadWith(numbers(filled(1024, 7.0), "\r\n") + "\x01\x02\xff").first, 1);
}

TEST(CInvPars, AFileThatCannotBeOpenedIsToldAndEndsTheOpen)
{
    CoreEnv env;
    std::filesystem::remove(env.cal.path("H32_a.asc"));
    std::filesystem::create_directory(env.cal.path("H32_a.asc"));  // a folder named like the file
    CInvPars cal(0, env.settings, env.prompter);
    cal.setCalibrationDirectory(env.cal.dir.path());
    EXPECT_THROW(cal.load(), UserAbort);
    EXPECT_EQ(env.prompter.messages(), std::vector<std::string>{"Could not open the file " + env.cal.path("H32_a.asc")});
    // No further file was asked for.
    EXPECT_EQ(env.prompter.calls().size(), 1u);
}

TEST(CInvPars, CancellingTheRingAreaDialogEndsTheOpenSilently)
{
    CoreEnv env;
    env.prompter.cancel();
    CInvPars cal(0, env.settings, env.prompter);
    cal.setCalibrationDirectory(env.cal.dir.path());
    EXPECT_THROW(cal.load(), UserAbort);
    EXPECT_TRUE(env.prompter.messages().empty());
}

TEST(CInvPars, BackgroundAndTheLaserReferenceRatio)
{
    CoreEnv env;
    CInvPars cal(0, env.settings, env.prompter);
    std::vector<double> bg(40, 1.0);
    bg[32] = 5000.0;
    bg[35] = 2500.0;
    env.cal.write("b1.asc", numbers(bg));
    EXPECT_EQ(cal.loadBackgroundFile(env.cal.path("b1.asc")), 1);
    EXPECT_EQ(cal.laserReferenceRatio(), 2.0);

    CInvPars other(0, env.settings, env.prompter);
    env.settings.lRefRatio = 3.0;
    other.reset();
    bg[35] = 80.0;  // laser reference too low: the setting's ratio stays
    env.cal.write("b2.asc", numbers(bg));
    EXPECT_EQ(other.loadBackgroundFile(env.cal.path("b2.asc")), 1);
    EXPECT_EQ(other.laserReferenceRatio(), 3.0);

    bg[32] = 0.0;  // no laser power: refused
    env.cal.write("b3.asc", numbers(bg));
    EXPECT_EQ(other.loadBackgroundFile(env.cal.path("b3.asc")), 0);

    EXPECT_THROW(other.loadBackgroundFile(env.cal.path("missing.asc")), UserAbort);
    EXPECT_EQ(env.prompter.messages().back(), "Could not open the file " + env.cal.path("missing.asc"));

    double averaged[40] = {};
    EXPECT_EQ(other.setBackground(averaged), 0);  // value 32 is 0: nothing changes
    averaged[32] = 2000.0;
    averaged[35] = 101.0;
    EXPECT_EQ(other.setBackground(averaged), 1);
    EXPECT_DOUBLE_EQ(other.laserReferenceRatio(), 2000.0 / 101.0);
    EXPECT_EQ(other.background(32), 2000.0);
}
