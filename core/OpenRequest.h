#pragma once
// Everything a source needs to open, as one value: what it reads, the calibration it
// processes with and the files it writes.  The desktop program fills it from its
// dialogs, kavro-cli from its options; a source keeps the request it opened with, so
// that a reconnect or the continuation of a cast opens again without asking anyone.
#include "core/OutputSwitches.h"

#include <optional>
#include <string>

namespace kavro {

class Settings;

// What becomes of result files that exist already when a source opens.
enum class ExistingOutputs {
    Refuse,    // a file that exists is refused, naming it
    Replace,   // every file of the set is replaced
    Continue,  // the set is checked against the request and appended to
};

struct OpenRequest {
    int kind = -1;  // kKindPsdFile, kKindRawFile or kKindInstrument
    // The recording (a raw file or a .psd); nothing: asked for.
    std::optional<std::string> input;
    // The instrument: the port name ("COM1:".."COM4:"; empty: the source's own) and,
    // when not empty, the device it opens in place of the one the settings give it.
    std::string port;
    std::string device;
    int model = 0;
    std::string calibrationFolder;
    // The ring-area and background files; nothing: asked for.
    std::optional<std::string> ringArea;
    std::optional<std::string> background;
    // The .psd output, after which the .asc, .log and time file beside it are named;
    // nothing: asked for when the switches want a .psd.  For the instrument an empty
    // path with every switch off records nothing.
    std::optional<std::string> output;
    // The name the save dialog proposes for the .psd (default: after the input).
    std::string proposedOutput;
    OutputSwitches switches;
    ExistingOutputs existing = ExistingOutputs::Replace;
    // A raw recording whose laser words mark summed scans: nothing: decided from the
    // file and the settings (asked when they say so).
    std::optional<bool> multiScan;

    // A request of kind for a model with the program's settings: their calibration
    // folder and output switches, nothing chosen yet.
    static OpenRequest fromSettings(int kind, const Settings& settings, int model);
};

}  // namespace kavro
