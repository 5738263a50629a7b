#include "tools/StopSignals.h"

#include <cerrno>
#include <pthread.h>

namespace kavro::cli {

StopSignals::StopSignals()
{
    sigemptyset(&set_);
    sigaddset(&set_, SIGINT);
    sigaddset(&set_, SIGTERM);
    sigaddset(&set_, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &set_, &previous_);
}

StopSignals::~StopSignals()
{
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
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
        r = sigtimedwait(&set_, nullptr, &wait);
    } while (r < 0 && errno == EINTR);
    arrived_ = r > 0;
    if (arrived_)
        signal_ = r;
    return arrived_;
}

}  // namespace kavro::cli
