#pragma once
// Fixed texts of the desktop program: captions, menus, dialog bars, the main
// view's labels and the small dialogs of the application shell.

namespace kavro::text {

// Captions.
inline constexpr const char* kMainFrameTitle = "KAVRO";
inline constexpr const char* kCaptionSeparator = " - ";

// Top-level menus.
inline constexpr const char* kMenuFile = "&File";
inline constexpr const char* kMenuDataFrames = "&DataFrames";
inline constexpr const char* kMenuComm = "&Comm";
inline constexpr const char* kMenuOptions = "&Options";
inline constexpr const char* kMenuWindow = "&Window";
inline constexpr const char* kMenuHelp = "&Help";

// Commands.
inline constexpr const char* kCmdOpenInstrument = "Open &Instrument";
inline constexpr const char* kCmdOpenRawFile = "Open Ra&w Data File";
inline constexpr const char* kCmdOpenPsdFile = "Open Particle &Distribution File";
inline constexpr const char* kCmdBuildBackgroundMain = "&Build Background Scatter File";
inline constexpr const char* kCmdBuildBackgroundDoc = "Build &Background Scatter File";
inline constexpr const char* kCmdLocations = "&Locations...";
inline constexpr const char* kCmdPrint = "&Print...";
inline constexpr const char* kCmdPrintPreview = "Print Pre&view";
inline constexpr const char* kCmdPrintSetup = "P&rint Setup...";
inline constexpr const char* kCmdExit = "E&xit";
inline constexpr const char* kCmdShowFrameSequence = "&Show Frame Sequence\tCtrl+A";
inline constexpr const char* kCmdGoToFirst = "Go To &First\tCtrl+F";
inline constexpr const char* kCmdGoToPrev = "Go To &Prev\tCtrl+P";
inline constexpr const char* kCmdGoToNext = "Go To &Next\tCtrl+N";
inline constexpr const char* kCmdGoToLast = "Go To &Last\tCtrl+L";
inline constexpr const char* kCmdGoToFrame = "&Go To Frame ...\tCtrl+G";
inline constexpr const char* kCmdAccumulate = "&Accumulate and Average Frames";
inline constexpr const char* kCmdAuxFrame = "Show Au&xiliary Parameter Frame\tCtrl+H";
inline constexpr const char* kCmdViewRings = "View &Rings";
inline constexpr const char* kCmdCalibrationMain = "Edit Calibration Parameters";
inline constexpr const char* kCmdCalibrationDoc = "Edit &Calibration Parameters";
inline constexpr const char* kCmdSizeDisplay = "&Size Distribution Display";
inline constexpr const char* kCmdAuxDisplay = "&Auxiliary Parameter Display";
inline constexpr const char* kCmdOutput = "&Output";
inline constexpr const char* kCmdCascade = "&Cascade";
inline constexpr const char* kCmdTile = "&Tile";
inline constexpr const char* kCmdArrangeIcons = "&Arrange Icons";
inline constexpr const char* kCmdCloseWindow = "Cl&ose\tCtrl+F4";
inline constexpr const char* kCmdNextWindow = "Ne&xt\tCtrl+Tab";
inline constexpr const char* kCmdPreviousWindow = "Pre&vious\tCtrl+Shift+Tab";
// An entry of the Window menu's list of open windows: its number and caption.
inline constexpr const char* kWindowListItem = "&%1 %2";
// A second window on the same file or port: its title, this and its number.
inline constexpr const char* kInstanceSeparator = ":";
inline constexpr const char* kCmdShowBuffer = "Show &Buffer";
inline constexpr const char* kCmdSendCommand = "&Send Command";
inline constexpr const char* kCmdAbout = "&About KAVRO...";
inline constexpr const char* kCmdOpenFile = "&Open File...";
inline constexpr const char* kCmdUserGuide = "&User Guide";

// About box.
inline constexpr const char* kAboutTitle = "About KAVRO";
inline constexpr const char* kAboutText =
    "KAVRO companion, version 1.0\n"
    "Laser-diffraction particle sizes from the KAVRO submersible particle sizer.";

// Instrument models, in the order of the model lists.
inline constexpr const char* kModelNames[3] = {
    "KAVRO 400-A (5 - 500 micron)",
    "KAVRO 400-B (1 - 250 micron)",
    "KAVRO 400-C (2.5 - 500 micron)",
};

// Instrument Port and Instrument Model dialogs.
inline constexpr const char* kInstrumentPortTitle = "Instrument Port";
inline constexpr const char* kInstrumentModelTitle = "Instrument Model";
inline constexpr const char* kSerialPortLabel = "Serial Port:";
inline constexpr const char* kInstrumentModelLabel = "Instrument Model:";
inline constexpr const char* kSerialDeviceLabel = "Device:";
inline constexpr const char* kSerialDeviceTip =
    "The serial device the chosen port opens: one of those present, or a path typed in. "
    "Stored in the profile as the port's device and used from this opening on.";
inline constexpr const char* kNoSerialDevices = "no serial device found; type a path";
inline constexpr const char* kPortDevicesLabel = "Ports now:";
inline constexpr const char* kPortDeviceMissing = " (not present)";

// Go To Frame dialog (the title ends in a blank).
inline constexpr const char* kGoToTitle = "Go To ";
inline constexpr const char* kGoToFrameLabel = "Frame:";

// Animation bar.
inline constexpr const char* kIntervalLow = "0.0";
inline constexpr const char* kIntervalHigh = "5.0";
inline constexpr const char* kIntervalTitle = "Interval (Sec)";
// The line at the foot of a printed page: the file, the frame, its time, the print date.
inline constexpr const char* kPrintCaptionSeparator = "     ";
inline constexpr const char* kPrintedOn = "Printed ";
inline constexpr const char* kPrintedUtc = " UTC";
inline constexpr const char* kIntervalValueUnit = " s";  // after the interval chosen, in seconds
inline constexpr const char* kTimerOff = "Timer-OFF";
inline constexpr const char* kTimerOn = "Timer-ON";
inline constexpr const char* kDisplayButton = "Display";
inline constexpr const char* kFirstButton = "| > First";
inline constexpr const char* kPrevButton = "< Prev";
inline constexpr const char* kNextButton = "Next  >";
inline constexpr const char* kLastButton = "Last < |";
inline constexpr const char* kAccumulateButton = "Accumulate and Average";

// Labels of the size-distribution view.
inline constexpr const char* kMakerLabel = "Tolvane";
inline constexpr const char* kFrameLabel = "Frame:";
// "Data Frame: %d"; each statistic is its label, a blank, the value as "%.2lf",
// a blank and its unit.
inline constexpr const char* kDataFramePrefix = "Data Frame: ";
inline constexpr const char* kMeanLabel = "Mean:";
inline constexpr const char* kStdDevLabel = "Std Dev:";
inline constexpr const char* kTotalVolLabel = "Total Vol Conc:";
// Under the frame number: what is wrong with the frame shown, in the order of its flag
// bits (laser, too clear, too turbid, saturated rings, rings at zero, no background, no
// particles), joined by kFrameQualitySeparator; nothing for a sound frame.
inline constexpr const char* kFrameQualityTexts[7] = {
    "No usable laser light", "Water too clear", "Water too turbid", "Saturated rings", "Rings at zero",
    "No background", "No particles"};
inline constexpr const char* kFrameQualitySeparator = " \u00b7 ";
// Units: of a diameter (mean, standard deviation) and of a volume concentration.
inline constexpr const char* kDiameterUnit = "µm";
inline constexpr const char* kConcentrationUnit = "µl/l";
inline constexpr const char* kSizeGraphTitle = "Particle Size Distribution";
inline constexpr const char* kVsfGraphTitle = "Volume Scattering Function";
inline constexpr const char* kOrdinateUnit = kConcentrationUnit;
inline constexpr const char* kOrdinateZero = "0";
inline constexpr const char* kVsfTop = " +5";
inline constexpr const char* kVsfBottom = "  -5";
inline constexpr const char* kVsfTitle = "  log10";
inline constexpr const char* kSizeUnit = kDiameterUnit;
inline constexpr const char* kAngleUnit = "degrees";

// Axis labels by instrument model: left, middle, right.
inline constexpr const char* kSizeAxis[3][3] = {{"5", "50", "500"}, {"1", "17", "250"}, {"2.5", "35", "500"}};
inline constexpr const char* kAngleAxis[3][3] = {
    {"0.049", "0.487", "4.87"}, {"0.097", "1.38", "19.5"}, {"0.049", "0.689", "9.74"}};

// A number box that does not hold a number.
inline constexpr const char* kEnterInteger = "Please enter an integer.";
inline constexpr const char* kEnterNumber = "Please enter a number.";
inline constexpr const char* kEnterPositive = "Please enter a number above 0.";
inline constexpr const char* kInTheBox = "\nIn the box: ";  // + the box's label
// Go To Frame: a number past the file's last frame.
inline constexpr const char* kFrameOutOfRange = "There is no frame ";  // + number + kFrameRange + last
inline constexpr const char* kFrameRange = " in this file: its frames are 0 to ";

// A printer (or PDF file) that would not take the page.
inline constexpr const char* kPrintFailed = "The page could not be printed.";

// A dialog's choice that could not be stored: followed by the profile's path, ": " and the reason.
inline constexpr const char* kSettingsNotWritten = "The settings could not be written to ";

// The status lines of an instrument window.  Under the frame number: what the last
// request brought; at the bottom: whether and where the frames are recorded.
inline constexpr const char* kWaitingForInstrument = "Waiting for the instrument ... ";  // + seconds, " s"
inline constexpr const char* kSecondsUnit = " s";
// After the waiting text when the request before got no frame either.
inline constexpr const char* kWaitingAfterNoFrame = " (the request before got no frame)";
inline constexpr const char* kNoFrameNoReply = "No frame for this request: no reply within ";  // + CommWait, " s"
inline constexpr const char* kNoFrameRejected =
    "No frame for this request: its text was rejected (see Show Buffer)";
inline constexpr const char* kNoFrameLinkLost = "No frame: the instrument is lost";
// After a frame, when some requests brought none: "<n> rejected, <m> requests without a frame".
inline constexpr const char* kRejectedCount = " rejected, ";
inline constexpr const char* kWithoutFrameCount = " requests without a frame";
inline constexpr const char* kRecordingTo = "Recording: ";  // + the files
// The status bar after a command has written something.
inline constexpr const char* kExported = "Exported to ";  // + path
inline constexpr const char* kCastSaved = "Cast picture saved: ";  // + path
inline constexpr const char* kProcessed = "Processed ";  // + frames + kProcessedFramesInto + the files
inline constexpr const char* kProcessedFramesInto = " frames into ";
inline constexpr const char* kProcessedFrameInto = " frame into ";
// The empty workspace: what to do first.
inline constexpr const char* kEmptyWorkspaceHint =
    "To begin, open a recording (File > Open Raw Data File, or Ctrl+O), a result file "
    "(File > Open Particle Distribution File) or the instrument (File > Open Instrument).\n\n"
    "F1 opens the user guide.";
inline constexpr const char* kEmptyWorkspaceCalibration =
    "\n\nCalibration files are looked for in ";  // + folder
inline constexpr const char* kEmptyWorkspaceCalibrationEnd =
    ".  Set the calibration folder in Options > Locations.";
// After "Could not open the file" for a file of the calibration folder.
inline constexpr const char* kCalibrationFolderHint = "\n\nCalibration files are looked for in ";  // + folder
inline constexpr const char* kCalibrationFolderHintEnd =
    ".  Set the calibration folder in Options > Locations.";
// Open File (Ctrl+O): recordings and results in one dialog.
inline constexpr const char* kOpenFileTitle = "Open File";
inline constexpr const char* kOpenFileFilter =
    "Recordings and Results (*.psd;*.raw;*.bin;*.dat)|*.psd;*.raw;*.bin;*.dat|Particle Sizes (*.psd)|*.psd|"
    "Kavro Data (*.raw;*.bin;*.dat)|*.raw;*.bin;*.dat|All (*.*)|*.*||";
// F1: the user guide.
inline constexpr const char* kNoUserGuide = "The user guide was not found.  It is installed as\n";  // + path
inline constexpr const char* kNoUserGuideEnd =
    "\n(cmake --install puts it there); it is also docs/desktop.md in the program's source.";
inline constexpr const char* kUserGuideNotShown = "No program could show the user guide: ";  // + path
// Opening files: a path that names nothing.
inline constexpr const char* kFileDoesNotExist = "The file does not exist: ";  // + path
// Open Instrument with no output on: asked before the first request.
inline constexpr const char* kRecordingQuestionTitle = "Record the frames?";
inline constexpr const char* kRecordingQuestion =
    "No output is on (Options > Output): the frames from the instrument would be shown but not kept.\n\n"
    "Record them to\n";  // + the proposed .psd
inline constexpr const char* kRecordingQuestionEnd =
    "\nwith the .log of the raw frames and the time file beside it?  The save dialog that follows "
    "lets you change the name.";
inline constexpr const char* kRecordButton = "Record";
// A live recording whose disk would fill within the hour (minutes, folder).
inline constexpr const char* kLittleRoomQuestion =
    "The disk has room for about %.0f minutes of frames at one a second in %s: the cast would stop when it is "
    "full. Record there all the same?";
// The banner of a live window whose line has gone away.
inline constexpr const char* kReconnectNow = "Reconnect now";
// The .psd chosen for a live recording exists already.
inline constexpr const char* kExistingCastTitle = "The cast exists";
inline constexpr const char* kExistingCastQuestion = "";  // + path
inline constexpr const char* kExistingCastQuestionEnd =
    " exists already. Continue this cast in its files (the frame numbers run on after its last frame), record a "
    "new cast under a free name, or replace every file of it?";
inline constexpr const char* kContinueCastButton = "Continue this cast";
inline constexpr const char* kNewCastButton = "New cast: ";  // + the free name
inline constexpr const char* kReplaceCastButton = "Replace";
inline constexpr const char* kWithoutRecordingButton = "Continue without recording";
// Closing a window (or the program) while it records from the instrument.
inline constexpr const char* kStopRecordingAsk = "Recording to ";  // + the .psd's file name
inline constexpr const char* kStopRecordingAskEnd = ": stop recording and close?";
inline constexpr const char* kNotRecording = "Not recording: no instrument output is on (Options > Output)";
// Once the timer has stopped or the instrument is lost: what was recorded.
inline constexpr const char* kStopped = "Stopped: ";  // + frames + kStoppedFramesIn + the files
// While the line is away the cast stays open: "Waiting for the instrument: 10 frames in ...".
inline constexpr const char* kStoppedLost = "Waiting for the instrument: ";
inline constexpr const char* kStoppedFramesIn = " frames in ";
inline constexpr const char* kStoppedFrameIn = " frame in ";
inline constexpr const char* kStoppedNothingRecorded = "Stopped: nothing was recorded (no instrument output is on)";
inline constexpr const char* kRecordingFailed = "Recording failed: ";  // + what went wrong
// Before the timer first runs: where the frames will go.
inline constexpr const char* kReadyToRecord = "Ready to record: ";  // + the files + kReadyToRecordEnd
inline constexpr const char* kReadyToRecordEnd = " - press the timer button (Timer-OFF) to record";
// The instrument window's large recording-state band.
inline constexpr const char* kIndicatorRec = "\u25CF REC";  // + elapsed time, + frames
inline constexpr const char* kIndicatorReady = "READY - press the timer button (Timer-OFF) to record";
inline constexpr const char* kIndicatorStopped = "STOPPED";  // + frames
inline constexpr const char* kIndicatorLost = "LOST - waiting for the instrument";
inline constexpr const char* kIndicatorNotRecording = "NOT RECORDING - no instrument output is on";
inline constexpr const char* kIndicatorFailed = "RECORDING FAILED";  // + frames kept
inline constexpr const char* kIndicatorSeparator = "   \u00B7   ";
inline constexpr const char* kIndicatorFrames = " frames";
inline constexpr const char* kIndicatorFrame = " frame";

// Raw-data-file view.
inline constexpr const char* kRawViewTitle = "Orvandel (KAVRO)";
inline constexpr const char* kRingsTop = "32";
inline constexpr const char* kRingsBottom = "1";
inline constexpr const char* kRingAxisTitle = "Rings";
inline constexpr const char* kImageCaption = "Data File";
inline constexpr const char* kColourScaleTop = "4095";
inline constexpr const char* kColourScaleBottom = "0";
inline constexpr const char* kColourScaleTitle = "Scale";
inline constexpr const char* kGraphTop = "4095";
inline constexpr const char* kGraphBottom = "0";
inline constexpr const char* kGraphCaption = "Auxiliary Parameters";
inline constexpr const char* kBlankFrameLabel = " ";

// Frame-select bar (dialog 114).
inline constexpr const char* kSelectFrameLabel = "Frame";
inline constexpr const char* kSelectFirstButton = "Select First";
inline constexpr const char* kSelectLastButton = "Select Last";
inline constexpr const char* kProcessFileButton = "Process File";
inline constexpr const char* kProcessingButton = "Processing";
inline constexpr const char* kFinishedButton = "Finished";
// Two blanks at the end.
inline constexpr const char* kFirstExceedsLast = "Invalid value:\nFirst frame number exceeds last frame number.  ";
// A range that lies outside the recording.
inline constexpr const char* kFirstBelowZero = "Invalid value:\nFirst frame number is less than 0.";
// Followed by the recording's last frame number and a full stop.
inline constexpr const char* kFirstBeyondFile = "Invalid value:\nFirst frame number exceeds the last frame of the file, ";
inline constexpr const char* kNoFramesToProcess = "The file holds no frames to process.";
// A run that ended without a single frame processed (the file could not be read).
inline constexpr const char* kNothingProcessedButton = "Nothing Processed";
inline constexpr const char* kNothingProcessed = "No frame could be processed: the result file holds no frames.";

// Display Parameters (dialog 112).
inline constexpr const char* kDisplayParametersTitle = "Display Parameters";
inline constexpr const char* kHeaderTextLabel = "Header Text:";
inline constexpr const char* kFooterTextLabel = "Footer Text:";
inline constexpr const char* kMaxOrdinateLabel = "Maximum ordinate value:";
inline constexpr const char* kIntervalLabel = "Animation frame interval:";
inline constexpr const char* kMillisec = "millisec";
inline constexpr const char* kShowMeanBox = "Show mean on plot";
inline constexpr const char* kShowStdDevBox = "Show +/- one standard deviation on plot";

// Output Options (dialog 113); the boxes in the order of the switches 0..8.
inline constexpr const char* kOutputOptionsTitle = "Output Options";
inline constexpr const char* kRealtimeGroup = "Realtime Instrument Data";
inline constexpr const char* kRawFileGroup = "Raw Data File";
inline constexpr const char* kOutputBox[9] = {
    "Build an ASCII particle size file. ( .asc)",
    "Build an ASCII raw data file. ( .log)",
    "Build a binary particle size file. ( .psd)",
    "Build a binary raw data file. ( .raw)",
    "Include Volume Scattering Function in ASCII file.",
    "Build an ASCII particle size file. ( .asc)",
    "Build an ASCII raw data file. ( .log)",
    "Build a binary particle size file. ( .psd)",
    "Include Volume Scattering Function in ASCII file.",
};
// Two blanks after the first full stop.
inline constexpr const char* kOutputNote =
    "Selections do NOT apply to data sources already open.  Selections apply only to subsequent openings.";

// Locations (dialog 117).
inline constexpr const char* kLocationsTitle = "Location of Calibration / Inversion Information Files";
inline constexpr const char* kLocationsText = "Look for calibration / inversion files in the specified directory.";
inline constexpr const char* kLocationsFiles = "( Inversion matrices,  Ring Area,  Gain )";
inline constexpr const char* kDirectoryLabel = "Directory:";
inline constexpr const char* kBackgroundGroup = "Background Scatter File";
inline constexpr const char* kLookBesideRawFile = "Look first in location of raw data file.";
inline constexpr const char* kBrowseFolderButton = "Browse...";
inline constexpr const char* kChooseCalibrationFolder = "Calibration / Inversion Files Folder";
// The folder the instrument's recordings are proposed in (empty: the documents folder).
inline constexpr const char* kRecordingsGroup = "Recordings from the instrument: folder proposed for new files";
inline constexpr const char* kChooseDataFolder = "Folder for Recordings";
// Shown under the folder while the text typed there names no existing folder.
inline constexpr const char* kNoSuchFolder = "This folder does not exist: no calibration files can be found there.";

// Cast Overview: the whole .psd file in one picture.
inline constexpr const char* kCmdCastOverview = "Cast &Overview";
inline constexpr const char* kCastOverviewButton = "Overview";
inline constexpr const char* kCastOverviewTitle = "Cast Overview - ";  // + file name
inline constexpr const char* kCastPrintButton = "Print...";
inline constexpr const char* kCastSaveButton = "Save Picture...";
inline constexpr const char* kCastSaveTitle = "Save Cast Picture";
inline constexpr const char* kCastSaveFilter =
    "PNG Picture (*.png)|*.png|PDF Document (*.pdf)|*.pdf|SVG Drawing (*.svg)|*.svg||";
inline constexpr const char* kCastSaveFilterNoSvg = "PNG Picture (*.png)|*.png|PDF Document (*.pdf)|*.pdf||";
inline constexpr const char* kCastSaveFailed = "The picture could not be written to ";  // + path
inline constexpr const char* kCastUnreadable = "The file could not be read for the overview: ";  // + reason
// The overview as a panel beside the frame plots (the command above shows or hides
// it); the separate window stays available.
inline constexpr const char* kCmdCastOverviewWindow = "Cast Overview in a &Window";
// Profile key that remembers whether the windows were last used maximised: a new
// window then opens maximised.
inline constexpr const char* kWindowsSection = "Windows";
inline constexpr const char* kWindowsMaximizedKey = "Maximized";
// The same for the main window itself.
inline constexpr const char* kMainMaximizedKey = "MainMaximized";
// Profile keys that remember whether the panel is shown, by kind of window.
inline constexpr const char* kCastPanelSection = "Cast Overview";
inline constexpr const char* kCastPanelLiveKey = "PanelLive";
inline constexpr const char* kCastPanelFileKey = "PanelFile";
// The live panel's line above the picture; %1 is the frame number.
inline constexpr const char* kCastFollowing = "Newest frame %1 - click the picture to look at an earlier frame";
inline constexpr const char* kCastViewing =
    "Viewing frame %1 while new frames keep coming - click the newest frame or press End to follow";
inline constexpr const char* kCastWaitingForFrames = "The cast grows here as frames arrive";
inline constexpr const char* kCastFollowButton = "Follow Newest";
// A raw recording's panel while its frames are processed in the background, and
// when that ended early; %1 frames done of %2, %3 the reason.
inline constexpr const char* kCastScanProgress = "Processing the recording for the overview: %1 of %2 frames";
inline constexpr const char* kCastScanFailed = "The overview holds %1 of %2 frames: %3";
inline constexpr const char* kCastPanelRawKey = "PanelRaw";
// The share of the width (per mille) the frame panel keeps beside the overview, once
// the divider has been dragged.
inline constexpr const char* kCastPanelSplitKey = "Split";


// The desktop program's command line.
inline constexpr const char* kDesktopUsage =
    "Usage: kavro [OPTION...] [FILE...]\n"
    "The desktop program of KAVRO companion: size distributions of the KAVRO particle sizer,\n"
    "from raw recordings, result files or the instrument.\n"
    "\n"
    "Each FILE opens in a window of its own: a .psd result file as with File > Open Particle\n"
    "Distribution File, any other file as a raw recording (File > Open Raw Data File, whose\n"
    "next questions follow as usual).\n"
    "\n"
    "Options:\n"
    "  -h, --help     print this help and exit\n"
    "  --version      print the version and exit\n"
    "  --             every argument after it is a file\n"
    "Qt's own options (-platform, -style, ...) are taken as well.\n";
inline constexpr const char* kDesktopVersion = "kavro ";  // + version
inline constexpr const char* kDesktopUnknownOption = "unknown option ";  // + the option
inline constexpr const char* kDesktopTryHelp = "Try 'kavro --help'.";

}  // namespace kavro::text
