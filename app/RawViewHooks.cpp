#include "app/RawViewHooks.h"

#include "acquisition/CRawFile.h"
#include "app/CAnimationBar.h"
#include "app/CKavroApp.h"
#include "app/CKavroFrame.h"
#include "app/CKavroView.h"
#include "app/CMainFrame.h"
#include "app/DisplayParametersDialog.h"
#include "app/FrameNavigator.h"
#include "app/LocationsDialog.h"
#include "app/OutputOptionsDialog.h"
#include "app/RawFileView.h"
#include "app/SizeDistributionLayout.h"
#include "auxiliary/ui/CAuxDisplayDlg.h"
#include "auxiliary/ui/CAuxParamDlg.h"
#include "auxiliary/ui/CCalibConstDlg.h"
#include "core/CDataSource.h"
#include "core/Constants.h"
#include "core/HeldFrameSource.h"
#include "plots/CBarGraphWnd.h"
#include "plots/CTextWnd.h"

#include <QDialog>
#include <algorithm>

namespace kavro {

CAuxParamDlg* auxWindowOf(const QWidget& view)
{
    // A window closed with Cancel is hidden until its deletion comes round.
    for (CAuxParamDlg* w : view.findChildren<CAuxParamDlg*>(QString(), Qt::FindDirectChildrenOnly))
        if (!w->isHidden())
            return w;
    return nullptr;
}

int RawViewHooks::displayInterval(int entered, int sourceKind)
{
    const int minimum =
        sourceKind == kKindInstrument ? FrameNavigator::kInstrumentMinimum : FrameNavigator::kFileMinimum;
    return std::max(entered, minimum);
}

void RawViewHooks::buildRawFileLayout(CKavroView& view)
{
    auto* source = dynamic_cast<CRawFile*>(view.source());
    if (source && !RawFileView::of(view))
        new RawFileView(view, *source);
}

void RawViewHooks::rawFilePage(CKavroView& view, int commandId)
{
    if (RawFileView* raw = RawFileView::of(view))
        raw->page(commandId);
}

bool RawViewHooks::fillRawFileOverview(CKavroView& view, CastOverviewPanel& panel)
{
    RawFileView* raw = RawFileView::of(view);
    return raw && raw->fillOverview(panel);
}

void RawViewHooks::rawFileGoTo(CKavroView& view, int frame)
{
    if (RawFileView* raw = RawFileView::of(view))
        raw->goToFrame(frame);
}

namespace {

// The auxiliary window shows the frame the view shows: the one its live panel holds,
// or its source's current one.
void showViewFrame(CAuxParamDlg& aux, const CKavroView& view)
{
    const HeldFrameSource* held = view.heldFrame();
    if (held && held->words())
        aux.ShowRecord(summarizeRecord(held->words()->data()), held->frameNumber());
    else
        aux.Refresh();
}

}  // namespace

void RawViewHooks::frameChanged(CKavroView& view)
{
    if (CAuxParamDlg* aux = auxWindowOf(view))
        showViewFrame(*aux, view);
}

void RawViewHooks::showAuxiliaryParameterFrame(CKavroView& view)
{
    if (!view.source())
        return;
    CAuxParamDlg* aux = auxWindowOf(view);
    if (!aux) {
        aux = new CAuxParamDlg(*view.source(), &view);
        // Beside the view rather than over it.
        const QPoint corner = view.mapToGlobal(QPoint(view.width(), 0));
        aux->move(corner);
    }
    aux->show();
    aux->raise();
    if (RawFileView* raw = RawFileView::of(view))
        raw->graph()->ReportFrame();
    else if (view.heldFrame())
        showViewFrame(*aux, view);
}

void RawViewHooks::auxiliaryParameterDisplay(CKavroView& view)
{
    RawFileView* raw = RawFileView::of(view);
    if (!raw)
        return;
    CAuxDisplayDlg dialog(view.app().settings().display, view.source()->auxCalibration(), view.window());
    if (run_(dialog) == QDialog::Accepted)
        raw->selectionChanged();
}

void RawViewHooks::editCalibrationParameters(CMainFrame& frame, CKavroView* active)
{
    CKavroApp& app = frame.app();
    CCalibConstDlg dialog(app.profile(), app.prompter(), &frame);
    if (run_(dialog) != QDialog::Accepted)
        return;
    app.reportProfileWrite(dialog.written());
    if (!active || !active->source())
        return;
    CDataSource& source = *active->source();
    source.auxCalibration().Reload(app.profile());
    if (CAuxParamDlg* aux = auxWindowOf(*active)) {
        aux->RefreshCalibration();
        if (RawFileView* raw = RawFileView::of(*active))
            raw->graph()->ReportFrame();
    }
    // The graph's legend names the channels by their labels.
    if (RawFileView* raw = RawFileView::of(*active))
        raw->selectionChanged();
    source.setVolumeConversion(dialog.volConv());
}

void RawViewHooks::sizeDistributionDisplay(CKavroView& view)
{
    SizeDistributionLayout* layout = view.sizeLayout();
    FrameNavigator* navigator = view.navigator();
    if (!layout || !navigator)
        return;
    CKavroApp& app = view.app();
    // A file's animation pauses while the dialog is open; the instrument's timer is a
    // recording, which goes on.
    const bool pauses = view.sourceKind() != kKindInstrument && navigator->running();
    if (pauses)
        navigator->stop();

    DisplayParametersDialog::Values initial;
    initial.header = layout->header()->text().toStdString();
    initial.footer = layout->footer()->text().toStdString();
    initial.maxOrdinate = layout->maxOrdinate();
    initial.interval = navigator->interval();
    initial.showMean = app.settings().showMean;
    initial.showStdDev = app.settings().showStdDev;
    DisplayParametersDialog dialog(initial, app.prompter(), view.window());
    if (run_(dialog) == QDialog::Accepted) {
        const DisplayParametersDialog::Values& v = dialog.values();
        app.reportProfileWrite(
            app.settings().acceptDisplayParameters(app.profile(), v.showMean, v.showStdDev, v.header, v.footer));
        layout->setMaxOrdinate(v.maxOrdinate);
        layout->header()->SetText(v.header);
        layout->footer()->SetText(v.footer);
        const int interval = displayInterval(v.interval, view.sourceKind());
        navigator->setInterval(interval);
        if (CAnimationBar* bar = view.frame().animationBar())
            bar->setPosition(interval);
        layout->redrawPlots();
        layout->maxOrdinateLabel()->update();
    }
    if (pauses)
        navigator->toggle();
}

void RawViewHooks::outputOptions(CMainFrame& frame)
{
    CKavroApp& app = frame.app();
    OutputOptionsDialog dialog(app.settings().outputs, &frame);
    if (run_(dialog) == QDialog::Accepted)
        app.settings().outputs = dialog.switches();
}

void RawViewHooks::locations(CMainFrame& frame)
{
    CKavroApp& app = frame.app();
    LocationsDialog dialog(app.settings().calFiles, app.settings().pdFirst, &frame);
    const std::string storedData = app.settings().dataFiles;
    dialog.setDataFolder(storedData, CKavroApp::defaultDataFolder());
    if (run_(dialog) != QDialog::Accepted)
        return;
    bool written = app.settings().acceptLocations(app.profile(), dialog.directory(), dialog.lookBesideRawFile());
    if (dialog.dataFolder() != storedData)
        written = app.settings().acceptDataFolder(app.profile(), dialog.dataFolder()) && written;
    app.reportProfileWrite(written);
    frame.updateEmptyHint();
}

}  // namespace kavro
