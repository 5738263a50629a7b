#include "platform/OutputFile.h"

#include "platform/win32/Wide.h"
#include "resources/PlatformTexts.h"

#include <chrono>
#include <utility>

namespace kavro {
namespace {

using namespace win32;

double monotonicSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool cutTo(HANDLE file, long long size)
{
    LARGE_INTEGER at{};
    at.QuadPart = size;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

}  // namespace

OutputFile::~OutputFile()
{
    close();
}

bool OutputFile::create(const std::string& path, Existing existing)
{
    close();
    path_ = path;
    failed_ = false;
    error_.clear();
    size_ = 0;
    syncs_ = 0;
    lastSync_ = monotonicSeconds();
    // Shared for everything: the lock below, not the share mode, keeps a second
    // writer out, as flock does on POSIX, so that other programs may read the
    // file while it grows.  Never truncated on opening: the file is emptied only
    // once the lock is ours, so a file another writer holds keeps every byte.
    HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           existing == Existing::Refuse ? CREATE_NEW : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        return refuse(e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS ? std::string(text::kOutputExists)
                                                                          : errorText(e));
    }
    file_ = fileOf(h);
    if (GetFileType(h) != FILE_TYPE_DISK)
        return refuse(text::kNotRegularFile);  // a device or pipe would not take whole records reliably
    if (!lockMarker(h, true)) {
        const DWORD e = GetLastError();
        return refuse(e == ERROR_LOCK_VIOLATION || e == ERROR_SHARING_VIOLATION ? std::string(text::kOutputInUse)
                                                                                 : errorText(e));
    }
    if (existing == Existing::Append) {
        LARGE_INTEGER length{}, zero{};
        if (!GetFileSizeEx(h, &length) || !SetFilePointerEx(h, zero, nullptr, FILE_END))
            return refuse(errorText(GetLastError()));
        size_ = length.QuadPart;
        return true;
    }
    if (!cutTo(h, 0))
        return refuse(errorText(GetLastError()));
    return true;
}

bool OutputFile::refuse(std::string why)
{
    error_ = std::move(why);
    if (file_ != kNoFile)
        CloseHandle(handleOf(file_));
    file_ = kNoFile;
    return false;
}

// Windows gathers writes only for unbuffered files: the parts are joined and go to
// the file as one record.
bool OutputFile::append(std::span<const std::string_view> parts)
{
    std::string joined;
    std::size_t total = 0;
    for (std::string_view part : parts)
        total += part.size();
    joined.reserve(total);
    for (std::string_view part : parts)
        joined.append(part);
    return append(std::string_view(joined));
}

bool OutputFile::append(std::string_view bytes)
{
    if (file_ == kNoFile || failed_)
        return false;
    HANDLE h = handleOf(file_);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t left = bytes.size() - done;
        const DWORD want = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        DWORD wrote = 0;
        if (!WriteFile(h, bytes.data() + done, want, &wrote, nullptr) || wrote == 0) {
            const DWORD e = GetLastError();
            error_ = errorText(e != ERROR_SUCCESS ? e : ERROR_DISK_FULL);
            failed_ = true;
            // Never leave half a record behind.
            if (done > 0)
                cutTo(h, size_);
            return false;
        }
        done += wrote;
    }
    size_ += static_cast<long long>(bytes.size());
    // Writing on into a file that someone deleted succeeds and loses everything.
    FILE_STANDARD_INFO info{};
    if (GetFileInformationByHandleEx(h, FileStandardInfo, &info, sizeof info) &&
        (info.DeletePending || info.NumberOfLinks == 0)) {
        error_ = text::kOutputRemoved;
        failed_ = true;
        return false;
    }
    if (syncInterval_ > 0.0 && monotonicSeconds() - lastSync_ >= syncInterval_)
        return sync();
    return true;
}

bool OutputFile::truncateTo(long long size)
{
    if (file_ == kNoFile || size < 0 || size > size_)
        return false;
    if (!cutTo(handleOf(file_), size))
        return false;
    size_ = size;
    return true;
}

void OutputFile::setSyncInterval(double seconds)
{
    syncInterval_ = seconds;
}

bool OutputFile::sync()
{
    lastSync_ = monotonicSeconds();
    // NTFS journals the new file's name itself; the data needs the flush.
    if (!FlushFileBuffers(handleOf(file_))) {
        error_ = errorText(GetLastError());
        failed_ = true;
        return false;
    }
    ++syncs_;
    return true;
}

void OutputFile::close()
{
    if (file_ != kNoFile) {
        if (syncInterval_ > 0.0 && !failed_)
            sync();
        if (!CloseHandle(handleOf(file_)) && !failed_) {
            failed_ = true;
            error_ = errorText(GetLastError());
        }
        file_ = kNoFile;
    }
}

}  // namespace kavro
