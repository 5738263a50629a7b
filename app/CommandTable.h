#pragma once
// Every command of the program in one table: its id, its texts in the two menus,
// where it sits, its accelerator, who handles it and when it is enabled.  The main
// frame builds menus 2 and 3 from it and evaluates the enable rules on the active
// child's source kind.
#include <span>

namespace kavro {

namespace cmd {
inline constexpr int OpenInstrument = 32780;
inline constexpr int OpenRawFile = 32778;
inline constexpr int OpenPsdFile = 32779;
inline constexpr int ExportData = 32810;
inline constexpr int BuildBackground = 32784;
inline constexpr int Locations = 32796;
inline constexpr int Print = 57607;
inline constexpr int PrintPreview = 57609;
inline constexpr int PrintSetup = 57606;
inline constexpr int Exit = 57665;
inline constexpr int ShowFrameSequence = 32787;
inline constexpr int GoToFirst = 32794;
inline constexpr int GoToPrev = 32791;
inline constexpr int GoToNext = 32792;
inline constexpr int GoToLast = 32793;
inline constexpr int GoToFrame = 32800;
inline constexpr int CastOverview = 32811;
inline constexpr int CastOverviewWindow = 32812;
inline constexpr int AccumulateAverage = 32805;
inline constexpr int AuxParameterFrame = 32795;
inline constexpr int ViewRings = 32802;
inline constexpr int EditCalibration = 32804;
inline constexpr int SizeDistributionDisplay = 32783;
inline constexpr int AuxParameterDisplay = 32798;
inline constexpr int Output = 32789;
inline constexpr int Cascade = 57650;
inline constexpr int Tile = 57651;
inline constexpr int ArrangeIcons = 57649;
inline constexpr int CloseWindow = 57602;
inline constexpr int NextWindow = 57680;
inline constexpr int PreviousWindow = 57681;
inline constexpr int ShowBuffer = 32770;
inline constexpr int SendCommand = 32775;
inline constexpr int About = 57664;
inline constexpr int HelpIndex = 57666;
inline constexpr int HelpUsing = 57668;
inline constexpr int Help = 57670;
// The program's own: open a recording or a .psd by its extension, and the user guide.
inline constexpr int OpenFile = 32814;
inline constexpr int UserGuide = 32815;
}  // namespace cmd

// Who carries a command out.
enum class Handler { Application, MainFrame, View, Framework };

// When a command is enabled, as a function of the active view's source kind.
enum class EnableRule {
    Always,
    NotRawFile,      // kind is not 1
    NotInstrument,   // kind is not 0
    PsdFileOnly,     // kind is 2
    InstrumentOnly,  // kind is 0
    RawFileOnly,     // kind is 1
    InstrumentOrRawFile,
    Never,
};

// The top-level menus the commands are grouped in.
enum class MenuGroup { None, File, DataFrames, Comm, Options, Window, Help };

struct Command {
    int id;
    const char* textMenu2;  // null: not in menu 2
    const char* textMenu3;  // null: not in menu 3
    MenuGroup group;
    bool separatorBefore;   // a separator above the item (when it is not the first of its menu)
    const char* accelerator;  // "Ctrl+A", or null
    Handler handler;
    EnableRule rule;
};

// The table in menu order.
std::span<const Command> commandTable();
// The command with this id, or null.
const Command* findCommand(int id);
bool isEnabled(EnableRule rule, int sourceKind);
// The title of a top-level menu.
const char* menuGroupTitle(MenuGroup group);

}  // namespace kavro
