#include "platform/StopSignals.h"

#include <cerrno>
#include <csignal>
#include <pthread.h>

namespace kavro {

// SIGINT, SIGTERM and SIGHUP are blocked while the object lives and taken with
// sigtimedwait, so that no handler ever runs in the middle of the work.
struct StopSignals::State {
    sigset_t set;
    sigset_t previous;
};

StopSignals::StopSignals() : state_(std::make_unique<State>())
{
    sigemptyset(&state_->set);
    sigaddset(&state_->set, SIGINT);
    sigaddset(&state_->set, SIGTERM);
    sigaddset(&state_->set, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &state_->set, &state_->previous);
}

StopSignals::~StopSignals()
{
    pthread_sigmask(SIG_SETMASK, &state_->previous, nullptr);
}

bool StopSignals::arrived()
{
    return waitMs(0);
}

bool StopSignals::waitMs(int ms)
{
    if (arrived_)
        return true;
    timespec wait{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
    int r;
    do {
        r = sigtimedwait(&state_->set, nullptr, &wait);
    } while (r < 0 && errno == EINTR);
    arrived_ = r > 0;
    if (arrived_) {
        signal_ = r;
        hungUp_ = r == SIGHUP;
    }
    return arrived_;
}

}  // namespace kavro
