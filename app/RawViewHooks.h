#pragma once
// The program's hooks for browsing a raw data file (its layout, paging and
// Process File), the auxiliary parameters window and its two dialogs, and the
// option dialogs of the Options menu.
#include "app/CommandHooks.h"
#include "background/ui/BackgroundHost.h"  // DialogRunner, runModal

class QWidget;

namespace kavro {

class CAuxParamDlg;

// The open auxiliary parameters window of a view, or null.
CAuxParamDlg* auxWindowOf(const QWidget& view);

class RawViewHooks : public CommandHooks {
public:
    // run shows the modal dialogs; the program runs them, the tests answer them.
    explicit RawViewHooks(DialogRunner run = runModal) : run_(std::move(run)) {}

    void editCalibrationParameters(CMainFrame& frame, CKavroView* active) override;
    void outputOptions(CMainFrame& frame) override;
    void locations(CMainFrame& frame) override;
    void showAuxiliaryParameterFrame(CKavroView& view) override;
    void auxiliaryParameterDisplay(CKavroView& view) override;
    void sizeDistributionDisplay(CKavroView& view) override;
    void buildRawFileLayout(CKavroView& view) override;
    void rawFilePage(CKavroView& view, int commandId) override;
    bool fillRawFileOverview(CKavroView& view, CastOverviewPanel& panel) override;
    void rawFileGoTo(CKavroView& view, int frame) override;
    void frameChanged(CKavroView& view) override;

    // The interval the Display Parameters dialog gives a view: at least 100 ms for
    // a file, 1000 ms for the instrument.
    static int displayInterval(int entered, int sourceKind);

private:
    DialogRunner run_;
};

}  // namespace kavro
