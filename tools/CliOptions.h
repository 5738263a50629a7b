#pragma once
// kavro-cli's command line: reads the options (the only part of the program
// that uses CLI11), runs the command they name and tells any failure.
#include <string>

namespace kavro::cli {

// The exit status of the run: 0, or kExitBadInput / kExitUsage with the reason
// told on stderr.  versionLine answers --version.
int runCommandLine(int argc, char** argv, const std::string& versionLine);

}  // namespace kavro::cli
