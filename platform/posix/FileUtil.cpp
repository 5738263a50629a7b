#include "platform/FileUtil.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace kavro {

bool readWholeFile(const std::string& path, std::string& content)
{
    content.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    // At its size at once: grown by doubling, a file of 9 MB took 16 and copies.
    content.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        content.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

std::optional<unsigned long long> freeBytesAt(const std::string& folder)
{
    struct statvfs vfs {};
    if (::statvfs(folder.empty() ? "." : folder.c_str(), &vfs) != 0)
        return std::nullopt;
    return static_cast<unsigned long long>(vfs.f_bavail) * vfs.f_frsize;
}

std::string errnoText(int error)
{
    char buf[256];
    // GNU strerror_r returns the message pointer.
    const char* text = strerror_r(error, buf, sizeof buf);
    return text ? std::string(text) : std::string("error ") + std::to_string(error);
}

std::string makeUniqueFolder(const std::string& parent, const std::string& prefix)
{
    std::string pattern = joinPath(parent, prefix + "XXXXXX");
    return ::mkdtemp(pattern.data()) ? pattern : std::string();
}

std::string whyNotWritable(const std::string& path)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return errnoText(EISDIR);
    const std::string dir = directoryPart(path).empty() ? std::string(".") : directoryPart(path);
    if (!std::filesystem::is_directory(dir, error))
        return errnoText(ENOENT);
    const bool exists = std::filesystem::exists(path, error);
    if (::access(exists ? path.c_str() : dir.c_str(), exists ? W_OK : W_OK | X_OK) != 0)
        return errnoText(errno);
    return std::string();
}

std::filesystem::path pathFromUtf8(const std::string& path)
{
    return std::filesystem::path(path);
}

std::string utf8FromPath(const std::filesystem::path& path)
{
    return path.string();
}

std::FILE* openFile(const std::string& path, const char* mode)
{
    return std::fopen(path.c_str(), mode);
}

}  // namespace kavro

namespace kavro {

int openRegularFileDescriptor(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        int err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        errno = err;
        return -1;
    }
    // Back to blocking reads: O_NONBLOCK was only there so that a pipe could not hang the open.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::FILE* openRegularFileForReading(const std::string& path, bool binary)
{
    int fd = openRegularFileDescriptor(path);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::fdopen(fd, binary ? "rb" : "r");
    if (!file)
        ::close(fd);
    return file;
}

long long readAt(int fd, void* buffer, std::size_t size, long long offset)
{
    if (offset < 0) {
        errno = EINVAL;
        return -1;
    }
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::pread(fd, out + done, size - done, static_cast<off_t>(offset + static_cast<long long>(done)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(done);
}

long long fileLength(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return -1;
    return static_cast<long long>(st.st_size);
}

}  // namespace kavro
