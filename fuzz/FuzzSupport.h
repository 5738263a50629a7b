#pragma once
// What the fuzz programs share: a scratch folder of their own for the files they
// feed to the readers, and a check that stops the run with a message when a
// property of the code under test does not hold.
#include <string>
#include <string_view>

namespace kavro::fuzz {

// A folder made once per process under $TMPDIR (default /tmp) and removed at exit.
const std::string& scratchDir();
// scratchDir()/name
std::string scratchFile(std::string_view name);
// Writes bytes to path, replacing it; aborts when that fails (the harness, not the
// code under test, is broken then).
void writeBytes(const std::string& path, std::string_view bytes);

// The size of a file in bytes; -1 when it is not there.
long long fileSize(const std::string& path);

// A sound calibration set of model 0 in the scratch folder (every file, ring area
// "RingArea_a.asc", background "zsc.asc"), written on the first call.
void writeSoundCalibration();

// A property that must hold for every input: on failure the message is printed
// and the process aborts, so that libFuzzer keeps the input as a finding.
void require(bool condition, const char* what);

}  // namespace kavro::fuzz
