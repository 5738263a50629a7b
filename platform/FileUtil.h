#pragma once
// Small file and path helpers shared by every layer.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavro {

// The whole content of a regular file; false when it cannot be read.
bool readWholeFile(const std::string& path, std::string& content);

// Replaces path with content atomically (through FileReplacement): a temporary
// file beside it is written, flushed to disk and renamed over the old one.
// Missing parent folders are made.
// A link is followed (the file it names is replaced, the link stays); a folder,
// device or pipe is refused.
// False (and a reason in *error) when any step fails; the old file is then untouched.
bool replaceFileAtomically(const std::string& path, std::string_view content, std::string* error);

// The file a path names when its last part is a symbolic link, followed link by
// link as the system would, also to a file that does not exist yet; the path
// itself otherwise.
std::string followLinks(const std::string& path);

// Paths are UTF-8 text everywhere in the program; these make the system's path
// of one and back (on Windows through the wide form, so "Müller/Fahrt 1" works).
std::filesystem::path pathFromUtf8(const std::string& path);
std::string utf8FromPath(const std::filesystem::path& path);
// std::fopen for a UTF-8 path.
std::FILE* openFile(const std::string& path, const char* mode);

// True when both paths name the same file (the same file reached through links,
// or the same path once "." and ".." are resolved).  False when either is empty.
bool sameFile(const std::string& a, const std::string& b);

// Path pieces.  The separator is '/', on Windows a backslash too.
std::string directoryPart(std::string_view path);   // before the last separator; "" when none
std::string fileNamePart(std::string_view path);    // after the last separator; the whole text when none
// dir + separator + name; no second separator when dir already ends with one;
// just name when dir is empty.
std::string joinPath(std::string_view dir, std::string_view name);
// The path with the system's own separators: "C:\\data\\zsc.asc" for "C:/data/zsc.asc"
// on Windows (as Windows programs show and store names); unchanged elsewhere.
std::string nativeSeparators(std::string path);
// The path without its extension: the last '.' of the file name when at most three
// characters follow it, otherwise the path unchanged.
std::string removeExtension(std::string_view path);
// The name a save dialog with a default extension gives: ".ext" added when the
// file name has no '.' at all and the path is no folder ("cast7" -> "cast7.psd").
std::string withDefaultExtension(const std::string& path, std::string_view extension);
// Whether the path ends in extension (".psd"), upper or lower case alike.
bool hasExtension(std::string_view path, std::string_view extension);
// The path made absolute and normal ("a/../b.psd" -> "/data/b.psd"), as a file
// dialog answers; "" stays "", and a path that cannot be made absolute stays as it is.
std::string absoluteFilePath(const std::string& path);
// The file name cut before its first '.' (for proposed names and titles).
std::string stemBeforeFirstDot(std::string_view fileName);

// Files named for a person: "a.psd, a.asc in /data" when they share a folder,
// otherwise their paths, separated by ", ".  "" for none.
std::string fileListText(const std::vector<std::string>& paths);

// The system's words for an errno value, thread-safe.
std::string errnoText(int error);
// Makes a new folder parent/prefixXXXXXX under a name nobody has; its path, or
// "" when it cannot be made.
std::string makeUniqueFolder(const std::string& parent, const std::string& prefix);
// Why a file could not be written at path ("" when it looks as if it could): the
// path is a folder, its folder does not exist, or neither the file nor its folder
// may be written.
std::string whyNotWritable(const std::string& path);
// Bytes an ordinary user may still write on the disk that holds folder; nothing when unknown.
std::optional<unsigned long long> freeBytesAt(const std::string& folder);

}  // namespace kavro

namespace kavro {
// Opens an existing regular file for reading ("r"); null for a missing file, a
// folder, a device or a pipe (a pipe would block), with errno set.
std::FILE* openRegularFileForReading(const std::string& path, bool binary = false);
// The same as a C runtime file descriptor (read only, close-on-exec); -1 with
// errno set.  The descriptor functions serve the readers not yet on ReadOnlyFile
// (platform/File.h), which new code uses instead.
int openRegularFileDescriptor(const std::string& path);
// Reads up to size bytes at offset, going on after short reads until the end of the
// file; the bytes read, or -1 on a read error (errno set) or a negative offset.
long long readAt(int fd, void* buffer, std::size_t size, long long offset);
// The length of an open file; -1 when it cannot be told.
long long fileLength(int fd);
}  // namespace kavro
