#pragma once
// kavro-cli acquire: the instrument live without a screen, opened as Open
// Instrument opens it, with the dialogs answered from the options.  Every frame
// received is processed and written before the next request goes out.
#include "tools/CliCommon.h"

#include <functional>
#include <optional>
#include <string>

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
    double interval = 1.0;              // seconds from one request to the next
    long frames = 0;                    // stop after this many frames (0: when told to)
    bool status = false;                // a live status line on stderr
};

struct AcquireResult {
    long frames = 0;   // frames received and written
    long missed = 0;   // requests that brought no frame within CommWait
    bool stopped = false;  // ended by a stop request, not by the frame count
};

// Waits up to ms (0: only looks); true when the run is to stop.
using StopWait = std::function<bool(int ms)>;

// Runs the acquisition; throws Failure (status 1, one line naming the device or
// file) when the instrument cannot be opened, goes away, or an output fails.
AcquireResult acquire(const AcquireOptions& options, Environment& env, const StopWait& stop);

// acquire --list-devices: the serial devices present and the device each port opens.
void printSerialDevices(const Environment& env);

}  // namespace kavro::cli
