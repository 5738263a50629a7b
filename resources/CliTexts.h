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

}  // namespace kavro::text
