#include "background/BackgroundBuild.h"
#include "tests/background/BackgroundFixture.h"

#include <functional>
#include <gtest/gtest.h>

using namespace kavro;
using namespace kavro::test;

namespace {

using Kind = ScriptedPrompter::Kind;

struct Build {
    BackgroundEnv env;
    int verdictShown = 0;
    std::string verdictText;
    bool accept = true;

    Build()
    {
        std::vector<std::vector<std::uint16_t>> frames(4, asWords(backgroundFrame(12, 2000, 101)));
        writeFile(env.path("bg.raw"), rawRecords(frames));
    }
    BuildResult run(const std::string& factory = {}, const std::vector<std::string>& inUse = {})
    {
        return buildBackgroundFromRawFile(
            env.settings, env.profile, env.prompter,
            [this](CScatterAccumulator& acc) {
                ++verdictShown;
                verdictText = acc.qualityText();
                return accept;
            },
            factory, inUse);
    }
};

TEST(BackgroundBuild, AcceptWritesTheFileAndStoresTheRatio)
{
    Build b;
    b.env.prompter.choose(b.env.path("bg.raw")).choose(b.env.path("zsc.asc"));
    EXPECT_EQ(b.run(), BuildResult::Accepted);
    EXPECT_EQ(b.verdictShown, 1);
    EXPECT_EQ(b.verdictText, "Average ring values exceed factory by a factor of at least 2.0 for 32 ring(s).\r\n"
                             "4 frames collected.\r\n");
    EXPECT_EQ(readFile(b.env.path("zsc.asc")).substr(0, 13), "1.200000e+01\n");
    EXPECT_EQ(b.env.profile.readString("Miscellaneous", "LRefRatio", ""), "19.802");

    const auto& calls = b.env.prompter.calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].kind, Kind::Open);
    EXPECT_EQ(calls[0].request.title, "Open Raw Background Data File");
    EXPECT_EQ(calls[0].request.filter, "Kavro Data (*.raw;*.bin;*.dat)|*.raw;*.bin;*.dat|All (*.*)|*.*||");
    EXPECT_TRUE(calls[0].request.mustExist);
    EXPECT_EQ(calls[1].kind, Kind::Save);
}

TEST(BackgroundBuild, CancelAtAnyStepLeavesEverythingAsItWas)
{
    Build rejected;
    rejected.accept = false;
    rejected.env.prompter.choose(rejected.env.path("bg.raw"));
    EXPECT_EQ(rejected.run(), BuildResult::Rejected);
    EXPECT_FALSE(fileExists(rejected.env.path("zsc.asc")));
    EXPECT_FALSE(fileExists(rejected.env.profile.path()));
    EXPECT_EQ(rejected.env.prompter.calls().size(), 1u);  // no save dialog

    Build noRaw;
    noRaw.env.prompter.cancel();
    EXPECT_EQ(noRaw.run(), BuildResult::Abandoned);
    EXPECT_EQ(noRaw.verdictShown, 0);

    Build noFactory;
    EXPECT_EQ(noFactory.run(noFactory.env.path("missing.asc")), BuildResult::Abandoned);
    ASSERT_EQ(noFactory.env.prompter.calls().size(), 1u);  // the message, and no dialog
    EXPECT_EQ(noFactory.env.prompter.calls()[0].text, "Could not open the factory zero scatter file");
}

TEST(BackgroundBuild, ARecordingWithoutRecordsStopsAfterTheMessage)
{
    Build b;
    writeFile(b.env.path("empty.raw"), "");
    b.env.prompter.choose(b.env.path("empty.raw"));
    EXPECT_EQ(b.run(), BuildResult::NoRecords);
    EXPECT_EQ(b.verdictShown, 0);
    EXPECT_EQ(b.env.prompter.messages(),
              std::vector<std::string>{"Unable to build background scattering file. No records read."});
}

TEST(BackgroundBuild, TheRatioChangesOnlyWhenTheFileWasWritten)
{
    struct Row {
        const char* what;
        std::function<void(Build&)> script;  // the answers after the recording's dialog
        bool inUse;                           // bg_in_use.asc is an open window's background
        BuildResult result;
        bool stored;
        std::string told;  // the one message, {dir} for the folder
    };
    const Row rows[] = {
        {"save dialog cancelled", [](Build& b) { b.env.prompter.cancel(); }, false, BuildResult::Accepted, false, ""},
        {"file cannot be written",
         [](Build& b) { b.env.prompter.choose(b.env.path("factory_zsc.asc") + "/zsc.asc"); }, false,
         BuildResult::AcceptedWithFailure, false,
         "Could not write to the file {dir}/factory_zsc.asc/zsc.asc: Not a directory"},
        {"the recording itself", [](Build& b) { b.env.prompter.choose(b.env.path("bg.raw")); }, false,
         BuildResult::AcceptedWithFailure, false, ""},
        {"the background in use, No",
         [](Build& b) { b.env.prompter.choose(b.env.path("bg_in_use.asc")).answer(false); }, true,
         BuildResult::Accepted, false, ""},
        {"the background in use, Yes",
         [](Build& b) { b.env.prompter.choose(b.env.path("bg_in_use.asc")).answer(true); }, true,
         BuildResult::Accepted, true, ""},
        {"another file beside the one in use", [](Build& b) { b.env.prompter.choose(b.env.path("new.asc")); }, true,
         BuildResult::Accepted, true, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Build b;
        const std::string inUse = b.env.path("bg_in_use.asc");
        writeFile(inUse, "old\n");
        const std::string recording = readFile(b.env.path("bg.raw"));
        b.env.prompter.choose(b.env.path("bg.raw"));
        row.script(b);
        EXPECT_EQ(b.run({}, row.inUse ? std::vector<std::string>{inUse} : std::vector<std::string>{}), row.result);
        EXPECT_EQ(b.env.prompter.pendingAnswers(), 0u);
        EXPECT_EQ(b.env.settings.lRefRatio != 2.0, row.stored) << b.env.settings.lRefRatio;
        EXPECT_EQ(b.env.profile.readString("Miscellaneous", "LRefRatio", ""), row.stored ? "19.802" : "");
        EXPECT_EQ(readFile(b.env.path("bg.raw")), recording);
        // The file in use is replaced only after a Yes.
        const bool replaced = row.stored && std::string(row.what).find("in use, Yes") != std::string::npos;
        EXPECT_EQ(readFile(inUse) == "old\n", !replaced);
        if (row.inUse && std::string(row.what).find("in use,") != std::string::npos) {
            EXPECT_EQ(b.env.prompter.calls().back().text,
                      inUse + "\nis the background scatter file of a window that is open.  Replace it with the new "
                              "background?");
            EXPECT_TRUE(b.env.prompter.calls().back().style.defaultNo);
        }
        std::string told = row.told;
        if (const auto at = told.find("{dir}"); at != std::string::npos)
            told.replace(at, 5, b.env.dir.path());
        if (!told.empty())
            EXPECT_EQ(b.env.prompter.messages(), std::vector<std::string>{told});
    }
}

TEST(BackgroundBuild, AProfileThatCannotBeWrittenIsTold)
{
    Build b;
    Profile blocked(b.env.path("factory_zsc.asc") + "/kavro.INI");
    b.env.prompter.choose(b.env.path("bg.raw")).choose(b.env.path("zsc.asc"));
    BuildResult result = buildBackgroundFromRawFile(b.env.settings, blocked, b.env.prompter,
                                                    [](CScatterAccumulator&) { return true; });
    EXPECT_EQ(result, BuildResult::AcceptedWithFailure);
    EXPECT_TRUE(fileExists(b.env.path("zsc.asc")));
    ASSERT_EQ(b.env.prompter.messages().size(), 1u);
    EXPECT_EQ(b.env.prompter.messages()[0].rfind("Could not write to the file " + blocked.path() + ": ", 0), 0u)
        << b.env.prompter.messages()[0];
}

}  // namespace
