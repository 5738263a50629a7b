#include "platform/FileUtil.h"

#include "platform/File.h"
#include "platform/win32/Wide.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace kavro {

using namespace win32;

bool readWholeFile(const std::string& path, std::string& content)
{
    content.clear();
    ReadOnlyFile file;
    if (!file.open(path))
        return false;
    char buf[65536];
    for (long long offset = 0;;) {
        const long long n = file.readAt(offset, buf, sizeof buf);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        content.append(buf, static_cast<std::size_t>(n));
        offset += n;
    }
    return true;
}

std::optional<unsigned long long> freeBytesAt(const std::string& folder)
{
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExW(wide(folder.empty() ? std::string(".") : folder).c_str(), &available, nullptr, nullptr))
        return std::nullopt;
    return static_cast<unsigned long long>(available.QuadPart);
}

std::string errnoText(int error)
{
    char buf[256];
    if (strerror_s(buf, sizeof buf, error) != 0)
        return "error " + std::to_string(error);
    return buf;
}

std::string makeUniqueFolder(const std::string& parent, const std::string& prefix)
{
    const unsigned long long seed = GetTickCount64() ^ (static_cast<unsigned long long>(GetCurrentProcessId()) << 24);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%06llx", (seed + attempt * 104729ULL) & 0xFFFFFFULL);
        const std::string candidate = joinPath(parent, prefix + suffix);
        if (CreateDirectoryW(wide(candidate).c_str(), nullptr))
            return candidate;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return std::string();
    }
    return std::string();
}

std::string whyNotWritable(const std::string& path)
{
    std::error_code error;
    if (std::filesystem::is_directory(pathFromUtf8(path), error))
        return errnoText(EISDIR);
    const std::string dir = directoryPart(path).empty() ? std::string(".") : directoryPart(path);
    if (!std::filesystem::is_directory(pathFromUtf8(dir), error))
        return errnoText(ENOENT);
    // Folder permissions are access lists on Windows; a read-only file is what is told here.
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return errnoText(EACCES);
    return std::string();
}

std::filesystem::path pathFromUtf8(const std::string& path)
{
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string utf8FromPath(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::FILE* openFile(const std::string& path, const char* mode)
{
    return _wfopen(wide(path).c_str(), wide(mode).c_str());
}

int openRegularFileDescriptor(const std::string& path)
{
    const int fd = _wopen(wide(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0)
        return -1;
    struct _stat64 st {};
    if (_fstat64(fd, &st) != 0 || !(st.st_mode & _S_IFREG)) {
        const int err = (st.st_mode & _S_IFDIR) ? EISDIR : EINVAL;
        _close(fd);
        errno = err;
        return -1;
    }
    return fd;
}

std::FILE* openRegularFileForReading(const std::string& path, bool binary)
{
    const int fd = openRegularFileDescriptor(path);
    if (fd < 0)
        return nullptr;
    if (!binary)
        _setmode(fd, _O_TEXT);
    std::FILE* file = _fdopen(fd, binary ? "rb" : "r");
    if (!file)
        _close(fd);
    return file;
}

long long readAt(int fd, void* buffer, std::size_t size, long long offset)
{
    if (offset < 0) {
        errno = EINVAL;
        return -1;
    }
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    if (handle == INVALID_HANDLE_VALUE) {
        errno = EBADF;
        return -1;
    }
    DWORD error = 0;
    const long long got = readAtOffset(handle, buffer, size, offset, &error);
    if (got < 0)
        errno = EIO;
    return got;
}

long long fileLength(int fd)
{
    return _filelengthi64(fd);
}

}  // namespace kavro
