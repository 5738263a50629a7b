#pragma once
// Runs the kavro-cli binary of the build tree as a separate program.
#include "tests/core/CoreFixture.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace kavro::test {

struct CliResult {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out, err;
};

// kavro-cli with these arguments; shellPrefix runs before it in the same shell
// (for limits such as "ulimit -f 100;").
CliResult runCli(const std::vector<std::string>& args, const std::string& shellPrefix = "");
// The command line of runCli, quoted for sh.
std::string cliCommand(const std::vector<std::string>& args);
std::string cliPath();

// A calibration folder, a work folder and a profile of five inversion iterations
// (quick, and the same for every run).
struct CliFixture : ::testing::Test {
    CalibrationFolder cal;
    TempDir work;
    std::string profile = work.file("kavro.INI");
    void SetUp() override { writeFile(profile, "[Miscellaneous]\nNumIterations=5\n"); }
};

}  // namespace kavro::test
