#pragma once
// Fixed texts of the instrument link: why a serial port could not be opened or
// stopped working (each is shown after the device path and ": "), and the texts of
// the windows that talk to the instrument directly.

namespace kavro::text {

// A raw recording's frames could not all be processed for its overview, for want of a reason.
inline constexpr const char* kCastScanUnknownFailure = "the processing of a frame failed";

inline constexpr const char* kSerialNoSuchDevice = "no such device (is the instrument's USB adapter plugged in?)";
inline constexpr const char* kSerialInUse = "in use by another program";
inline constexpr const char* kSerialHeldHere = "already open in this program (another window has it)";
inline constexpr const char* kSerialPermissionDenied = "permission denied (add your user to the dialout group)";
inline constexpr const char* kSerialNotATerminal = "not a serial port";
inline constexpr const char* kSerialCannotOpen = "cannot open: ";          // + the system's reason
inline constexpr const char* kSerialNoDeviceConfigured = "no device configured for this port";
inline constexpr const char* kSerialCannotConfigure = "cannot set up the line: ";  // + the system's reason
inline constexpr const char* kSerialUnsupportedBaud = "unsupported baud rate ";    // + the rate
inline constexpr const char* kSerialGone =
    "the device went away (USB adapter unplugged or line hung up)";
inline constexpr const char* kSerialIoError = "input/output error: ";       // + the system's reason
inline constexpr const char* kSerialWriteTimeout = "the line takes no data (write timed out)";
inline constexpr const char* kSerialNotOpen = "port not open";


// The instrument source.  Each is followed by the port name, " - " and the link's
// reason (which names the device).
inline constexpr const char* kInstrumentPortFailed = "Could not open the instrument port ";
inline constexpr const char* kInstrumentLost = "Lost the instrument on ";
// While a cast waits for its instrument: "Instrument lost at 14:02:11 (<reason>): waiting
// for it to come back" (the time of day in UTC).
inline constexpr const char* kInstrumentLostAt = "Instrument lost at ";                 // + time, " (", reason
inline constexpr const char* kInstrumentLostWaiting = "): waiting for it to come back";
// "Instrument back at 14:02:19 after 8 s (0 frames lost while it was away)".
inline constexpr const char* kInstrumentBack = "Instrument back at %s after %lld s (%d frames lost while it was away)";
// A silent instrument, and its end.
inline constexpr const char* kNoReplyFor = "No reply for %lld s";
inline constexpr const char* kRepliesAgain = "The instrument replies again";
// Then what became of the frames received: "<n> frames received are written to <files>",
// or that nothing was recorded, or why recording had stopped; then the way on.
inline constexpr const char* kInstrumentLostWritten = ". The ";                    // + n
inline constexpr const char* kInstrumentLostWrittenTo = " frames received are written to ";  // + the files
inline constexpr const char* kInstrumentLostNothing =
    ". Nothing was recorded: no output file is switched on for the instrument";
inline constexpr const char* kInstrumentLostFailed = ". Recording had stopped: ";   // + why
inline constexpr const char* kInstrumentLostEnd = "; open the instrument again to go on.";
inline constexpr const char* kSerialNoReason = "no reason given";

// The receive-buffer window (the title begins with a blank).
inline constexpr const char* kShowBufferTitle = " Receive Communications Buffer";
inline constexpr const char* kNumChars = "Num chars:";
// Beside the count: how many of the texts were frame texts that were rejected.
inline constexpr const char* kRejectedTexts = "Rejected:";
inline constexpr const char* kCancel = "Cancel";

// The Send Command dialog.
inline constexpr const char* kSendCommandTitle = "Send Command";
inline constexpr const char* kCommandLabel = "Command";
inline constexpr const char* kSendCommandButton = "Send Command";
inline constexpr const char* kSendCtrlCButton = "Send Ctrl-C";


// Told when the instrument's outputs are opened on a disk with little room left:
// megabytes free, the folder, hours of frames at one frame a second.
inline constexpr const char* kLowDiskSpace =
    "Only %.0f MB are free in %s, where this recording goes: room for about %.1f hours of "
    "frames at one a second. Free some space or choose another disk before the cast.";

}  // namespace kavro::text
