#pragma once
// Moves an instrument or .psd view through its source's frames: first, previous,
// next, last, go to, and the animation, whose timer asks the source for the next
// frame at the chosen interval (for the instrument the timer is the acquisition
// loop).  Every frame change is followed by the view's refresh.
#include <QObject>
#include <QTimer>
#include <functional>

namespace kavro {

class CAnimationBar;
class CDataSource;

class FrameNavigator : public QObject {
    Q_OBJECT
public:
    static constexpr int kFileInterval = 500;
    static constexpr int kInstrumentInterval = 1000;
    static constexpr int kFileMinimum = 100;
    static constexpr int kInstrumentMinimum = 1000;

    FrameNavigator(CDataSource& source, std::function<void()> refresh, QObject* parent = nullptr);

    // The bar that shows the interval and the timer state (may be null).
    void setBar(CAnimationBar* bar);
    // After a tick that brought no frame: true when the animation goes on at its pace
    // (the instrument, whose next request may well be answered), false when it ends
    // there (the end of a file; an instrument that is gone).  Without it every tick
    // without a frame ends the animation.
    void setGoesOnWithoutFrame(std::function<bool()> goesOn) { goesOnWithoutFrame_ = std::move(goesOn); }
    // Whether a tick may step now; a tick that may not is dropped (another view is in
    // the middle of an exchange that lets the program repaint).
    void setMayStep(std::function<bool()> mayStep) { mayStep_ = std::move(mayStep); }
    // Told each time the animation starts (true) or stops (false).
    void setRunningListener(std::function<void(bool)> listener) { runningListener_ = std::move(listener); }
    // Interval and the bar's minimum for the source kind; the thumb moves to the interval.
    void setUp(int kind);

    bool running() const { return running_; }
    int interval() const { return interval_; }
    const QTimer& timer() const { return timer_; }

    // Starts or stops the animation.
    void toggle();
    // Stops the animation when it runs.
    void stop();
    // A new interval; a running animation goes on at the new pace.
    void setInterval(int milliseconds);

    void first();
    void previous();
    void next();
    void last();
    void goTo(int frame);
    // One step of the animation: the next frame, or the end of it.
    void tick();

private:
    void showTimerState();

    CDataSource& source_;
    std::function<void()> refresh_;
    std::function<bool()> goesOnWithoutFrame_;
    std::function<bool()> mayStep_;
    std::function<void(bool)> runningListener_;
    CAnimationBar* bar_ = nullptr;
    QTimer timer_;
    bool running_ = false;
    bool ticking_ = false;  // a tick is under way (a message box of the source runs its own event loop)
    int interval_ = kFileInterval;
};

}  // namespace kavro
