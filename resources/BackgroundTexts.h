#pragma once
// Fixed texts of the background scatter builder, its verdict and kavro-cli background.
// A "%d" in a text is replaced by a count.

#include "resources/RawFileTexts.h"  // the raw data filter and the multi-scan question

namespace kavro::text {

inline constexpr const char* kFactoryUnreadable = "Could not open the factory zero scatter file";
// A factory file chosen in the verdict window that does not hold its 40 numbers;
// followed by the file's path and, on a line of its own, the file still in use.
inline constexpr const char* kFactoryIncomplete = "This file does not hold the 40 numbers of a factory zero scatter file:\n";
inline constexpr const char* kFactoryStillInUse = "\nStill in use: ";
inline constexpr const char* kNoBackgroundRecords = "Unable to build background scattering file. No records read.";

// The verdict; every line ends with "\r\n".
inline constexpr const char* kBadFactoryFile = "BAD factory background scatter file.\r\n";
// The status bar after a background scatter file was written.
inline constexpr const char* kBackgroundWritten = "Background scatter file written: ";  // + path
// Saving a background over the one an open window corrects its frames by.
inline constexpr const char* kBackgroundInUseAsk =
    "\nis the background scatter file of a window that is open.  Replace it with the new background?";
inline constexpr const char* kLaserTooLow = "Laser power is too low compared to factory value.\r\n";
inline constexpr const char* kRingsExceedFactory =
    "Average ring values exceed factory by a factor of at least 2.0 for %d ring(s).\r\n";
inline constexpr const char* kZeroRingRecords = "Ring values of 0 occurred in %d record(s).\r\n";
inline constexpr const char* kSaturatedRecords = "Saturated ring values occurred in %d record(s).\r\n";
inline constexpr const char* kFramesCollected = "%d frames collected.\r\n";

// The file dialogs.
inline constexpr const char* kBackgroundOutputTitle = "Open OUTPUT background scattering File";
inline constexpr const char* kBackgroundOutputName = "zsc.asc";
inline constexpr const char* kAsciiFilter = "ASCII (*.asc)|*.asc|All (*.*)|*.* ||";
inline constexpr const char* kFactoryChooseTitle = "Open FACTORY background scattering File";
inline constexpr const char* kRawBackgroundTitle = "Open Raw Background Data File";

// The Rings window.
inline constexpr const char* kRingsTitle = "Rings";
inline constexpr const char* kRingsLegend = "Rings";
inline constexpr const char* kBackgroundLegend = "Background Scattering";
inline constexpr const char* kScaleBottom = "0";
inline constexpr const char* kScaleButton = "+/-";
inline constexpr const char* kLaserPowerLabel = "Laser Power";
inline constexpr const char* kFactoryLaserPowerLabel = "Factory Laser Power";
inline constexpr const char* kFramesLabel = "Frames";
// What the laser power read-out holds: the calibrated value when the window opens,
// each frame's raw count afterwards.
inline constexpr const char* kLaserPowerCalibrated = "Laser Power (calibrated)";
inline constexpr const char* kLaserPowerRaw = "Laser Power (raw)";
inline constexpr const char* kCountsUnit = "counts";
// The frame whose rings the window shows.
inline constexpr const char* kRingsFrameLabel = "Data Frame";
inline constexpr const char* kTransmissionCaption = "Transmission (%)";
inline constexpr const char* kGaugeLow = "0";
inline constexpr const char* kGaugeHigh = "100";
inline constexpr const char* kBeginBackground = "BEGIN Background Scatter File";
inline constexpr const char* kFinishBackground = "FINISH Background Scatter File";
inline constexpr const char* kCancelButton = "Cancel";

// Maximum Scale Setting (dialog 130).
inline constexpr const char* kMaxScaleTitle = "Maximum Scale Setting";
inline constexpr const char* kMaxScaleLabel = "Maximum Scale Value";

// Background Scatter Information.
inline constexpr const char* kInfoTitle = "Background Scatter Information";
inline constexpr const char* kFactoryButton = "Factory Background Scatter File";
inline constexpr const char* kFactoryLegend = "Factory Background Scattering";
inline constexpr const char* kAcceptButton = "Accept";

// Accumulate & Average Data Frames ("Paticles" is the window's own spelling).
inline constexpr const char* kAveragingTitle = "Accumulate & Average Data Frames";
inline constexpr const char* kFrameCountLabel = "Frame count:";
inline constexpr const char* kFramesToAverageLabel = "Number of frames to average:";
inline constexpr const char* kOutputFileLabel = "Output file:";
inline constexpr const char* kBrowseButton = "...";
inline constexpr const char* kWriteAscCheck = "ASCII Particle Size File ( .asc )";
inline constexpr const char* kWritePsdCheck = "Paticles Size Distribution file ( .psd )";
inline constexpr const char* kBeginAveraging = "BEGIN Collect Data Frames";
inline constexpr const char* kFinishAveraging = "FINISH Collect Data Frames";
inline constexpr const char* kAveragingOutputFilter = "Particle Sizes (*.psd)|*.psd|All (*.*)|*.* ||";
// An averaging output that is one of the files the instrument is being recorded to.
inline constexpr const char* kAveragingOutputInUse =
    "The averaged frame cannot go to a file that this instrument window is recording to: ";
// BEGIN with an output that cannot be written: the path, ": ", the reason.
inline constexpr const char* kAveragingCannotWrite = "The averaged frame could not be written to ";
// BEGIN without an output file: the average would go nowhere.
inline constexpr const char* kAveragingNoOutput =
    "No output file: choose the file for the averaged frame (\"Output file:\", \"...\") before BEGIN.";
// Cancel while collecting: "Averaging cancelled after <n> of <target> frames. The
// average of these <n> frames was written to <files>."
inline constexpr const char* kAveragingCancelledAfter = "Averaging cancelled after ";
inline constexpr const char* kAveragingCancelledOf = " of ";
inline constexpr const char* kAveragingCancelledFrames = " frames. The average of these ";
inline constexpr const char* kAveragingWrittenTo = " frames was written to ";
inline constexpr const char* kAveragingFilesAnd = " and ";

// kavro-cli background
inline constexpr const char* kCliMultiScanUndecided =
    "holds summed 16-scan records and AutoMultiScan is 0: say --multiscan yes or --multiscan no";
inline constexpr const char* kCliOutputWritten = "Background scatter file written: %s\n";
inline constexpr const char* kCliRatioStored = "LRefRatio %s stored in %s\n";
inline constexpr const char* kCliRatioUnchanged = "LRefRatio unchanged (laser reference or laser power not above 100)\n";

// A background accepted while a window records: "Use the new background from now on?
// The recording goes on in cast7-2.psd; cast7.psd keeps zsc.asc"  No: the new file is
// kept for the next cast and the recording goes on as it was.
inline constexpr const char* kNewBackgroundQuestion = "Use the new background from now on? The recording goes on in ";
inline constexpr const char* kNewBackgroundKeeps = " keeps ";
inline constexpr const char* kNewBackgroundUnnamed = "the background it was processed with";

}  // namespace kavro::text
