#pragma once
// Fixed texts of the processing core: file dialogs and messages of the calibration
// set, the background and the result files; names of the inversion's code paths.

namespace kavro::text {

inline constexpr const char* kCouldNotOpenFile = "Could not open the file ";  // followed by the full path

inline constexpr const char* kRingAreaTitle = "Open Ring Area Normalization File";
inline constexpr const char* kRingAreaFilter = "Ring Area (RingArea*.asc)|RingArea*.asc|All asc|*.asc|All (*.*)|*.*||";
inline constexpr const char* kRingAreaInitialName = "RingArea*.asc";
inline constexpr const char* kAscExtension = "asc";

inline constexpr const char* kBackgroundTitle = "Open Background Scatter File";
inline constexpr const char* kBackgroundFilter = "Bkgrnd Scatter (*.asc)|*.asc|All (*.*)|*.*||";
inline constexpr const char* kBackgroundInitialName = "zsc.asc";
inline constexpr const char* kFactoryBackgroundName = "factory_zsc.asc";

inline constexpr const char* kPsdOutputTitle = "Open OUTPUT Particle Size Distribution File";
inline constexpr const char* kPsdFilter = "Particle Sizes (*.psd)|*.psd|All (*.*)|*.*||";
inline constexpr const char* kPsdExtension = "psd";
inline constexpr const char* kPsdOpenTitle = "Open Particle Size Distribution File";
inline constexpr const char* kEmptyPsdFile = "Empty particle distribution file.";
inline constexpr const char* kNotKavroPsd =
    "This file does not appear to be a KAVRO400 Particle Size Distribution file.  Do you wish to continue?";
// After a message about a file: the file it is about.
inline constexpr const char* kFileNamed = "\nFile: ";  // + path
inline constexpr const char* kBadHeaderRecord = "Bad file header record.";
// A .psd being shown that another program cut short, deleted or replaced: the path,
// then what happened, then the end.
inline constexpr const char* kPsdChangedStart = "The file ";
inline constexpr const char* kPsdShrank = " has shrunk while this window shows it: it now holds ";  // + n
inline constexpr const char* kPsdShrankOf = " of the ";                                               // + m
inline constexpr const char* kPsdShrankRecords = " records it held when opened.";
inline constexpr const char* kPsdVanished = " has been deleted or replaced while this window shows it.";
inline constexpr const char* kPsdChangedEnd =
    " The window keeps the last frame it read and goes no further; open the file again to see what it holds now.";
// What a recording cut off by a power loss or a kill left at its end, each after "<file>: ".
inline constexpr const char* kZeroFilledRecords =
    "%lld zero-filled records at the end, left out: the recording was cut off";
inline constexpr const char* kZeroFilledRecord = "1 zero-filled record at the end, left out: the recording was cut off";
inline constexpr const char* kPartialRecordLeftOut =
    "part of a record at the end (%lld bytes), left out: the recording was cut off";
inline constexpr const char* kTimesHalfLine = "a half line at the end, left out: the recording was cut off";
// A .psd that ends in part of a record, opened in a window: the file name, then this
// (the bytes), then the end.
inline constexpr const char* kPartialRecord = " ends in part of a record (";
inline constexpr const char* kPartialRecordEnd =
    " bytes, most likely a recording that was cut off).  Every whole frame is shown; the part is not.";

// Told once when an output file stops taking data (disk full, file removed).
inline constexpr const char* kWriteFailed = "Could not write to the file ";  // path, ": ", reason

// Why writing stopped when the output file was deleted while being written.
// After a file name: two outputs of one recording would be that one file.
inline constexpr const char* kOutputNamedTwice =
    ": the .psd and an output beside it (.asc, .log, .time.csv) would be this one file; give the .psd "
    "another name (e.g. ending in .psd)";
// After a live output failed: "<failure>. Recording stopped; every output holds the same 6 frames."
inline constexpr const char* kOutputsStopped = ". Recording stopped; every output holds the same ";  // + n
inline constexpr const char* kOutputsStoppedFrames = " frames.";
// A .psd that a window is to show while another program or window writes it.
inline constexpr const char* kPsdBeingWritten = " is being written by another program or window.";  // after the path
// The time stamps of live frames beside the other outputs: "<name>.time.csv".
inline constexpr const char* kTimeStampSuffix = ".time.csv";
// The header line of the time file (the writers end it with a line end): each line
// names the frame by its .psd record, counting from 0.
inline constexpr const char* kTimeStampHeader = "record,utc";
// The header of time files written by earlier versions, whose lines count the
// frames from 1 (the frame's line in the .log); still read.
inline constexpr const char* kTimeStampOldHeader = "frame,utc";
// Reading <name>.time.csv; each shown after "<file>: ".
inline constexpr const char* kTimesCannotRead = "cannot read the time stamps";
inline constexpr const char* kTimesBadHeader = "the first line is not \"record,utc\" (nor \"frame,utc\")";
inline constexpr const char* kTimesBadLine = "line %lld: not \"number,YYYY-MM-DDTHH:MM:SS.mmmZ\"";
// Files beside a chosen .psd that exist already: "<files>", then the question.
inline constexpr const char* kReplaceBesideFiles = "These files exist already: ";
inline constexpr const char* kReplaceBesideAsk = ".  Do you want to replace them?";
// An output that would replace the recording being read.
inline constexpr const char* kOutputIsInput = "The output file would overwrite the input file ";

inline constexpr const char* kInstrumentSourceName = "Instrument";

// Why a cast cannot be continued, each after the file's path.
inline constexpr const char* kContinueMissing =
    " does not exist: a cast is continued only when every file this recording writes is there";
inline constexpr const char* kContinueNotPsd = " is not a .psd file of this program (no sound header)";
inline constexpr const char* kContinueModel = " was recorded with instrument model ";  // + letter
inline constexpr const char* kContinueModelNow = ", this recording is model ";         // + letter, "."
inline constexpr const char* kContinueBackground = " was processed with the background ";  // + path
inline constexpr const char* kContinueBackgroundNow = ", this recording with ";               // + path, "."
inline constexpr const char* kContinueCalibration =
    " was processed with another calibration (its class diameters differ from the calibration folder's)";
inline constexpr const char* kContinueHeader = " has another header record than this recording would write";
inline constexpr const char* kContinueNoTimeHeader = " holds no header line";
// "<file> holds 12 frames but <psd> holds 14: the files of the cast do not end together."
inline constexpr const char* kContinueHolds = " holds ";
inline constexpr const char* kContinueFramesBut = " frames but ";
inline constexpr const char* kContinueNotTogether =
    " frames: the files of the cast do not end together, so frames appended now would be paired wrongly";
// Told when a cast is continued: "Continuing cast7.psd after frame 41 (3 frames so far)".
inline constexpr const char* kContinuing = "Continuing ";          // + path
inline constexpr const char* kContinuingAfter = " after its ";      // + n
inline constexpr const char* kContinuingFrames = " frames";
inline constexpr const char* kContinuingDropped = "; a cut-off end of ";  // + n
inline constexpr const char* kContinuingDroppedEnd = " bytes was left out";
// A request that needs a file nobody named (kavro-cli always names them).
inline constexpr const char* kRequestLacks = "No file was given for: ";  // + dialog title

// Names of the inversion's code paths (benchmarks and diagnostics).
inline constexpr const char* kPathAuto = "auto";
inline constexpr const char* kPathBaseline = "baseline";
inline constexpr const char* kPathAvx2 = "avx2";
inline constexpr const char* kPathAvx512 = "avx512";
inline constexpr const char* kPathUnavailable = "This processor cannot run the inversion path ";

}  // namespace kavro::text
