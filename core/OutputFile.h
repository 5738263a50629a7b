#pragma once
// A result file being written: every record or line goes to the file at once, whole
// or not at all, and the first failure is kept so that it can be told.
#include <string>
#include <string_view>

namespace kavro {

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates (or truncates) the file for writing.  False when that fails; error() says why.
    bool create(const std::string& path);
    bool isOpen() const { return fd_ >= 0; }
    // Writes the bytes and hands them to the system at once, so a crash or kill
    // afterwards never loses them.  A write that fails (disk full, file gone) is
    // undone to the last whole record, the file stops taking data, and false is
    // answered; later appends answer false as well.  A file deleted while it is
    // written counts as failed too.
    bool append(std::string_view bytes);
    void close();

    const std::string& path() const { return path_; }
    bool failed() const { return failed_; }
    const std::string& error() const { return error_; }

private:
    int fd_ = -1;
    long long size_ = 0;
    bool failed_ = false;
    std::string path_;
    std::string error_;
};

}  // namespace kavro
