#pragma once
// Fixed texts of the platform layer's dialogs and message boxes.

namespace kavro::text {

// Title of every message box and question: the program's name.
inline constexpr const char* kMessageBoxTitle = "KAVRO";

// A list of files: "a.psd, a.asc in /data".
inline constexpr const char* kFileListSeparator = ", ";
inline constexpr const char* kFileListIn = " in ";

}  // namespace kavro::text
