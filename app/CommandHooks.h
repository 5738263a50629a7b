#pragma once
// The one place where the windows built elsewhere join the program: the commands
// of the receive buffer, the communications, the background scatter, the
// accumulate-and-average, the auxiliary parameters and the option dialogs, the
// raw-data-file layout with its paging, and what follows every frame change.
// Until a window exists its command does nothing; its menu item and enable rule
// are in the command table already.
#include <string>

namespace kavro {

class CKavroView;
class CMainFrame;
class CastOverviewPanel;

class CommandHooks {
public:
    virtual ~CommandHooks() = default;

    // Commands of the main frame; active is the active child's view or null.
    virtual void buildBackgroundScatterFile(CMainFrame& frame, CKavroView* active) { (void)frame, (void)active; }
    virtual void editCalibrationParameters(CMainFrame& frame, CKavroView* active) { (void)frame, (void)active; }
    virtual void outputOptions(CMainFrame& frame) { (void)frame; }
    virtual void locations(CMainFrame& frame) { (void)frame; }

    // Commands of a view (the Display and Accumulate buttons of the animation bar too).
    virtual void showBuffer(CKavroView& view) { (void)view; }
    virtual void sendCommand(CKavroView& view) { (void)view; }
    virtual void accumulateAndAverage(CKavroView& view) { (void)view; }
    virtual void viewRings(CKavroView& view) { (void)view; }
    virtual void showAuxiliaryParameterFrame(CKavroView& view) { (void)view; }
    virtual void auxiliaryParameterDisplay(CKavroView& view) { (void)view; }
    virtual void sizeDistributionDisplay(CKavroView& view) { (void)view; }

    // The raw-data-file layout, built at the view's initial update, and its
    // First/Prev/Next/Last, which page through the file instead of moving the source.
    virtual void buildRawFileLayout(CKavroView& view) { (void)view; }
    virtual void rawFilePage(CKavroView& view, int commandId) { (void)view, (void)commandId; }
    // The auxiliary graph of a raw-data-file view has reported the frame under its
    // cursor (a click, a page, Ctrl+H, new calibration constants): an open rings
    // window shows that frame's rings (from the records read at the open, so also
    // once Process File has closed the source; the source never moves).  Not while
    // Process File runs.
    virtual void graphFrameReported(CKavroView& view, int frame) { (void)view, (void)frame; }
    // A raw-data-file view's Cast Overview panel: filled with the recording's frames,
    // processed in the background (false when it cannot be); a click in it goes to a frame.
    virtual bool fillRawFileOverview(CKavroView& view, CastOverviewPanel& panel)
    {
        (void)view, (void)panel;
        return false;
    }
    virtual void rawFileGoTo(CKavroView& view, int frame) { (void)view, (void)frame; }

    // After the view has shown a new frame: the companion windows take it.
    virtual void frameChanged(CKavroView& view) { (void)view; }
    // Text the instrument sent, for the receive-buffer window; rejected: a frame text
    // that was refused.
    virtual void bufferText(CKavroView& view, const std::string& text, bool rejected)
    {
        (void)view, (void)text, (void)rejected;
    }
};

}  // namespace kavro
