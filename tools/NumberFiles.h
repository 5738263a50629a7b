#pragma once
// Whole files of numbers for the demo commands: written in one piece, read back
// with the same "%lg" reading the calibration set uses.  Failures throw
// cli::Failure with a message naming the file.
#include <string>
#include <string_view>
#include <vector>

namespace kavro::demo {

// Replaces path with content (folders made when missing); a failed write throws.
void writeWholeFile(const std::string& path, std::string_view content);

// The first count numbers of a text file; throws when the file cannot be opened
// or ends (or stops at text) before count numbers were read.
std::vector<double> readNumbers(const std::string& path, int count);

}  // namespace kavro::demo
