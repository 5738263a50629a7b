#pragma once
// A calibration folder and the objects a source needs, for the core tests.
#include "core/CInvPars.h"
#include "core/Settings.h"
#include "platform/Profile.h"
#include "platform/ScriptedPrompter.h"
#include "tests/support/TestFiles.h"

#include <string>
#include <vector>

namespace kavro::test {

std::string numbers(const std::vector<double>& values, const char* separator = " ");
std::vector<double> filled(std::size_t n, double v);

// A calibration folder with every file of model 0 (identity-like kernel, H = kernel,
// diameters 1..32, ring area 1, gain 1) and a background with P0 = 4000, R0 = 2000.
struct CalibrationFolder {
    TempDir dir;
    CalibrationFolder();
    std::string path(const std::string& name) const { return dir.file(name); }
    void write(const std::string& name, const std::string& content) const { writeFile(dir.file(name), content); }
};

struct CoreEnv {
    CalibrationFolder cal;
    Profile profile{cal.dir.file("kavro.INI")};
    Settings settings;
    ScriptedPrompter prompter;
    CoreEnv() { settings.calFiles = cal.dir.path(); }
};

}  // namespace kavro::test
