#include "app/CommunicationHooks.h"

#include "acquisition/CCommSource.h"
#include "acquisition/ui/CSendCommandDlg.h"
#include "acquisition/ui/CShowBufferWnd.h"
#include "app/CKavroView.h"
#include "app/FrameNavigator.h"
#include "core/Constants.h"

namespace kavro {

void CommunicationHooks::showBuffer(CKavroView& view)
{
    if (view.sourceKind() == kKindInstrument)
        CShowBufferWnd::openFor(view);
}

void CommunicationHooks::sendCommand(CKavroView& view)
{
    auto* source = dynamic_cast<CCommSource*>(view.source());
    if (!source)
        return;
    // While the user talks to the instrument the frame requests pause: the line is
    // theirs, and the reply stays in the receive-buffer window until the dialog closes
    // instead of giving way to the next frame within a second.
    FrameNavigator* navigator = view.navigator();
    const bool wasRunning = navigator && navigator->running();
    if (wasRunning)
        navigator->stop();
    CSendCommandDlg dialog(*source, &view);
    dialog.exec();
    if (wasRunning && !source->linkLost())
        navigator->toggle();
}

void CommunicationHooks::bufferText(CKavroView& view, const std::string& text, bool rejected)
{
    if (CShowBufferWnd* window = CShowBufferWnd::of(view))
        window->showText(text, rejected);
}

}  // namespace kavro
