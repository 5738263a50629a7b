#include "app/CommunicationHooks.h"

#include "acquisition/CCommSource.h"
#include "acquisition/ui/CSendCommandDlg.h"
#include "acquisition/ui/CShowBufferWnd.h"
#include "app/CKavroView.h"
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
    // The frame timer goes on while the dialog is open: a recording never pauses for a
    // command.  A command and its reply take the line between two requests (the
    // exchange runs to its end before the next tick), so no request crosses it.
    CSendCommandDlg dialog(*source, &view);
    dialog.exec();
}

void CommunicationHooks::bufferText(CKavroView& view, const std::string& text, bool rejected)
{
    if (CShowBufferWnd* window = CShowBufferWnd::of(view))
        window->showText(text, rejected);
}

}  // namespace kavro
