#include "background/BackgroundBuild.h"
#include "tests/background/BackgroundFixture.h"

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
    BuildResult run(const std::string& factory = {})
    {
        return buildBackgroundFromRawFile(
            env.settings, env.profile, env.prompter,
            [this](CScatterAccumulator& acc) {
                ++verdictShown;
                verdictText = acc.qualityText();
                return accept;
            },
            factory);
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

TEST(BackgroundBuild, AcceptWithoutAFileStillStoresTheRatio)
{
    // The save dialog cancelled: nothing written, not a failure.
    Build cancelled;
    cancelled.env.prompter.choose(cancelled.env.path("bg.raw")).cancel();
    EXPECT_EQ(cancelled.run(), BuildResult::Accepted);
    EXPECT_EQ(cancelled.env.profile.readString("Miscellaneous", "LRefRatio", ""), "19.802");

    // The file cannot be written: told, and the ratio is stored all the same.
    Build blocked;
    const std::string out = blocked.env.path("factory_zsc.asc") + "/zsc.asc";
    blocked.env.prompter.choose(blocked.env.path("bg.raw")).choose(out);
    EXPECT_EQ(blocked.run(), BuildResult::AcceptedWithFailure);
    EXPECT_EQ(blocked.env.prompter.messages(),
              std::vector<std::string>{"Could not write to the file " + out + ": Not a directory"});
    EXPECT_EQ(blocked.env.profile.readString("Miscellaneous", "LRefRatio", ""), "19.802");

    // The recording itself chosen as the output: refused, the recording intact.
    Build over;
    const std::string before = readFile(over.env.path("bg.raw"));
    over.env.prompter.choose(over.env.path("bg.raw")).choose(over.env.path("bg.raw"));
    EXPECT_EQ(over.run(), BuildResult::AcceptedWithFailure);
    EXPECT_EQ(readFile(over.env.path("bg.raw")), before);
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
