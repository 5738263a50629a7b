#pragma once
// Fixed texts of kavro-cli and of the demo data it makes.

namespace kavro::text {

// The ring-area files of the demo set, one per model (the open dialog lists RingArea*.asc).
inline constexpr const char* kDemoRingAreaFile[3] = {"RingArea_a.asc", "RingArea_b.asc", "RingArea_c.asc"};
inline constexpr const char* kDemoRecordingFile = "demo.raw";
inline constexpr const char* kTruthSuffix = "_truth.csv";  // beside the recording: demo.raw -> demo_truth.csv

// Failures of the demo commands: "cannot open <path>: <reason>", "<path>: <problem>".
inline constexpr const char* kCannotOpen = "cannot open ";
inline constexpr const char* kCannotWrite = "cannot write ";
inline constexpr const char* kTooFewNumbers = "holds fewer numbers than the ";
inline constexpr const char* kNumbersNeeded = " needed";
inline constexpr const char* kTextAfter = "text that is not a number after value ";
inline constexpr const char* kNoLaserPower = "background laser power or laser reference is not above 100";
inline constexpr const char* kBadNumbers = "holds a value that is not positive and finite";
inline constexpr const char* kBadModel = "--model must be 0, 1 or 2";
inline constexpr const char* kBadFrames = "--frames must be between 1 and 100000";

}  // namespace kavro::text
