#include "app/CommandTable.h"

#include "core/Constants.h"
#include "resources/AppTexts.h"
#include "resources/DataTexts.h"

#include <array>

namespace kavro {

namespace {

using enum Handler;
using enum EnableRule;
using G = MenuGroup;
namespace t = text;

constexpr std::array kCommands = {
    // File
    Command{cmd::OpenInstrument, t::kCmdOpenInstrument, t::kCmdOpenInstrument, G::File, false, nullptr, Application, Always},
    Command{cmd::OpenRawFile, t::kCmdOpenRawFile, t::kCmdOpenRawFile, G::File, false, nullptr, Application, Always},
    Command{cmd::OpenPsdFile, t::kCmdOpenPsdFile, t::kCmdOpenPsdFile, G::File, false, nullptr, Application, Always},
    Command{cmd::ExportData, nullptr, t::kCmdExport, G::File, true, nullptr, View, PsdFileOnly},
    Command{cmd::Print, nullptr, t::kCmdPrint, G::File, true, nullptr, View, Always},
    Command{cmd::PrintPreview, nullptr, t::kCmdPrintPreview, G::File, false, nullptr, View, Always},
    Command{cmd::PrintSetup, nullptr, t::kCmdPrintSetup, G::File, false, nullptr, Application, Always},
    Command{cmd::Exit, t::kCmdExit, t::kCmdExit, G::File, true, nullptr, Framework, Always},
    // Frames
    Command{cmd::ShowFrameSequence, nullptr, t::kCmdShowFrameSequence, G::Frames, false, "Ctrl+A", View, NotRawFile},
    Command{cmd::GoToFirst, nullptr, t::kCmdGoToFirst, G::Frames, true, "Ctrl+F", View, NotInstrument},
    Command{cmd::GoToPrev, nullptr, t::kCmdGoToPrev, G::Frames, false, "Ctrl+P", View, NotInstrument},
    Command{cmd::GoToNext, nullptr, t::kCmdGoToNext, G::Frames, false, "Ctrl+N", View, Always},
    Command{cmd::GoToLast, nullptr, t::kCmdGoToLast, G::Frames, false, "Ctrl+L", View, NotInstrument},
    Command{cmd::GoToFrame, nullptr, t::kCmdGoToFrame, G::Frames, false, "Ctrl+G", View, PsdFileOnly},
    Command{cmd::CastOverview, nullptr, t::kCmdCastOverview, G::Frames, false, nullptr, View, PsdFileOnly},
    // The "Ctrl+H" in this text has no accelerator behind it.
    Command{cmd::AuxParameterFrame, nullptr, t::kCmdAuxFrame, G::Frames, true, nullptr, View, Always},
    // Instrument
    Command{cmd::ShowBuffer, nullptr, t::kCmdShowBuffer, G::Instrument, false, nullptr, View, InstrumentOnly},
    Command{cmd::SendCommand, nullptr, t::kCmdSendCommand, G::Instrument, false, nullptr, View, InstrumentOnly},
    Command{cmd::AccumulateAverage, nullptr, t::kCmdAccumulate, G::Instrument, true, nullptr, View, InstrumentOnly},
    // Background
    Command{cmd::BuildBackground, t::kCmdBuildBackgroundMain, t::kCmdBuildBackgroundDoc, G::Background, false, nullptr,
            MainFrame, Always},
    Command{cmd::ViewRings, nullptr, t::kCmdViewRings, G::Background, false, nullptr, View, InstrumentOrRawFile},
    // Options
    Command{cmd::SizeDistributionDisplay, nullptr, t::kCmdSizeDisplay, G::Options, false, nullptr, View, NotRawFile},
    Command{cmd::AuxParameterDisplay, nullptr, t::kCmdAuxDisplay, G::Options, false, nullptr, View, RawFileOnly},
    Command{cmd::Output, t::kCmdOutput, t::kCmdOutput, G::Options, true, nullptr, MainFrame, Always},
    Command{cmd::Locations, t::kCmdLocations, t::kCmdLocations, G::Options, false, nullptr, MainFrame, Always},
    Command{cmd::EditCalibration, t::kCmdCalibrationMain, t::kCmdCalibrationDoc, G::Options, false, nullptr, MainFrame,
            Always},
    // Window
    Command{cmd::Cascade, nullptr, t::kCmdCascade, G::Window, false, nullptr, Framework, Always},
    Command{cmd::Tile, nullptr, t::kCmdTile, G::Window, false, nullptr, Framework, Always},
    Command{cmd::ArrangeIcons, nullptr, t::kCmdArrangeIcons, G::Window, false, nullptr, Framework, Always},
    // Help
    Command{cmd::About, t::kCmdAbout, t::kCmdAbout, G::Help, false, nullptr, Application, Always},
    // Help index, using help and help (F1, main frame's table): no menu item, never enabled.
    Command{cmd::HelpIndex, nullptr, nullptr, G::None, false, nullptr, Application, Never},
    Command{cmd::HelpUsing, nullptr, nullptr, G::None, false, nullptr, Application, Never},
    Command{cmd::Help, nullptr, nullptr, G::None, false, "F1", Application, Never},
};

}  // namespace

std::span<const Command> commandTable()
{
    return kCommands;
}

const Command* findCommand(int id)
{
    for (const Command& c : kCommands)
        if (c.id == id)
            return &c;
    return nullptr;
}

bool isEnabled(EnableRule rule, int sourceKind)
{
    switch (rule) {
    case Always:
        return true;
    case NotRawFile:
        return sourceKind != kKindRawFile;
    case NotInstrument:
        return sourceKind != kKindInstrument;
    case PsdFileOnly:
        return sourceKind == kKindPsdFile;
    case InstrumentOnly:
        return sourceKind == kKindInstrument;
    case RawFileOnly:
        return sourceKind == kKindRawFile;
    case InstrumentOrRawFile:
        return sourceKind == kKindInstrument || sourceKind == kKindRawFile;
    case Never:
        return false;
    }
    return false;
}

const char* menuGroupTitle(MenuGroup group)
{
    switch (group) {
    case G::File:
        return t::kMenuFile;
    case G::Frames:
        return t::kMenuFrames;
    case G::Instrument:
        return t::kMenuInstrument;
    case G::Background:
        return t::kMenuBackground;
    case G::Options:
        return t::kMenuOptions;
    case G::Window:
        return t::kMenuWindow;
    case G::Help:
        return t::kMenuHelp;
    case G::None:
        break;
    }
    return "";
}

}  // namespace kavro
