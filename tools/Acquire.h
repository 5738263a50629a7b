#pragma once
// kavro-cli acquire: the instrument live without a screen, opened as Open
// Instrument opens it, with the dialogs answered from the options.  Every frame
// received is processed and written before the next request goes out, and the
// frames still waiting when it stops are written before it ends.
#include "acquisition/CCommSource.h"
#include "tools/CliCommon.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kavro::cli {

struct AcquireOptions {
    std::optional<int> model;           // default: InstrumentModel of the profile
    std::string port;                   // "COM1:".."COM4:"; default: InstrumentPort
    std::string device;                 // replaces the port's device
    std::optional<std::string> calDir;  // default: CalFiles
    std::string ringArea;               // default: found in the calibration folder as for kavro-cli process
    std::string background;             // default: zsc.asc in the calibration folder
    std::string psd;                    // the .psd output; none when empty
    bool asc = false;
    bool vsf = false;                   // the VSF in the .asc lines (implies asc)
    bool log = false;
    bool overwrite = false;             // replace every file of a cast that exists already
    bool append = false;                // continue the cast in the files that exist
    double giveUpAfter = 0.0;           // end when the instrument stays away this long (0: never)
    bool force = false;                 // record even on a disk that lasts less than an hour
    double interval = 1.0;              // seconds from one request to the next
    long frames = 0;                    // stop after this many frames (0: when told to)
    bool status = false;                // a live status line on stderr
};

struct AcquireResult {
    CCommSource::Counts counts;      // frames written, rejected, suspect; requests without a frame
    std::vector<std::string> files;  // the outputs written
    int signal = 0;                  // the signal that stopped the run (0: none)
    int reconnects = 0;              // times the instrument came back after it was lost
    std::string error;               // why the run ended early ("" when it did not)
};

// Waits up to ms (0: only looks); the signal number when the run is to stop, else 0.
using StopWait = std::function<int(int ms)>;

// Refuses a run that would record nothing (Failure, status 2) or write onto an
// existing cast without append or overwrite (Failure, status 1), and one whose
// instrument cannot be opened (status 1, one line naming the device or file).
// Otherwise runs until the frame count, a stop, an output failing or the instrument
// staying away longer than giveUpAfter: a line that goes away is waited for and
// opened again every second, the cast going on in the same files.  Answers what was
// written and why it ended.
AcquireResult acquire(const AcquireOptions& options, Environment& env, const StopWait& stop);

// acquire --list-devices: the serial devices present and the device each port opens.
void printSerialDevices(const Environment& env);

}  // namespace kavro::cli
