#pragma once
// The animation bar docked under an instrument or .psd view: the animation
// interval on a scroll bar, the timer button, Display, and the frame buttons
// (First/Prev/Next/Last for a file, Next and Accumulate and Average for the
// instrument; a file also has the Cast Overview).  Buttons send the view's
// commands; the scroll bar its interval.
#include <QWidget>
#include <map>

class QLabel;
class QPushButton;
class QScrollBar;

namespace kavro {

class CAnimationBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFileBar = 111;
    static constexpr int kInstrumentBar = 116;
    // Control ids.
    static constexpr int kTimerButton = 130;
    static constexpr int kDisplayButton = 250;
    static constexpr int kFirstButton = 132;
    static constexpr int kPrevButton = 133;
    static constexpr int kNextButton = 126;
    static constexpr int kLastButton = 134;
    static constexpr int kAccumulateButton = 260;
    static constexpr int kOverviewButton = 270;

    // How the interval is scrolled.
    enum class Scroll { LineLeft, LineRight, PageLeft, PageRight, ThumbPosition, ThumbTrack, Left, Right, Other };

    explicit CAnimationBar(int dialogId, QWidget* parent = nullptr);

    int dialogId() const { return dialogId_; }
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    int position() const { return position_; }
    // The lowest interval the bar gives; the scroll bar's own range stays 100..5000.
    void setMinimum(int minimum) { minimum_ = minimum; }
    // Moves the thumb (the interval shown), without telling the view; the figure
    // beside the scroll bar says the interval in seconds.
    void setPosition(int position);
    QLabel* intervalValue() const { return intervalValue_; }
    // "1.0 s" for 1000 ms.
    static QString intervalText(int milliseconds);
    void setTimerText(const QString& text);
    QString timerText() const;

    // The button with this control id, or null when the bar has none.
    QPushButton* button(int id) const;
    QScrollBar* scrollBar() const { return scrollBar_; }

    // The position a scroll gives from position (thumb: where the thumb was
    // dragged), kept within minimum..maximum.
    static int scrolledPosition(Scroll code, int position, int thumb, int minimum, int maximum);
    // Scrolls, moves the thumb and hands the view the new interval.
    void scroll(Scroll code, int thumb = 0);

signals:
    // A button's command (the frame buttons, Display, Accumulate and Average, the timer).
    void command(int commandId);
    // The interval chosen on the scroll bar, in milliseconds, never below 100.
    void intervalChosen(int milliseconds);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPushButton* addButton(int id, const char* text, int commandId);
    void onScrollAction(int action);

    int dialogId_;
    int minimum_ = 100;
    int maximum_ = 5000;
    int position_ = 500;
    QScrollBar* scrollBar_;
    QLabel* intervalValue_;
    std::map<int, QPushButton*> buttons_;
};

}  // namespace kavro
