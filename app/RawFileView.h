#pragma once
// A raw-data-file view's own part: its layout, the frame-select bar, what the
// auxiliary graph reports, and Process File.  It is a child object of the view
// (found again with RawFileView::of) and goes with it.
#include "auxiliary/ui/CHKGraphWnd.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QProgressDialog;
class QTimer;

namespace kavro {

class CFrameSelectBar;
class CastOverviewPanel;
class RawCastScan;
class CKavroView;
class CRawFile;
class RawFileLayout;

class RawFileView : public QObject, public HKGraphListener {
    Q_OBJECT
public:
    // Builds the display of view, whose source is a raw data file, docks the
    // frame-select bar and sizes the child frame.
    RawFileView(CKavroView& view, CRawFile& source);
    ~RawFileView() override;

    // The raw-file part of view, or null when view shows another kind of source.
    static RawFileView* of(const CKavroView& view);

    // First, Prev, Next, Last: the graph's pages.
    void page(int commandId);
    // Runs the bar's range through the processing once, then closes the source.
    void processFile();
    // The legend again from the display selection, and the view redrawn.
    void selectionChanged();
    // The view's Cast Overview panel takes the recording's frames, processed in the
    // background and shown as they come, the cursor on the graph's frame.  Once:
    // later calls find the panel filled or filling.  False when the source kept no
    // records to process.
    bool fillOverview(CastOverviewPanel& panel);
    // The graph's page with frame, its cursor on it, and the frame reported (the
    // auxiliary and rings windows take it).
    void goToFrame(int frame);
    // The background processing for the panel, while it runs (null before and after).
    RawCastScan* overviewScan() const { return scan_.get(); }

    CRawFile& source() const { return source_; }
    bool sourceOpen() const;
    RawFileLayout& layout() const { return *layout_; }
    CHKGraphWnd* graph() const;
    CFrameSelectBar* bar() const { return bar_; }
    bool processPending() const { return processPending_; }
    bool processing() const { return processing_; }

    // Called after every block of Process File, inside its run (tests use it to
    // look at the view, or to try commands, while the processing goes on).
    void setProcessObserver(std::function<void(int framesDone)> observer) { observer_ = std::move(observer); }

    // HKGraphListener
    void setCursorFrame(int frame) override;
    void setSelection(int first, int last) override;
    void selectFirst(int frame) override;
    void selectLast(int frame) override;
    void pageShown(int first, int last) override;
    void frameReported(int frame, const FrameSummary& record) override;

private:
    bool processBlock(int framesDone, QProgressDialog& progress);
    // Hands the frames the scan has done since the last time to the panel.
    void takeScanned();
    // processed: the frames the run processed.
    void finishProcessing(int processed);

    CKavroView& view_;
    CRawFile& source_;
    CFrameSelectBar* bar_;
    std::unique_ptr<RawFileLayout> layout_;
    bool processPending_ = true;
    bool processing_ = false;
    std::function<void(int)> observer_;
    std::unique_ptr<RawCastScan> scan_;
    QTimer* scanTimer_ = nullptr;
    QPointer<CastOverviewPanel> panel_;
};

}  // namespace kavro
