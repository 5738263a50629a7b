#pragma once
// Fixed texts of kavro-cli's own output (printf formats where they carry values).

namespace kavro::text {

// kavro-cli simulate
inline constexpr const char* kSimulatorOn = "Instrument simulator on %s\n";
inline constexpr const char* kSimulatorRecording = "Recording: %s (%zu frames)\n";
inline constexpr const char* kSimulatorSynthetic = "Recording: none, %zu synthesised frames\n";
inline constexpr const char* kSimulatorHint = "To use it as %s, set in section [Communications] of %s:\n  %sDevice=%s\n";
inline constexpr const char* kSimulatorStopHint = "Stop with Ctrl-C.\n";
inline constexpr const char* kNoPseudoTerminal = "the instrument simulator needs pseudo-terminals, which this system does not have";
inline constexpr const char* kLoopbackHungUp = "the simulated instrument hung up";
inline constexpr const char* kSimulatorSummary = "Frame requests: %ld, replies: %ld, dropped: %ld, other lines: %ld\n";

// kavro-cli makecal and simraw: the demo data
inline constexpr const char* kDemoRingAreaPrefix = "RingArea_";  // + model letter + ".asc"
inline constexpr const char* kDemoRecordingFile = "demo.raw";
inline constexpr const char* kTruthSuffix = "_truth.csv";  // beside the recording: demo.raw -> demo_truth.csv
// Their failures: "cannot open <path>: <reason>", "<path>: <problem>".
inline constexpr const char* kCannotOpen = "cannot open ";
inline constexpr const char* kCannotWrite = "cannot write ";
inline constexpr const char* kTooFewNumbers = "holds fewer numbers than the ";
inline constexpr const char* kNumbersNeeded = " needed";
inline constexpr const char* kTextAfter = "text that is not a number after value ";
inline constexpr const char* kNoLaserPower = "background laser power or laser reference is not above 100";
inline constexpr const char* kBadNumbers = "holds a value that is not positive and finite";

// Usage problems, each after "kavro-cli: ".
inline constexpr const char* kCliUnknownCommand = "unknown command '";  // + name + "'" + kCliCommandsHint
inline constexpr const char* kCliNoCommand = "no command given";        // + kCliCommandsHint
inline constexpr const char* kCliCommandsHint = "; 'kavro-cli help' lists the commands";
// A command this build leaves out: "plot" + kCliAbsentIn + the build + kCliAbsentBecause + the reason.
inline constexpr const char* kCliAbsentIn = " is not available in ";
#ifdef _WIN32
inline constexpr const char* kCliThisBuild = "the Windows build";
#else
inline constexpr const char* kCliThisBuild = "this build";
#endif
inline constexpr const char* kCliAbsentBecause = ": ";
inline constexpr const char* kCliPlotAbsentReason = "it draws with Qt, which this build of kavro-cli is made without";
inline constexpr const char* kCliPlotAbsentHelp = "(not in this build) draw quick-look pictures of .psd files";
inline constexpr const char* kCliSimulateAbsentReason =
    "it plays the instrument on a pseudo-terminal, which Windows does not have; run it on Linux";
inline constexpr const char* kCliSimulateAbsentHelp = "(not in this build) play the instrument on a pseudo-terminal";
// The refusals of the option checks, after "--option: ":
// "must be a whole number from 0 to 2, not '5'", "must be 1 or more", "must be auto, yes or no".
inline constexpr const char* kCliMustBe = "must be ";
inline constexpr const char* kCliNot = ", not ";
inline constexpr const char* kCliWholeNumber = "a whole number ";
inline constexpr const char* kCliNumber = "a number ";
inline constexpr const char* kCliWarning = "kavro-cli: warning: ";  // + what
inline constexpr const char* kCliUtcTime = "a UTC time such as 2026-12-09T02:20:45Z";
inline constexpr const char* kCliFrom = "from ";
inline constexpr const char* kCliTo = " to ";
inline constexpr const char* kCliOrMore = " or more";
inline constexpr const char* kCliOr = " or ";
inline constexpr const char* kCliNoStandardOutput = "-o -: ";  // + what + end
inline constexpr const char* kCliNoStandardOutputEnd = " cannot go to standard output; name a file";
// kavro-cli help and --version
inline constexpr const char* kCliHelpCommand = "Describe the commands, or one command in full";
inline constexpr const char* kCliHelpTopic = "the command to describe";
inline constexpr const char* kCliVersionHelp = "Print the program's name and version and exit";

// kavro-cli acquire
inline constexpr const char* kAcquireStart = "Acquiring from %s (%s), model %d. Stop with Ctrl-C.\n";
inline constexpr const char* kAcquireStatus =
    "\rFrame %d  transmission %s  mean diameter %s um  rejected %ld  no frame %ld   ";
inline constexpr const char* kAcquireSummary =
    "Frames written: %ld, rejected: %ld, suspect: %ld, requests without a frame: %ld\n";
inline constexpr const char* kAcquireFiles = "Files: ";  // + the outputs, separated by ", "
inline constexpr const char* kAcquireNoOutput =
    "nothing would be recorded: name the .psd with -o FILE, or ask for --asc, --vsf or --log";
// "<path>: the cast exists already: --append continues it, or -o cast7-2.psd starts a new one".
inline constexpr const char* kAcquireExists = ": the cast exists already: --append continues it, or -o ";
inline constexpr const char* kAcquireExistsEnd = " starts a new one";
inline constexpr const char* kAcquireNoRoom =
    "the disk has room for about %.0f minutes of frames at this interval in %s: free some space or choose another "
    "disk (--force records all the same)";
inline constexpr const char* kAcquireRoomLeft = "\n%sthe disk holds about %.0f more minutes of frames\n";
inline constexpr const char* kAcquireGaveUp = "; given up waiting (--give-up-after)";
inline constexpr const char* kAcquireHungUp =
    "stopped by SIGHUP (the terminal or session went away); every frame received has been written";
inline constexpr const char* kAcquireOpenFailed = "the instrument could not be opened";
inline constexpr const char* kAcquireListDevicesHelp =
    "list the serial devices present (USB adapters by name first) and the device of each port";
inline constexpr const char* kDevicesNone = "No serial devices found.\n";
inline constexpr const char* kDevicesHead = "Serial devices present:\n";
inline constexpr const char* kDevicesLine = "  %s\n";
inline constexpr const char* kDevicesPortsHead = "Ports (profile %s):\n";
inline constexpr const char* kDevicesPortLine = "  %s %s%s\n";  // port, device, note
inline constexpr const char* kDevicesMissing = "  (not present)";

}  // namespace kavro::text
