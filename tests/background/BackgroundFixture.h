#pragma once
// A calibration folder with a factory background, the settings and a scripted
// prompter, and frames built from a few values, for the background tests.
#include "core/RawRecord.h"
#include "core/Settings.h"
#include "platform/Profile.h"
#include "platform/ScriptedPrompter.h"
#include "tests/support/TestFiles.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kavro::test {

// Every ring reads ring, laser power P and laser reference R; the other aux words 7.
RawWords backgroundFrame(std::uint16_t ring, std::uint16_t power = 2000, std::uint16_t reference = 1000);
std::vector<std::uint16_t> asWords(const RawWords& frame);
// 40 factory values: every ring ring, laser power power, laser reference 1000.
std::string factoryText(double ring, double power);

struct BackgroundEnv {
    TempDir dir;
    Profile profile{dir.file("kavro.INI")};
    Settings settings;
    ScriptedPrompter prompter;
    BackgroundEnv();
    std::string path(const std::string& name) const { return dir.file(name); }
};

}  // namespace kavro::test
