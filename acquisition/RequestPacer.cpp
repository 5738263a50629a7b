#include "acquisition/RequestPacer.h"

#include <algorithm>

namespace kavro {

using std::chrono::duration_cast;
using std::chrono::milliseconds;

RequestPacer::RequestPacer(milliseconds interval) : interval_(std::max(interval, milliseconds(0))) {}

milliseconds RequestPacer::waitFrom(Clock::time_point now) const
{
    if (!started_ || interval_.count() == 0)
        return milliseconds(0);
    if (now <= next_)
        return duration_cast<milliseconds>(next_ - now + milliseconds(1) - Clock::duration(1));
    // Past the due point: the next point of the grid.
    const auto late = duration_cast<milliseconds>(now - next_);
    const auto intoSlot = late % interval_;
    return intoSlot.count() == 0 ? milliseconds(0) : interval_ - intoSlot;
}

void RequestPacer::requestSent(Clock::time_point now)
{
    if (!started_ || interval_.count() == 0) {
        started_ = true;
        next_ = now + interval_;
        return;
    }
    // Stay on the grid: the first point after now.
    if (next_ <= now)
        next_ += interval_ * ((now - next_) / interval_ + 1);
}

}  // namespace kavro
