#pragma once
// The communication windows joined to the program: Show Buffer and Send Command of
// an instrument view, and the instrument's texts carried to the view's
// receive-buffer window while one is open.
#include "app/CommandHooks.h"

namespace kavro {

class CommunicationHooks : public CommandHooks {
public:
    void showBuffer(CKavroView& view) override;
    void sendCommand(CKavroView& view) override;
    void bufferText(CKavroView& view, const std::string& text, bool rejected) override;
};

}  // namespace kavro
