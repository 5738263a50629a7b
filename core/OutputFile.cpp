#include "core/OutputFile.h"

#include "platform/FileUtil.h"
#include "resources/CoreTexts.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kavro {

OutputFile::~OutputFile()
{
    close();
}

bool OutputFile::create(const std::string& path)
{
    close();
    path_ = path;
    failed_ = false;
    error_.clear();
    size_ = 0;
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        error_ = errnoText(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd_, &st) == 0 && !S_ISREG(st.st_mode)) {
        // A device or pipe would not take whole records reliably.
        ::close(fd_);
        fd_ = -1;
        error_ = "not a regular file";
        return false;
    }
    return true;
}

bool OutputFile::append(std::string_view bytes)
{
    if (fd_ < 0 || failed_)
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error_ = errnoText(n < 0 ? errno : ENOSPC);
            failed_ = true;
            // Never leave half a record behind.
            if (done > 0 && ::ftruncate(fd_, size_) == 0)
                ::lseek(fd_, size_, SEEK_SET);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    size_ += static_cast<long long>(bytes.size());
    // Writing on into a file that someone deleted succeeds and loses everything.
    struct stat st {};
    if (::fstat(fd_, &st) == 0 && st.st_nlink == 0) {
        error_ = text::kOutputRemoved;
        failed_ = true;
        return false;
    }
    return true;
}

void OutputFile::close()
{
    if (fd_ >= 0) {
        if (::close(fd_) != 0 && !failed_) {
            failed_ = true;
            error_ = errnoText(errno);
        }
        fd_ = -1;
    }
}

}  // namespace kavro
