#pragma once
// Where an exported cast came from: the digests of the .psd and of the calibration
// files an export names, and whether the calibration folder it was given is the
// one the .psd was processed with (the .psd header stores the class diameters of
// its calibration, which tell one calibration from another).
#include <string>
#include <vector>

namespace kavro {

class CastReader;

// path as a line "sha256  path" names it so that `sha256sum -c` run in folder
// checks it: relative to folder when it lies inside it, else absolute (both made
// absolute and free of symbolic links first); path as it is when that fails.
// climb: how many levels above folder a relative path may start ("../psd/a.psd"
// for 1, the .psd of a cruise archive seen from its nc folder).
std::string pathRelativeTo(const std::string& path, const std::string& folder, int climb = 0);

// "sha256  path" lines (the format sha256sum -c checks) of the model's calibration
// files in dir: kernel, H, diameters, gain, factory background and the ring-area
// file; paths as pathRelativeTo(path, relativeTo) gives them.  A file that is not there has "(not found)"
// in place of its digest.
std::string calibrationDigests(const std::string& dir, int model, const std::string& relativeTo);

// How the calibration folder dir differs from the one the cast was processed with:
// an empty list when its diameter file for the header's model holds the class
// diameters the header stores (as float32, the way the header keeps them); one
// reason per difference otherwise.  A cast without stored diameters cannot be
// checked and gives an empty list.
std::vector<std::string> calibrationMismatches(const CastReader& cast, const std::string& dir);

}  // namespace kavro
