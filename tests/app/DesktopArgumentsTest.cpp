// The desktop program's command line, one case per row.
#include "app/DesktopArguments.h"

#include <gtest/gtest.h>

using kavro::DesktopArguments;
using kavro::parseDesktopArguments;
using Action = DesktopArguments::Action;

TEST(DesktopArguments, FilesOptionsAndMistakes)
{
    struct Row {
        std::vector<const char*> args;
        Action action;
        std::vector<std::string> files;
        std::string error;
    };
    const Row rows[] = {
        {{}, Action::Run, {}, ""},
        {{"cast.psd", "dir/rec.raw"}, Action::Run, {"cast.psd", "dir/rec.raw"}, ""},
        {{"-h"}, Action::Help, {}, ""},
        {{"cast.psd", "--help"}, Action::Help, {"cast.psd"}, ""},
        {{"--version"}, Action::Version, {}, ""},
        {{"--bogus", "a.psd"}, Action::Error, {"a.psd"}, "unknown option --bogus"},
        {{"--bogus", "--help"}, Action::Help, {}, ""},  // help wins over a mistake
        {{"--", "--help", "-x.psd"}, Action::Run, {"--help", "-x.psd"}, ""},
        {{"-"}, Action::Run, {"-"}, ""},
    };
    for (const Row& row : rows) {
        std::vector<const char*> argv{"kavro"};
        argv.insert(argv.end(), row.args.begin(), row.args.end());
        const DesktopArguments got = parseDesktopArguments(static_cast<int>(argv.size()), argv.data());
        const std::string what = row.args.empty() ? "(none)" : row.args[0];
        EXPECT_EQ(got.action, row.action) << what;
        if (row.action != Action::Help) {
            EXPECT_EQ(got.files, row.files) << what;
            EXPECT_EQ(got.error, row.error) << what;
        }
    }
}
