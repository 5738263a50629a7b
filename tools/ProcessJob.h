#pragma once
// kavro-cli process: one raw recording through the same CRawFile as the desktop
// program's Process File, with the dialogs answered from the options.
#include "tools/CliCommon.h"

#include <optional>
#include <string>

namespace kavro::cli {

struct ProcessOptions {
    int model = 0;
    std::string calDir;
    std::string ringArea;    // the ring-area file (found in the calibration folder when not named)
    std::string background;  // "" = zsc.asc beside the recording (PDFirst) or in the calibration folder
    bool asc = false;
    bool vsf = false;
    bool log = false;
    std::optional<int> first, last;
    std::string multiScan = "auto";  // auto, yes, no
    int threads = 1;
    bool quiet = false;
    // The UTC time of the recording's first record and the seconds between records:
    // with it, <name>.time.csv gives every frame written its time.
    std::optional<std::string> startTime;
    double interval = 1.0;
};

// The one RingArea*.asc of the folder; of several, the model's own RingArea_<letter>.asc.
// Throws Failure naming the candidates when there are none or several.
std::string findRingAreaFile(const std::string& calDir, int model);
// zsc.asc beside the recording when PDFirst is set, else in the calibration folder.
std::string defaultBackground(const std::string& rawFile, const std::string& calDir, int pdFirst);
// The recording's name cut before its first '.', + ".psd", in outputDir or beside the recording.
std::string defaultOutput(const std::string& rawFile, const std::string& outputDir);

// <psd name>.time.csv: record k of the .psd (counting from 0) is record first + k
// of a recording whose record 0 was taken at start, one record every interval
// seconds.  Throws Failure naming the file when it cannot be written.
void writeNominalTimes(const std::string& psd, int first, int frames, double start, double interval);
// --update: true when the .psd at psd (and its time file) is what processing the
// recording with these options would write: the same instrument model, background
// file and calibration (the header's class diameters), the frame count of the
// first/last range and its first frame's housekeeping values (the record --first
// names), and with --start-time the times of its first and last frame.
// False when any of those differs or the .psd cannot be read.
bool outputMatchesOptions(const std::string& rawFile, const std::string& psd, const ProcessOptions& options,
                          const std::string& background, const Environment& env);

struct ProcessResult {
    int frames = 0;
    bool multiScan = false;
};

// Processes one recording into psd (and the .asc/.log beside it); throws Failure
// ("<raw file>: <problem>") when the open or a write fails.
ProcessResult processRecording(const std::string& rawFile, const std::string& psd, const ProcessOptions& options,
                               const Environment& env);

}  // namespace kavro::cli
