#pragma once
// The background scatter and averaging windows joined to the program: File > Build
// Background Scatter File, View Rings, Accumulate and Average Frames, and the
// frames that the Rings and averaging windows take after every frame change.
#include "app/CommandHooks.h"
#include "background/ui/BackgroundHost.h"

#include <optional>

namespace kavro {

class BackgroundHooks : public CommandHooks {
public:
    // runner shows the modal dialogs (Background Scatter Information, Maximum Scale
    // Setting); the program runs them, the tests answer them.
    explicit BackgroundHooks(DialogRunner runner = runModal) : runner_(std::move(runner)) {}

    void buildBackgroundScatterFile(CMainFrame& frame, CKavroView* active) override;
    void viewRings(CKavroView& view) override;
    void accumulateAndAverage(CKavroView& view) override;
    void frameChanged(CKavroView& view) override;

    // The frame under the auxiliary graph's cursor of a raw-data-file view; none
    // while the view has no such graph.
    static std::optional<int> auxiliaryCursorFrame(CKavroView& view);

private:
    DialogRunner runner_;
};

}  // namespace kavro
