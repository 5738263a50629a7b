#include "app/BackgroundHooks.h"

#include "app/BackgroundViewHost.h"
#include "app/CKavroApp.h"
#include "app/CKavroFrame.h"
#include "app/CKavroView.h"
#include "app/CMainFrame.h"
#include "auxiliary/ui/CHKGraphWnd.h"
#include "background/BackgroundBuild.h"
#include "background/ui/CAccumulateDlg.h"
#include "background/ui/CBackgroundInfoDlg.h"
#include "background/ui/CRingsWnd.h"
#include "core/CRawSource.h"
#include "core/Constants.h"
#include "resources/BackgroundTexts.h"

namespace kavro {

void BackgroundHooks::buildBackgroundScatterFile(CMainFrame& frame, CKavroView* active)
{
    (void)active;
    CKavroApp& app = frame.app();
    // The background files the open windows correct their frames by.
    std::vector<std::string> inUse;
    for (CKavroFrame* f : frame.frames())
        if (const auto* raw = f->view() ? dynamic_cast<const CRawSource*>(f->view()->source()) : nullptr)
            if (!raw->backgroundFileName().empty())
                inUse.push_back(raw->backgroundFileName());
    std::string written;
    buildBackgroundFromRawFile(app.settings(), app.profile(), app.prompter(),
                               verdictWindow(app.prompter(), runner_, &frame), {}, inUse, &written);
    if (!written.empty())
        frame.tell(text::kBackgroundWritten + written);
}

std::optional<int> BackgroundHooks::auxiliaryCursorFrame(CKavroView& view)
{
    const CHKGraphWnd* graph = view.findChild<CHKGraphWnd*>();
    if (!graph || graph->count() == 0)
        return std::nullopt;
    return graph->cursorFrame();
}

void BackgroundHooks::graphFrameReported(CKavroView& view, int frame)
{
    // An open Rings window of a raw data file follows the graph's cursor.
    BackgroundViewHost* host = BackgroundViewHost::find(view);
    if (host && host->rings() && host->rings()->isVisible())
        host->rings()->showRawFrame(frame);
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
