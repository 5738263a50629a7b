#pragma once
// Write beside, then replace: a new version of a file is written under a
// temporary name in the same folder, forced onto the disk, and only then takes
// the file's name, in one step.  A reader sees the old file or the new one,
// never half of either; a failure leaves the old file as it was and no temporary
// file behind.  Replacing an existing file works on every system (on Windows a
// plain rename would refuse).
#include "platform/File.h"

#include <string>
#include <string_view>

namespace kavro {

class FileReplacement {
public:
    FileReplacement() = default;
    // Removes the temporary file unless commit() succeeded.
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Makes a new, empty temporary file beside target under a name nobody else
    // has.  A link as target is followed (the file it names is replaced, the link
    // stays); missing parent folders are made; a folder, device or pipe as target
    // is refused.  False with the reason in error().
    bool begin(const std::string& target);
    // The temporary file, for a library that writes a file by name (netCDF, a PDF
    // writer).  Write it before commit().
    const std::string& temporaryPath() const { return temporary_; }
    // Appends bytes to the temporary file; false (error() says why) when the disk
    // takes them not all.
    bool write(std::string_view bytes);
    // Forces the temporary file onto the disk, gives it the permissions of the
    // file it replaces (a new file: those any new file gets), and moves it over
    // the target.  False with the reason in error(); the target is then untouched.
    bool commit();
    // Drops the temporary file; the target stays as it was.
    void abandon();

    // The file that is replaced (after links were followed).
    const std::string& target() const { return target_; }
    // "<target>: <reason>" for the last failure.
    const std::string& error() const { return error_; }

private:
    bool fail(const std::string& why);
    void closeFile();

    std::string target_;
    std::string temporary_;
    NativeFile file_ = kNoFile;
    bool existed_ = false;
    unsigned existingMode_ = 0;  // permissions of the replaced file (POSIX)
    std::string error_;
};

}  // namespace kavro
