#pragma once
// Ctrl-C (SIGINT), SIGTERM and SIGHUP (the terminal or SSH session went away) as
// a request to stop: blocked while an object lives,
// and picked up between two steps of the work, so that a stop never lands in the
// middle of writing a record.
#include <csignal>

namespace kavro::cli {

class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // True once a stop has been asked for (looked for now).
    bool arrived();
    // Waits up to ms for a stop; true when one has been asked for.
    bool waitMs(int ms);
    // The signal that asked for the stop (0 while none has).
    int signal() const { return signal_; }

private:
    sigset_t set_;
    sigset_t previous_;
    bool arrived_ = false;
    int signal_ = 0;
};

}  // namespace kavro::cli
