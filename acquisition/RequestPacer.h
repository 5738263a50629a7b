#pragma once
// The pace of frame requests: one every interval, on a grid fixed by the first
// request.  An exchange that took longer than the interval (a reply that never
// came) is followed at the next point of the grid, so requests never come closer
// together than the interval and never in a burst to catch up.
#include <chrono>

namespace kavro {

class RequestPacer {
public:
    using Clock = std::chrono::steady_clock;

    explicit RequestPacer(std::chrono::milliseconds interval);
    // How long to wait from now before the next request goes out.
    std::chrono::milliseconds waitFrom(Clock::time_point now) const;
    // A request goes out now (after waitFrom said so).
    void requestSent(Clock::time_point now);

private:
    std::chrono::milliseconds interval_;
    bool started_ = false;
    Clock::time_point next_{};  // the grid point the next request is due at
};

}  // namespace kavro
