#include "platform/StopSignals.h"

#include "platform/System.h"

namespace kavro {

// Compiles only: the console's Ctrl-C and close events (SetConsoleCtrlHandler)
// arrive with the Windows command line.  Until then nothing asks for a stop and
// Ctrl-C ends the program as the C runtime does.
struct StopSignals::State {
};

StopSignals::StopSignals() : state_(std::make_unique<State>()) {}

StopSignals::~StopSignals() = default;

bool StopSignals::arrived()
{
    return arrived_;
}

bool StopSignals::waitMs(int ms)
{
    if (!arrived_ && ms > 0)
        sleepMilliseconds(ms);
    return arrived_;
}

}  // namespace kavro
