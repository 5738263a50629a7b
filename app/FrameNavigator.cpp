#include "app/FrameNavigator.h"

#include "app/CAnimationBar.h"
#include "core/CDataSource.h"
#include "core/Constants.h"
#include "resources/AppTexts.h"

namespace kavro {

FrameNavigator::FrameNavigator(CDataSource& source, std::function<void()> refresh, QObject* parent)
    : QObject(parent), source_(source), refresh_(std::move(refresh))
{
    connect(&timer_, &QTimer::timeout, this, &FrameNavigator::tick);
}

void FrameNavigator::setBar(CAnimationBar* bar)
{
    bar_ = bar;
    showTimerState();
}

void FrameNavigator::setUp(int kind)
{
    const bool instrument = kind == kKindInstrument;
    interval_ = instrument ? kInstrumentInterval : kFileInterval;
    if (bar_) {
        bar_->setMinimum(instrument ? kInstrumentMinimum : kFileMinimum);
        bar_->setPosition(interval_);
    }
}

void FrameNavigator::toggle()
{
    if (running_) {
        timer_.stop();
        running_ = false;
    } else {
        timer_.start(interval_);
        running_ = timer_.isActive();
    }
    showTimerState();
    if (runningListener_)
        runningListener_(running_);
}

void FrameNavigator::stop()
{
    if (running_)
        toggle();
}

void FrameNavigator::setInterval(int milliseconds)
{
    interval_ = milliseconds;
    // The thumb and the figure beside it show the pace, whoever set it.
    if (bar_)
        bar_->setPosition(milliseconds);
    if (running_)
        timer_.start(interval_);
}

void FrameNavigator::showTimerState()
{
    if (bar_)
        bar_->setTimerText(running_ ? text::kTimerOn : text::kTimerOff);
}

void FrameNavigator::first()
{
    source_.rewind();
    refresh_();
}

void FrameNavigator::previous()
{
    source_.previousFrame();
    refresh_();
}

void FrameNavigator::next()
{
    source_.nextFrame();
    refresh_();
}

void FrameNavigator::last()
{
    source_.lastFrame();
    refresh_();
}

void FrameNavigator::goTo(int frame)
{
    source_.goToFrame(frame);
    refresh_();
}

void FrameNavigator::tick()
{
    // A tick that arrives while the source is still busy with the last one (it may be
    // showing a message) is dropped rather than run inside it.
    if (ticking_ || (mayStep_ && !mayStep_()))
        return;
    ticking_ = true;
    bool more = false;
    bool failed = false;
    try {
        more = source_.nextFrame() != 0;
    } catch (...) {
        // A source that failed has told the user; the animation ends as at the end of data.
        failed = true;
    }
    ticking_ = false;
    if (!more && (failed || !goesOnWithoutFrame_ || !goesOnWithoutFrame_()))
        stop();
    // The instrument's view shows what became of every request, the last one too.
    if (running_ || goesOnWithoutFrame_)
        refresh_();
}

}  // namespace kavro
