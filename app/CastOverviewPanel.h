#pragma once
// The Cast Overview as a panel beside a window's frame plots.  For a .psd file it
// shows the whole file with a cursor at the view's frame.  For the instrument it
// shows the cast so far, kept in memory from the frames the window takes (never
// read back from the output file, which the window holds locked), growing as they
// come, with the cursor on the newest.  A click on an earlier frame holds that
// frame for the display while the acquisition goes on; a click on the newest
// frame, End or the Follow Newest button returns to following it.  For a raw
// recording it shows the recording's frames as they are processed in the
// background, growing the same way, and a click goes to the frame clicked.
#include "products/CastSummary.h"
#include "products/LiveCast.h"

#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QPushButton;

namespace kavro {

class CCastOverviewWnd;

class CastOverviewPanel : public QWidget {
    Q_OBJECT
public:
    // The width the panel adds to a window that is not maximised, and its least size.
    static constexpr int kPreferredWidth = 600;
    static constexpr int kMinimumWidth = 360;
    static constexpr int kMinimumHeight = 300;

    explicit CastOverviewPanel(QWidget* parent = nullptr);
    ~CastOverviewPanel() override;

    // A live panel: frames are appended as they come, read with source.
    void startLive(CastSource source);
    // A file's panel: the whole cast at once.
    void showFile(CastSummary summary);
    bool hasCast() const { return live_ != nullptr || hasFile_; }
    // A raw recording's panel: total frames to come, in batches, in frame order.
    void startScan(CastSource source, long long total);
    // Scan: the next frames' records; the first is the frame after those shown.
    void appendScanned(const std::vector<OutputRecord>& records);
    // Scan: no more frames come; reason says why when not all of them came.
    void endScan(const std::string& reason);
    bool scanning() const { return scan_ && !scanEnded_; }

    // Live: one more frame, with its record, the number the source gave it and the
    // words it came as (kept, so that a held frame shows its rings and channels).
    void append(const OutputRecord& record, int frameNumber, const RawWords* words = nullptr);
    const LiveCast* liveCast() const { return live_.get(); }
    // Live: the place in the cast of the frame held for the display; none while
    // the panel follows the newest frame.
    std::optional<long long> heldPlace() const { return held_; }
    bool following() const { return !held_; }
    // Live: back to the newest frame.
    void follow();
    // Live: holds the frame at place (the newest one follows instead).
    void hold(long long place);
    // Live: holds the frame shown now, the newest too, so that it stays while new
    // frames come (a page being printed); false when nothing is shown.
    bool holdShown();
    // Live: holds the frame delta places from the one shown (the newest while following).
    void step(long long delta);

    // A file's or a recording's panel: the cursor goes to the view's frame.
    void setCurrentFrame(long long frame);

    CCastOverviewWnd* picture() const { return picture_; }
    QLabel* stateLabel() const { return state_; }
    QPushButton* followButton() const { return followButton_; }

signals:
    // A click on the picture of a file's or a recording's panel: the view goes to that frame.
    void frameClicked(long long frame);
    // Live: a frame is held (its place in the cast), or following has resumed (none).
    void heldChanged(std::optional<long long> place);

private:
    void clicked(long long place);
    void showState();

    CCastOverviewWnd* picture_;
    QLabel* state_;
    QPushButton* followButton_;
    std::unique_ptr<LiveCast> live_;
    std::optional<long long> held_;
    bool hasFile_ = false;
    // A raw recording's panel: its frames, the frames still to come, the view's frame.
    bool scan_ = false;
    bool scanEnded_ = false;
    long long scanTotal_ = 0;
    std::string scanError_;
    long long current_ = 0;
};

}  // namespace kavro
