#pragma once
// A request to stop from outside (Ctrl-C; on POSIX also SIGTERM, and SIGHUP when
// the terminal or SSH session went away; on Windows the console's close and
// log-off events): held back while an object lives and picked up between two
// steps of the work, so that a stop never lands in the middle of writing a record.
#include <memory>

namespace kavro {

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
    // The signal number that asked for the stop (0 while none has).
    int signal() const { return signal_; }
    // Whether the stop came because the terminal or session went away (SIGHUP; the
    // console closed or the user logged off on Windows), not because it was asked for.
    bool hungUp() const { return arrived_ && hungUp_; }

private:
    struct State;
    std::unique_ptr<State> state_;
    bool arrived_ = false;
    int signal_ = 0;
    bool hungUp_ = false;
};

}  // namespace kavro
