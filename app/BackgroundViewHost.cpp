#include "app/BackgroundViewHost.h"

#include "acquisition/CCommSource.h"

#include "app/CKavroApp.h"
#include "app/CKavroView.h"
#include "app/CMainFrame.h"
#include "app/FrameNavigator.h"
#include "background/ui/CAccumulateDlg.h"
#include "background/ui/CRingsWnd.h"
#include "core/HeldFrameSource.h"

namespace kavro {

BackgroundViewHost::BackgroundViewHost(CKavroView& view, DialogRunner runner)
    : QObject(&view), view_(view), runner_(std::move(runner))
{
}

BackgroundViewHost& BackgroundViewHost::of(CKavroView& view, const DialogRunner& runner)
{
    if (BackgroundViewHost* host = find(view))
        return *host;
    return *new BackgroundViewHost(view, runner);
}

BackgroundViewHost* BackgroundViewHost::find(CKavroView& view)
{
    return view.findChild<BackgroundViewHost*>(QString(), Qt::FindDirectChildrenOnly);
}

Settings& BackgroundViewHost::settings()
{
    return view_.app().settings();
}

Profile& BackgroundViewHost::profile()
{
    return view_.app().profile();
}

Prompter& BackgroundViewHost::prompter()
{
    return view_.app().prompter();
}

CDataSource& BackgroundViewHost::source()
{
    return *view_.source();
}

CRingsWnd& BackgroundViewHost::showRings()
{
    const bool made = !rings_;
    if (made)
        rings_ = new CRingsWnd(*this, &view_);
    rings_->show();
    rings_->raise();
    // A new window starts on the frame the view shows, held or newest.
    if (made && view_.heldFrame())
        showViewFrame(*rings_);
    else
        rings_->redraw();
    return *rings_;
}

void BackgroundViewHost::showViewFrame(CRingsWnd& rings)
{
    const HeldFrameSource* held = view_.heldFrame();
    if (!held || !held->words()) {
        rings.newFrame();
        return;
    }
    std::array<double, kFrameValues> values{};
    for (int i = 0; i < kFrameValues; ++i)
        values[static_cast<std::size_t>(i)] = held->rawValue(i);
    rings.showFrameValues(values, held->frameNumber());
}

CAccumulateDlg& BackgroundViewHost::showAveraging()
{
    if (!averaging_) {
        averagingFlag_ = false;
        averaging_ = new CAccumulateDlg(*this, &view_);
    }
    averaging_->show();
    averaging_->raise();
    return *averaging_;
}

void BackgroundViewHost::frameChanged()
{
    if (rings_)
        showViewFrame(*rings_);
    if (averagingCollects())
        averaging_->updateCount();
}

void BackgroundViewHost::collectionBegins(int intervalMs)
{
    FrameNavigator* navigator = view_.navigator();
    if (!navigator)
        return;
    timerBefore_ = TimerState{navigator->running(), navigator->interval()};
    if (intervalMs <= 0)
        return;
    navigator->setInterval(intervalMs);
    if (!navigator->running())
        navigator->toggle();
}

void BackgroundViewHost::collectionEnds()
{
    FrameNavigator* navigator = view_.navigator();
    if (!navigator || !timerBefore_)
        return;
    const TimerState before = *timerBefore_;
    timerBefore_.reset();
    navigator->setInterval(before.interval);
    // An instrument that went away meanwhile is not asked again.
    const auto* instrument = dynamic_cast<const CCommSource*>(view_.source());
    const bool mayRun = before.running && !(instrument && instrument->linkLost());
    if (navigator->running() != mayRun)
        navigator->toggle();
}

void BackgroundViewHost::refreshView()
{
    view_.refresh();
}

void BackgroundViewHost::tell(const std::string& text)
{
    if (CMainFrame* frame = view_.app().mainFrame())
        frame->tell(text);
}

void BackgroundViewHost::collectionChanged()
{
    if (rings_)
        rings_->redraw();
    if (averaging_)
        averaging_->showCollectionState();
}

}  // namespace kavro
