#include "platform/File.h"

#include "platform/FileUtil.h"
#include "platform/win32/Wide.h"
#include "resources/PlatformTexts.h"

#include <cerrno>
#include <utility>

namespace kavro {

using namespace win32;

std::optional<FileStamp> fileStamp(const std::string& path)
{
    // Opened without access rights only to read its attributes, so a file held by
    // a writer is stamped too; a folder needs the backup flag to be opened at all.
    HANDLE h = CreateFileW(wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(h, &info) != 0;
    const DWORD type = GetFileType(h);
    CloseHandle(h);
    FileStamp stamp;
    // A device (NUL, COM1) opens but has no file information: it is there, and no plain file.
    if (!known)
        return type != FILE_TYPE_DISK && type != FILE_TYPE_UNKNOWN ? std::optional<FileStamp>(stamp) : std::nullopt;
    stamp.identity = {info.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    stamp.size = static_cast<long long>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    // FILETIME counts 100 ns from 1601; the stamp counts ns from 1970.
    const std::uint64_t ticks =
        (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
    stamp.modifiedNs = (static_cast<long long>(ticks) - 116444736000000000LL) * 100;
    stamp.regular = type == FILE_TYPE_DISK && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
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
    // Others may go on writing, renaming or deleting the file while it is read,
    // as on POSIX.  Without the backup flag a folder cannot be opened: refused.
    HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        const DWORD attributes = GetFileAttributesW(wide(path).c_str());
        const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        error_ = folder ? errnoText(EISDIR) : errorText(e);
        errno = folder ? EISDIR : e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? ENOENT
                              : e == ERROR_ACCESS_DENIED                                  ? EACCES
                                                                                          : EIO;
        return false;
    }
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        error_ = text::kNotRegularFile;
        errno = EINVAL;
        return false;
    }
    file_ = fileOf(h);
    return true;
}

long long ReadOnlyFile::readAt(long long offset, void* buffer, std::size_t size) const
{
    if (file_ == kNoFile || offset < 0) {
        error_ = errorText(file_ == kNoFile ? ERROR_INVALID_HANDLE : ERROR_NEGATIVE_SEEK);
        return -1;
    }
    DWORD error = 0;
    const long long got = readAtOffset(handleOf(file_), buffer, size, offset, &error);
    if (got < 0)
        error_ = errorText(error);
    return got;
}

long long ReadOnlyFile::length() const
{
    LARGE_INTEGER size{};
    if (file_ == kNoFile || !GetFileSizeEx(handleOf(file_), &size))
        return -1;
    return static_cast<long long>(size.QuadPart);
}

FileIdentity ReadOnlyFile::identity() const
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (file_ == kNoFile || !GetFileInformationByHandle(handleOf(file_), &info))
        return {};
    return {info.dwVolumeSerialNumber, (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

bool ReadOnlyFile::deleted() const
{
    FILE_STANDARD_INFO info{};
    return file_ != kNoFile &&
           GetFileInformationByHandleEx(handleOf(file_), FileStandardInfo, &info, sizeof info) &&
           (info.DeletePending || info.NumberOfLinks == 0);
}

bool ReadOnlyFile::lockShared()
{
    if (file_ == kNoFile)
        return false;
    if (!lockMarker(handleOf(file_), false)) {
        error_ = errorText(GetLastError());
        return false;
    }
    return true;
}

void ReadOnlyFile::close()
{
    if (file_ != kNoFile)
        CloseHandle(handleOf(file_));
    file_ = kNoFile;
}

}  // namespace kavro
