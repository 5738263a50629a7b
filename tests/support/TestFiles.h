#pragma once
// Helpers of the tests: a temporary folder removed afterwards, files written and read whole.
#include <cstdint>
#include <string>
#include <vector>

namespace kavro::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path()/name
    std::string file(const std::string& name) const;

private:
    std::string path_;
};

void writeFile(const std::string& path, const std::string& content);
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);
// Whether this system tells an open file that its name was deleted.  POSIX always
// does (no links left); Windows does (delete pending), but wine defers the delete
// to the last close and tells nothing, so there the deletion cases are skipped.
bool deletionIsToldWhileOpen(const TempDir& dir);
// Makes link a symbolic link to target.  True when made; false only on Windows,
// where making one needs a privilege (or developer mode) and wine cannot at all.
// Anywhere else a failure throws, so a POSIX test never passes over its links.
bool makeSymlink(const std::string& target, const std::string& link);

// A file size limit for the life of the object, standing in for a full disk: a
// write past it fails with "File too large" instead of ending the test program.
class FileSizeLimit {
public:
    // Whether this system has such a limit (not Windows): a test that needs one is
    // skipped where it has none.
    static bool available();
    explicit FileSizeLimit(unsigned long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool active() const { return active_; }

private:
    unsigned long oldCurrent_ = 0;
    bool active_ = false;
};

// Big-endian 80-byte raw records from 40-word frames.
std::string rawRecords(const std::vector<std::vector<std::uint16_t>>& frames);

}  // namespace kavro::test
