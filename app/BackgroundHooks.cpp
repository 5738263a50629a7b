#include "app/BackgroundHooks.h"

#include "app/BackgroundViewHost.h"
#include "app/CKavroApp.h"
#include "app/CKavroView.h"
#include "app/CMainFrame.h"
#include "background/BackgroundBuild.h"
#include "background/ui/CAccumulateDlg.h"
#include "background/ui/CBackgroundInfoDlg.h"
#include "background/ui/CRingsWnd.h"
#include "core/Constants.h"

namespace kavro {

void BackgroundHooks::buildBackgroundScatterFile(CMainFrame& frame, CKavroView* active)
{
    (void)active;
    CKavroApp& app = frame.app();
    buildBackgroundFromRawFile(app.settings(), app.profile(), app.prompter(),
                               verdictWindow(app.prompter(), runner_, &frame));
}

std::optional<int> BackgroundHooks::auxiliaryCursorFrame(CKavroView& view)
{
    // The auxiliary graph (CHKGraphWnd) of the raw-data-file layout is not part of
    // the program yet.  Once it is, this answers its cursor frame:
    //     if (auto* graph = view.findChild<CHKGraphWnd*>()) return graph->cursorFrame();
    (void)view;
    return std::nullopt;
}

void BackgroundHooks::viewRings(CKavroView& view)
{
    const int kind = view.sourceKind();
    if (kind != kKindInstrument && kind != kKindRawFile)
        return;
    CRingsWnd& rings = BackgroundViewHost::of(view, runner_).showRings();
    // A raw data file shows the frame under the graph's cursor (read, not processed:
    // the file's results are written by Process File alone).
    if (kind == kKindRawFile)
        if (std::optional<int> frame = auxiliaryCursorFrame(view))
            rings.showRawFrame(*frame);
}

void BackgroundHooks::accumulateAndAverage(CKavroView& view)
{
    if (view.sourceKind() == kKindInstrument)
        BackgroundViewHost::of(view, runner_).showAveraging();
}

void BackgroundHooks::frameChanged(CKavroView& view)
{
    if (BackgroundViewHost* host = BackgroundViewHost::find(view))
        host->frameChanged();
}

}  // namespace kavro
