#include "app/ProgramHooks.h"

#include "app/BackgroundHooks.h"
#include "app/CommunicationHooks.h"
#include "app/RawViewHooks.h"

namespace kavro {

void ProgramHooks::buildBackgroundScatterFile(CMainFrame& frame, CKavroView* active)
{
    each([&](CommandHooks& h) { h.buildBackgroundScatterFile(frame, active); });
}

void ProgramHooks::editCalibrationParameters(CMainFrame& frame, CKavroView* active)
{
    each([&](CommandHooks& h) { h.editCalibrationParameters(frame, active); });
}

void ProgramHooks::outputOptions(CMainFrame& frame)
{
    each([&](CommandHooks& h) { h.outputOptions(frame); });
}

void ProgramHooks::locations(CMainFrame& frame)
{
    each([&](CommandHooks& h) { h.locations(frame); });
}

void ProgramHooks::showBuffer(CKavroView& view)
{
    each([&](CommandHooks& h) { h.showBuffer(view); });
}

void ProgramHooks::sendCommand(CKavroView& view)
{
    each([&](CommandHooks& h) { h.sendCommand(view); });
}

void ProgramHooks::accumulateAndAverage(CKavroView& view)
{
    each([&](CommandHooks& h) { h.accumulateAndAverage(view); });
}

void ProgramHooks::viewRings(CKavroView& view)
{
    each([&](CommandHooks& h) { h.viewRings(view); });
}

void ProgramHooks::showAuxiliaryParameterFrame(CKavroView& view)
{
    each([&](CommandHooks& h) { h.showAuxiliaryParameterFrame(view); });
}

void ProgramHooks::auxiliaryParameterDisplay(CKavroView& view)
{
    each([&](CommandHooks& h) { h.auxiliaryParameterDisplay(view); });
}

void ProgramHooks::sizeDistributionDisplay(CKavroView& view)
{
    each([&](CommandHooks& h) { h.sizeDistributionDisplay(view); });
}

void ProgramHooks::buildRawFileLayout(CKavroView& view)
{
    each([&](CommandHooks& h) { h.buildRawFileLayout(view); });
}

void ProgramHooks::rawFilePage(CKavroView& view, int commandId)
{
    each([&](CommandHooks& h) { h.rawFilePage(view, commandId); });
}

void ProgramHooks::graphFrameReported(CKavroView& view, int frame)
{
    each([&](CommandHooks& h) { h.graphFrameReported(view, frame); });
}

bool ProgramHooks::fillRawFileOverview(CKavroView& view, CastOverviewPanel& panel)
{
    for (auto& part : parts_)
        if (part->fillRawFileOverview(view, panel))
            return true;
    return false;
}

void ProgramHooks::rawFileGoTo(CKavroView& view, int frame)
{
    each([&](CommandHooks& h) { h.rawFileGoTo(view, frame); });
}

void ProgramHooks::frameChanged(CKavroView& view)
{
    each([&](CommandHooks& h) { h.frameChanged(view); });
}

void ProgramHooks::bufferText(CKavroView& view, const std::string& text, bool rejected)
{
    each([&](CommandHooks& h) { h.bufferText(view, text, rejected); });
}

std::unique_ptr<CommandHooks> makeProgramHooks()
{
    auto hooks = std::make_unique<ProgramHooks>();
    // One line per group of windows:
    // hooks->add(std::make_unique<...Hooks>());
    hooks->add(std::make_unique<CommunicationHooks>());
    hooks->add(std::make_unique<BackgroundHooks>());
    hooks->add(std::make_unique<RawViewHooks>());
    return hooks;
}

}  // namespace kavro
