#pragma once
// Fixed texts of the platform layer's dialogs and message boxes.

namespace kavro::text {

// Title of every message box and question: the program's name.
inline constexpr const char* kMessageBoxTitle = "KAVRO";

// A list of files: "a.psd, a.asc in /data".
inline constexpr const char* kFileListSeparator = ", ";
inline constexpr const char* kFileListIn = " in ";

// Why an output file failed or is refused: deleted while written, another writer
// or a window showing it holds its lock, or it exists and was not to be replaced,
// or it is no plain file (a device or pipe would not take whole records reliably).
inline constexpr const char* kOutputRemoved = "the file was deleted while it was being written";
inline constexpr const char* kOutputInUse = "in use by another program or window";
inline constexpr const char* kOutputExists = "the file exists already";
inline constexpr const char* kNotRegularFile = "not a regular file";

}  // namespace kavro::text
