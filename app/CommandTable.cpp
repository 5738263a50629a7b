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
    // The common key for opening: a raw recording or a .psd, told apart by the extension.
    Command{cmd::OpenFile, t::kCmdOpenFile, t::kCmdOpenFile, G::File, false, "Ctrl+O", Application, Always},
    Command{cmd::ExportData, nullptr, t::kCmdExport, G::File, true, nullptr, View, PsdFileOnly},
    Command{cmd::BuildBackground, t::kCmdBuildBackgroundMain, t::kCmdBuildBackgroundDoc, G::File, true, nullptr,
            MainFrame, Always},
    Command{cmd::Print, nullptr, t::kCmdPrint, G::File, true, nullptr, View, Always},
    Command{cmd::PrintPreview, nullptr, t::kCmdPrintPreview, G::File, false, nullptr, View, Always},
    Command{cmd::PrintSetup, nullptr, t::kCmdPrintSetup, G::File, false, nullptr, Application, Always},
    Command{cmd::Exit, t::kCmdExit, t::kCmdExit, G::File, true, "Ctrl+Q", Framework, Always},
    // DataFrames
    Command{cmd::ShowFrameSequence, nullptr, t::kCmdShowFrameSequence, G::DataFrames, false, "Ctrl+A", View, NotRawFile},
    Command{cmd::GoToFirst, nullptr, t::kCmdGoToFirst, G::DataFrames, true, "Ctrl+F", View, NotInstrument},
    Command{cmd::GoToPrev, nullptr, t::kCmdGoToPrev, G::DataFrames, false, "Ctrl+P", View, NotInstrument},
    Command{cmd::GoToNext, nullptr, t::kCmdGoToNext, G::DataFrames, false, "Ctrl+N", View, Always},
    Command{cmd::GoToLast, nullptr, t::kCmdGoToLast, G::DataFrames, false, "Ctrl+L", View, NotInstrument},
    Command{cmd::GoToFrame, nullptr, t::kCmdGoToFrame, G::DataFrames, false, "Ctrl+G", View, PsdFileOnly},
    Command{cmd::CastOverview, nullptr, t::kCmdCastOverview, G::DataFrames, false, nullptr, View, Always},
    Command{cmd::CastOverviewWindow, nullptr, t::kCmdCastOverviewWindow, G::DataFrames, false, nullptr, View,
            PsdFileOnly},
    // The menu text shows Ctrl+H, so the key does what it says.
    Command{cmd::AuxParameterFrame, nullptr, t::kCmdAuxFrame, G::DataFrames, true, "Ctrl+H", View, Always},
    Command{cmd::ViewRings, nullptr, t::kCmdViewRings, G::DataFrames, false, nullptr, View, InstrumentOrRawFile},
    Command{cmd::AccumulateAverage, nullptr, t::kCmdAccumulate, G::DataFrames, true, nullptr, View, InstrumentOnly},
    // Comm
    Command{cmd::ShowBuffer, nullptr, t::kCmdShowBuffer, G::Comm, false, nullptr, View, InstrumentOnly},
    Command{cmd::SendCommand, nullptr, t::kCmdSendCommand, G::Comm, false, nullptr, View, InstrumentOnly},
    // Options
    Command{cmd::SizeDistributionDisplay, nullptr, t::kCmdSizeDisplay, G::Options, false, nullptr, View, NotRawFile},
    Command{cmd::AuxParameterDisplay, nullptr, t::kCmdAuxDisplay, G::Options, false, nullptr, View, RawFileOnly},
    Command{cmd::Output, t::kCmdOutput, t::kCmdOutput, G::Options, true, nullptr, MainFrame, Always},
    Command{cmd::Locations, t::kCmdLocations, t::kCmdLocations, G::Options, false, nullptr, MainFrame, Always},
    Command{cmd::EditCalibration, t::kCmdCalibrationMain, t::kCmdCalibrationDoc, G::Options, false, nullptr, MainFrame,
            Always},
    // Window (the list of open windows follows these)
    Command{cmd::Cascade, nullptr, t::kCmdCascade, G::Window, false, nullptr, Framework, Always},
    Command{cmd::Tile, nullptr, t::kCmdTile, G::Window, false, nullptr, Framework, Always},
    Command{cmd::ArrangeIcons, nullptr, t::kCmdArrangeIcons, G::Window, false, nullptr, Framework, Always},
    Command{cmd::NextWindow, nullptr, t::kCmdNextWindow, G::Window, true, "Ctrl+Tab", Framework, Always},
    Command{cmd::PreviousWindow, nullptr, t::kCmdPreviousWindow, G::Window, false, "Ctrl+Shift+Tab", Framework, Always},
    Command{cmd::CloseWindow, nullptr, t::kCmdCloseWindow, G::Window, false, "Ctrl+F4", Framework, Always},
    // Help
    Command{cmd::UserGuide, t::kCmdUserGuide, t::kCmdUserGuide, G::Help, false, "F1", Application, Always},
    Command{cmd::About, t::kCmdAbout, t::kCmdAbout, G::Help, false, nullptr, Application, Always},
    // Help index, using help and help: no menu item, never enabled (F1 opens the user guide).
    Command{cmd::HelpIndex, nullptr, nullptr, G::None, false, nullptr, Application, Never},
    Command{cmd::HelpUsing, nullptr, nullptr, G::None, false, nullptr, Application, Never},
    Command{cmd::Help, nullptr, nullptr, G::None, false, nullptr, Application, Never},
};

// Two commands with one id would reach one handler; the table must never hold such a pair.
constexpr bool idsAreUnique()
{
    for (std::size_t i = 0; i < kCommands.size(); ++i)
        for (std::size_t j = i + 1; j < kCommands.size(); ++j)
            if (kCommands[i].id == kCommands[j].id)
                return false;
    return true;
}
static_assert(idsAreUnique(), "two commands share an id");

// Two commands on one key would leave the key to neither.
constexpr bool sameText(const char* a, const char* b)
{
    while (*a && *a == *b)
        ++a, ++b;
    return *a == *b;
}
constexpr bool acceleratorsAreUnique()
{
    for (std::size_t i = 0; i < kCommands.size(); ++i)
        for (std::size_t j = i + 1; j < kCommands.size(); ++j)
            if (kCommands[i].accelerator && kCommands[j].accelerator &&
                sameText(kCommands[i].accelerator, kCommands[j].accelerator))
                return false;
    return true;
}
static_assert(acceleratorsAreUnique(), "two commands share a key");

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
    case G::DataFrames:
        return t::kMenuDataFrames;
    case G::Comm:
        return t::kMenuComm;
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
