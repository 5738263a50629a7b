#include "platform/FileReplacement.h"

#include "platform/FileUtil.h"
#include "resources/PlatformTexts.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace kavro {

FileReplacement::~FileReplacement()
{
    abandon();
}

bool FileReplacement::fail(const std::string& why)
{
    error_ = target_ + ": " + why;
    return false;
}

void FileReplacement::closeFile()
{
    if (file_ != kNoFile)
        ::close(static_cast<int>(file_));
    file_ = kNoFile;
}

void FileReplacement::abandon()
{
    closeFile();
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
}

bool FileReplacement::begin(const std::string& target)
{
    abandon();
    error_.clear();
    // A link is followed, so that the file it points to is replaced and the link stays.
    target_ = followLinks(target);
    const std::string dir = directoryPart(target_);
    if (!dir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(pathFromUtf8(dir), ec);
    }
    struct stat st {};
    existed_ = ::stat(target_.c_str(), &st) == 0;
    if (existed_ && S_ISDIR(st.st_mode))
        return fail(errnoText(EISDIR));
    // Renaming over a device or a pipe would replace the device node itself.
    if (existed_ && !S_ISREG(st.st_mode))
        return fail(text::kNotRegularFile);
    existingMode_ = existed_ ? static_cast<unsigned>(st.st_mode & 07777) : 0;

    std::string pattern = target_ + ".tmp-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return fail(errnoText(errno));
    file_ = fd;
    temporary_ = pattern;
    return true;
}

bool FileReplacement::write(std::string_view bytes)
{
    if (file_ == kNoFile)
        return fail(errnoText(EBADF));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(static_cast<int>(file_), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(errnoText(n < 0 ? errno : EIO));
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool FileReplacement::commit()
{
    if (temporary_.empty())
        return fail(errnoText(EBADF));
    if (file_ != kNoFile) {
        const int written = static_cast<int>(file_);
        file_ = kNoFile;
        if (::close(written) != 0) {
            const int err = errno;
            abandon();
            return fail(errnoText(err));
        }
    }
    // Opened again by name: a library that wrote the file by name may have made it anew.
    const int fd = ::open(temporary_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        abandon();
        return fail(errnoText(err));
    }
    if (existed_) {
        ::fchmod(fd, static_cast<mode_t>(existingMode_));
    } else {
        // A new file gets the permissions any new file would get, not mkstemp's 0600.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    const int synced = ::fsync(fd);
    const int err = errno;
    ::close(fd);
    if (synced != 0) {
        abandon();
        return fail(errnoText(err));
    }
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        const int renameErr = errno;
        abandon();
        return fail(errnoText(renameErr));
    }
    temporary_.clear();
    return true;
}

}  // namespace kavro
