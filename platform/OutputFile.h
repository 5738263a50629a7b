#pragma once
// A result file being written: every record or line goes to the file at once, whole
// or not at all, and the first failure is kept so that it can be told.
//
// The file is held with an exclusive lock (flock on POSIX, a share mode that lets
// nobody else write on Windows) from before it is
// truncated until it is closed, so a second writer (another window, another
// kavro-cli, another program that honours locks) and a window showing it are
// refused instead of destroying or mixing the data.
#include "platform/File.h"

#include <span>
#include <string>
#include <string_view>

namespace kavro {

class OutputFile {
public:
    // What create() does with a file that exists already.
    // Append keeps what the file holds and writes on after its end (a cast continued).
    enum class Existing { Replace, Refuse, Append };

    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the file for writing, or truncates an existing one when existing is
    // Replace (Append: opens it as it is, size() its length, and writes after its end).
    // False when that fails, the file exists and is to be refused, or
    // another writer or reader holds it; error() says why and nothing was changed.
    bool create(const std::string& path, Existing existing = Existing::Replace);
    bool isOpen() const { return file_ != kNoFile; }
    // Writes the bytes and hands them to the system at once, so a crash or kill
    // afterwards never loses them.  A write that fails (disk full, file gone) is
    // undone to the last whole record, the file stops taking data, and false is
    // answered; later appends answer false as well.  A file deleted while it is
    // written counts as failed too.
    bool append(std::string_view bytes);
    // append() of the parts one after another, in one gathered write: a block of
    // records kept in several buffers goes to the file without being joined first.
    // The parts count as one record: a failure leaves none of them in the file.
    bool append(std::span<const std::string_view> parts);
    // A live recording cannot be made again: with an interval, what append() handed
    // to the system is forced onto the disk (fdatasync, and the folder once, for a
    // new file's name) when the interval has passed since the last time, and at
    // close(), so that a power cut or a pulled USB stick loses at most that much.
    // A sync that fails counts as a failed write.  0 (the default) never forces.
    void setSyncInterval(double seconds);
    // How many times the file was forced onto the disk.
    int syncs() const { return syncs_; }
    // Bytes in the file as this object wrote them.
    long long size() const { return size_; }
    // Cuts the file back to size bytes (a record that must not stay when another
    // file could not take its part), even after a failure.  False when that fails.
    bool truncateTo(long long size);
    // Closes the file (forced onto the disk first, with a sync interval) and lets go of its lock.
    void close();

    const std::string& path() const { return path_; }
    bool failed() const { return failed_; }
    const std::string& error() const { return error_; }

private:
    bool refuse(std::string why);
    bool sync();
    // The end of a successful append of bytes: the size, the deleted-file check and
    // the sync interval.
    bool appended(std::size_t bytes);

    NativeFile file_ = kNoFile;
    double syncInterval_ = 0.0;
    double lastSync_ = 0.0;  // monotonic seconds
    int syncs_ = 0;
    long long size_ = 0;
    bool failed_ = false;
    std::string path_;
    std::string error_;
};

}  // namespace kavro
