#include "platform/File.h"

#include "platform/FileUtil.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kavro {
namespace {

int fdOf(NativeFile file)
{
    return static_cast<int>(file);
}

}  // namespace

std::optional<FileStamp> fileStamp(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    FileStamp stamp;
    stamp.identity = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    stamp.size = static_cast<long long>(st.st_size);
    stamp.modifiedNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    stamp.regular = S_ISREG(st.st_mode);
    return stamp;
}

ReadOnlyFile::~ReadOnlyFile()
{
    close();
}

ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&& other) noexcept
    : file_(std::exchange(other.file_, kNoFile)), error_(std::move(other.error_))
{
}

ReadOnlyFile& ReadOnlyFile::operator=(ReadOnlyFile&& other) noexcept
{
    if (this != &other) {
        close();
        file_ = std::exchange(other.file_, kNoFile);
        error_ = std::move(other.error_);
    }
    return *this;
}

bool ReadOnlyFile::open(const std::string& path)
{
    close();
    error_.clear();
    const int fd = openRegularFileDescriptor(path);
    if (fd < 0) {
        error_ = errnoText(errno);
        return false;
    }
    file_ = fd;
    return true;
}

long long ReadOnlyFile::readAt(long long offset, void* buffer, std::size_t size) const
{
    if (file_ == kNoFile) {
        error_ = errnoText(EBADF);
        return -1;
    }
    const long long got = kavro::readAt(fdOf(file_), buffer, size, offset);
    if (got < 0)
        error_ = errnoText(errno);
    return got;
}

long long ReadOnlyFile::length() const
{
    return file_ == kNoFile ? -1 : fileLength(fdOf(file_));
}

FileIdentity ReadOnlyFile::identity() const
{
    struct stat st {};
    if (file_ == kNoFile || ::fstat(fdOf(file_), &st) != 0)
        return {};
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

bool ReadOnlyFile::deleted() const
{
    struct stat st {};
    return file_ != kNoFile && ::fstat(fdOf(file_), &st) == 0 && st.st_nlink == 0;
}

bool ReadOnlyFile::lockShared()
{
    if (file_ == kNoFile)
        return false;
    if (::flock(fdOf(file_), LOCK_SH | LOCK_NB) != 0) {
        error_ = errnoText(errno);
        return false;
    }
    return true;
}

void ReadOnlyFile::close()
{
    if (file_ != kNoFile)
        ::close(fdOf(file_));
    file_ = kNoFile;
}

}  // namespace kavro
