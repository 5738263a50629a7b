#pragma once
// Files as the operating system holds them: a read-only file that closes itself,
// the identity of a file (which file a path names, whatever the path), and a
// file's stamp (identity, size, modification time) for noticing that it changed.
// Paths are UTF-8 on every system.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace kavro {

// The system's handle of an open file: a descriptor on POSIX, a HANDLE on Windows.
using NativeFile = std::intptr_t;
inline constexpr NativeFile kNoFile = -1;

// Which file this is: device and inode on POSIX, volume serial number and file
// index on Windows.  Two opens of one file (through any path or link) agree.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// What a path names at the moment.
struct FileStamp {
    FileIdentity identity;
    long long size = 0;
    long long modifiedNs = 0;  // modification time, nanoseconds since the epoch
    bool regular = false;      // a plain file (no folder, device or pipe)
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the file a path names (links followed); nothing when it does not exist.
std::optional<FileStamp> fileStamp(const std::string& path);

// A regular file opened for reading.  A folder, device or pipe is refused (a pipe
// would block); the file is closed when the object goes.
class ReadOnlyFile {
public:
    ReadOnlyFile() = default;
    explicit ReadOnlyFile(const std::string& path) { open(path); }
    ~ReadOnlyFile();
    ReadOnlyFile(ReadOnlyFile&& other) noexcept;
    ReadOnlyFile& operator=(ReadOnlyFile&& other) noexcept;
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Opens path; false (the reason in error(), and errno set: EISDIR for a
    // folder) when it is missing, no regular file, or cannot be read.  An open
    // file is closed first.
    bool open(const std::string& path);
    bool isOpen() const { return file_ != kNoFile; }
    // Reads up to size bytes at offset, going on after short reads until the end
    // of the file: the bytes read, or -1 on a read error or a negative offset.
    // Does not move any shared position, so threads may read one file at once.
    long long readAt(long long offset, void* buffer, std::size_t size) const;
    // The file's length now; -1 when it cannot be told.
    long long length() const;
    // The file's identity; a zero identity when closed.
    FileIdentity identity() const;
    // True when the open file has no name left (deleted while open); a file
    // replaced under its name is told by comparing identity() with fileStamp().
    bool deleted() const;
    // Takes a shared (read) lock without waiting: false when a writer holds the
    // file (its exclusive lock), so that a viewer never reads a file being written.
    bool lockShared();
    void close();

    // Why the last open, read or lock failed, in the system's words.
    const std::string& error() const { return error_; }

private:
    NativeFile file_ = kNoFile;
    mutable std::string error_;
};

}  // namespace kavro
