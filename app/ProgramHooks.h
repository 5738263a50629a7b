#pragma once
// The program's windows joined to the shell: every command hook goes to each part in
// turn, and each part (raw-file browsing, option dialogs, communications, background
// scatter, ...) answers the hooks of its own windows and leaves the others alone.
#include "app/CommandHooks.h"

#include <memory>
#include <vector>

namespace kavro {

class ProgramHooks : public CommandHooks {
public:
    void add(std::unique_ptr<CommandHooks> part) { parts_.push_back(std::move(part)); }

    void buildBackgroundScatterFile(CMainFrame& frame, CKavroView* active) override;
    void editCalibrationParameters(CMainFrame& frame, CKavroView* active) override;
    void outputOptions(CMainFrame& frame) override;
    void locations(CMainFrame& frame) override;
    void showBuffer(CKavroView& view) override;
    void sendCommand(CKavroView& view) override;
    void accumulateAndAverage(CKavroView& view) override;
    void viewRings(CKavroView& view) override;
    void showAuxiliaryParameterFrame(CKavroView& view) override;
    void auxiliaryParameterDisplay(CKavroView& view) override;
    void sizeDistributionDisplay(CKavroView& view) override;
    void buildRawFileLayout(CKavroView& view) override;
    void rawFilePage(CKavroView& view, int commandId) override;
    void graphFrameReported(CKavroView& view, int frame) override;
    // True once a part has filled the panel.
    bool fillRawFileOverview(CKavroView& view, CastOverviewPanel& panel) override;
    void rawFileGoTo(CKavroView& view, int frame) override;
    void frameChanged(CKavroView& view) override;
    void bufferText(CKavroView& view, const std::string& text, bool rejected) override;

private:
    template <class Call>
    void each(Call call)
    {
        for (auto& part : parts_)
            call(*part);
    }
    std::vector<std::unique_ptr<CommandHooks>> parts_;
};

// The hooks of every window the program has.
std::unique_ptr<CommandHooks> makeProgramHooks();

}  // namespace kavro
