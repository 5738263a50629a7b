#pragma once
// Fixed texts of kavro-cli's own output (printf formats where they carry values).

namespace kavro::text {

// kavro-cli simulate
inline constexpr const char* kSimulatorOn = "Instrument simulator on %s\n";
inline constexpr const char* kSimulatorRecording = "Recording: %s (%zu frames)\n";
inline constexpr const char* kSimulatorSynthetic = "Recording: none, %zu synthesised frames\n";
inline constexpr const char* kSimulatorHint = "To use it as %s, set in section [Communications] of %s:\n  %sDevice=%s\n";
inline constexpr const char* kSimulatorStopHint = "Stop with Ctrl-C.\n";
inline constexpr const char* kSimulatorSummary = "Frame requests: %ld, replies: %ld, dropped: %ld, other lines: %ld\n";


// kavro-cli acquire
inline constexpr const char* kAcquireStart = "Acquiring from %s (%s), model %d. Stop with Ctrl-C.\n";
inline constexpr const char* kAcquireStatus = "\rFrame %d  transmission %s  mean diameter %s um   ";
inline constexpr const char* kAcquireSummary = "Frames written: %ld, requests without a frame: %ld\n";
inline constexpr const char* kAcquireUnanswered = "no file given for the dialog \"";  // + title + "\""
inline constexpr const char* kAcquireNoRingArea = ": no ring-area file RingArea*.asc (give --ring-area)";
inline constexpr const char* kAcquireOpenFailed = "the instrument could not be opened";

}  // namespace kavro::text
