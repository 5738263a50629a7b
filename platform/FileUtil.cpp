#include "platform/FileUtil.h"

#include "resources/PlatformTexts.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
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

bool sameFile(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty())
        return false;
    std::error_code ec, ecA, ecB;
    if (std::filesystem::equivalent(a, b, ec))
        return true;
    // A path whose canonical form cannot be made is compared as it is written.
    const auto canonicalA = std::filesystem::weakly_canonical(a, ecA);
    const auto canonicalB = std::filesystem::weakly_canonical(b, ecB);
    return ecA || ecB ? a == b : canonicalA == canonicalB;
}

bool hasExtension(std::string_view path, std::string_view extension)
{
    if (path.size() < extension.size())
        return false;
    const std::string_view end = path.substr(path.size() - extension.size());
    return std::equal(end.begin(), end.end(), extension.begin(), [](char a, char b) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(a) == lower(b);
    });
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

namespace {

// The file a path names when its last part is a symbolic link, followed link by
// link as the system would, also to a file that does not exist yet (where
// weakly_canonical would stop at the link itself); the path itself otherwise.
std::string followLinks(const std::string& path)
{
    std::filesystem::path current = path;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(current, ec))
            break;
        std::filesystem::path target = std::filesystem::read_symlink(current, ec);
        if (ec)
            break;
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return current.string();
}

}  // namespace

bool replaceFileAtomically(const std::string& givenPath, std::string_view content, std::string* error)
{
    auto failText = [&](const std::string& why) {
        if (error)
            *error = givenPath + ": " + why;
        return false;
    };
    auto fail = [&](int err) { return failText(errnoText(err)); };
    // A link is followed, so that the file it points to is replaced and the link stays.
    const std::string path = followLinks(givenPath);
    std::string dir = directoryPart(path);
    if (!dir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
    }
    struct stat st {};
    bool existed = ::stat(path.c_str(), &st) == 0;
    if (existed && S_ISDIR(st.st_mode))
        return fail(EISDIR);
    // Renaming over a device or a pipe would replace the device node itself.
    if (existed && !S_ISREG(st.st_mode))
        return failText("not a regular file");

    std::string tmpl = path + ".tmp-XXXXXX";
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0)
        return fail(errno);
    if (existed) {
        ::fchmod(fd, st.st_mode & 07777);
    } else {
        // A new file gets the permissions any new file would get, not mkstemp's 0600.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    std::size_t done = 0;
    while (done < content.size()) {
        ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            int err = n < 0 ? errno : EIO;
            ::close(fd);
            ::unlink(tmpl.c_str());
            return fail(err);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) {
        int err = errno;
        ::close(fd);
        ::unlink(tmpl.c_str());
        return fail(err);
    }
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(tmpl.c_str());
        return fail(err);
    }
    if (::rename(tmpl.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(tmpl.c_str());
        return fail(err);
    }
    return true;
}

std::string directoryPart(std::string_view path)
{
    std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return std::string();
    if (slash == 0)
        return "/";
    return std::string(path.substr(0, slash));
}

std::string fileNamePart(std::string_view path)
{
    std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string fileListText(const std::vector<std::string>& paths)
{
    if (paths.empty())
        return {};
    const std::string folder = directoryPart(paths.front());
    bool oneFolder = !folder.empty();
    for (const std::string& p : paths)
        oneFolder = oneFolder && directoryPart(p) == folder;
    std::string list;
    for (const std::string& p : paths)
        list += (list.empty() ? "" : text::kFileListSeparator) + (oneFolder ? fileNamePart(p) : p);
    return oneFolder ? list + text::kFileListIn + folder : list;
}

std::string joinPath(std::string_view dir, std::string_view name)
{
    if (dir.empty())
        return std::string(name);
    std::string result(dir);
    if (result.back() != '/')
        result += '/';
    result += name;
    return result;
}

std::string removeExtension(std::string_view path)
{
    std::size_t slash = path.rfind('/');
    std::size_t dot = path.rfind('.');
    // Only a full stop inside the file name counts: "/data.1/run" has no extension.
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::string(path);
    if (path.size() - dot - 1 > 3)
        return std::string(path);
    return std::string(path.substr(0, dot));
}

std::string withDefaultExtension(const std::string& path, std::string_view extension)
{
    std::error_code ec;
    if (extension.empty() || fileNamePart(path).find('.') != std::string::npos
        || fileNamePart(path).empty() || std::filesystem::is_directory(path, ec))
        return path;
    return path + "." + std::string(extension);
}

std::string stemBeforeFirstDot(std::string_view fileName)
{
    std::size_t dot = fileName.find('.');
    return std::string(dot == std::string_view::npos ? fileName : fileName.substr(0, dot));
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
