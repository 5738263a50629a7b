#pragma once
// The "HK Graph" of a raw-data-file view: the raw counts of the chosen auxiliary
// channels over a page of 400 frames, one pixel per frame, with a cursor that
// picks a frame.  Its data are the source's frame summary; it never reads the file.
#include "core/CRawSource.h"
#include "plots/CDrawingWnd.h"

#include <vector>

namespace kavro {

class DisplaySelection;

// What the graph tells the view it stands in.
class HKGraphListener {
public:
    virtual ~HKGraphListener() = default;
    // The frame-select bar's current frame field.
    virtual void setCursorFrame(int frame) = 0;
    // The bar's first and last selected frames, set at once (when the graph is made).
    virtual void setSelection(int first, int last) = 0;
    // Select First / Select Last: the bar checks the value against the other end.
    virtual void selectFirst(int frame) = 0;
    virtual void selectLast(int frame) = 0;
    // The page now shows frames first .. last.
    virtual void pageShown(int first, int last) = 0;
    // The frame under the cursor and its summary record.
    virtual void frameReported(int frame, const FrameSummary& record) = 0;
};

class CHKGraphWnd : public CDrawingWnd {
    Q_OBJECT
public:
    static constexpr int kPageFrames = 400;
    static constexpr double kFullScale = 4096.0;

    CHKGraphWnd(HKGraphListener& listener, const DisplaySelection& selection, QWidget* parent = nullptr);

    // A w x h client at (x, y) of parent, with a border, over records (not owned;
    // they must outlive the graph).  The cursor starts at column 200.
    bool Create(QWidget* parent, int x, int y, int w, int h, const std::vector<FrameSummary>& records);

    // Moves the cursor to a column of the page, kept within the page and the file.
    void SetCursor(int column);
    // Hands the view the cursor frame and its record (nothing when the file has none).
    void ReportFrame();
    // The page that holds frame (the one shown when it is there), the cursor on
    // frame, and the frame reported; frame is clamped to the file's frames.
    void ShowFrame(int frame);
    void FirstPage();
    void PreviousPage();
    void NextPage();
    void LastPage();
    void SelectFirst();
    void SelectLast();

    int first() const { return first_; }
    int cursor() const { return cursor_; }
    int cursorFrame() const { return first_ + cursor_; }
    int visible() const { return visible_; }
    int count() const { return count_; }

    // The trace (and legend) colour of channel k.
    static QColor channelColour(int k);

    void renderInto(QPainter& painter, bool printer) override;
    // The cursor line, green exclusive-or'ed with what lies under it, so that
    // drawing it a second time leaves the pixels as they were.  (A painter that
    // cannot combine pixels gets a plain green line.)
    static void drawCursor(QPainter& painter, int column, int height);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void pageChanged();
    void moveCursorTo(const QMouseEvent& event);
    void drawGrid(QPainter& painter, int w, int h) const;
    void drawTraces(QPainter& painter, int h) const;

    HKGraphListener& listener_;
    const DisplaySelection& selection_;
    const std::vector<FrameSummary>* records_ = nullptr;
    double xScale_ = 1.0;
    double yScale_ = 1.0;
    int visible_ = 100;
    int first_ = 0;
    int width_ = 0;
    int height_ = 0;
    int count_ = 0;
    int cursor_ = 0;
    bool capturing_ = false;
};

}  // namespace kavro
