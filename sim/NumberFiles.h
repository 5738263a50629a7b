#pragma once
// Whole files of numbers for the demo commands: written in one piece, read back
// with the same "%lg" reading the calibration set uses.  Failures throw
// DemoError with a message naming the file.
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kavro::demo {

// A demo input that cannot be read or an output that cannot be written: the
// message names the file and the problem, ready to be shown as it is.
struct DemoError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Replaces path with content (folders made when missing); a failed write throws.
void writeWholeFile(const std::string& path, std::string_view content);

// The first count numbers of a text file; throws when the file cannot be opened
// or ends (or stops at text) before count numbers were read.
std::vector<double> readNumbers(const std::string& path, int count);

}  // namespace kavro::demo
