#include "platform/FileReplacement.h"

#include "platform/FileUtil.h"
#include "platform/win32/Wide.h"
#include "resources/PlatformTexts.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace kavro {

using namespace win32;

namespace {

// Whether the nearest part of dir that exists is a plain file, so that no file can
// be made below it (told as "Not a directory", not as a path that was not found).
bool belowAPlainFile(const std::filesystem::path& dir)
{
    for (std::filesystem::path part = dir; !part.empty(); part = part.parent_path()) {
        std::error_code error;
        const std::filesystem::file_status status = std::filesystem::status(part, error);
        if (std::filesystem::exists(status))
            return !std::filesystem::is_directory(status);
        if (part == part.parent_path())
            break;
    }
    return false;
}

}  // namespace

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
        CloseHandle(handleOf(file_));
    file_ = kNoFile;
}

void FileReplacement::abandon()
{
    closeFile();
    if (!temporary_.empty())
        DeleteFileW(wide(temporary_).c_str());
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
        if (ec && belowAPlainFile(pathFromUtf8(dir)))
            return fail(errnoText(ENOTDIR));
    }
    const std::optional<FileStamp> now = fileStamp(target_);
    existed_ = now.has_value();
    const DWORD attributes = GetFileAttributesW(wide(target_).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return fail(errnoText(EISDIR));
    if (existed_ && !now->regular)
        return fail(text::kNotRegularFile);
    // A name nobody has: CREATE_NEW refuses one that exists, so try a few.
    const unsigned long long seed = GetTickCount64() ^ (static_cast<unsigned long long>(GetCurrentProcessId()) << 32);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        char suffix[40];
        std::snprintf(suffix, sizeof suffix, ".tmp-%06llx", (seed + attempt * 7919ULL) & 0xFFFFFFULL);
        const std::string candidate = target_ + suffix;
        HANDLE h = CreateFileW(wide(candidate).c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            file_ = fileOf(h);
            temporary_ = candidate;
            return true;
        }
        const DWORD e = GetLastError();
        if (e != ERROR_FILE_EXISTS && e != ERROR_ALREADY_EXISTS)
            return fail(errorText(e));
    }
    return fail(errorText(ERROR_FILE_EXISTS));
}

bool FileReplacement::write(std::string_view bytes)
{
    if (file_ == kNoFile)
        return fail(errorText(ERROR_INVALID_HANDLE));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t left = bytes.size() - done;
        const DWORD want = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        DWORD wrote = 0;
        if (!WriteFile(handleOf(file_), bytes.data() + done, want, &wrote, nullptr) || wrote == 0) {
            const DWORD e = GetLastError();
            return fail(errorText(e != ERROR_SUCCESS ? e : ERROR_DISK_FULL));
        }
        done += wrote;
    }
    return true;
}

bool FileReplacement::commit()
{
    if (temporary_.empty())
        return fail(errorText(ERROR_INVALID_HANDLE));
    closeFile();
    // Opened again by name: a library that wrote the file by name may have made it anew.
    HANDLE h = CreateFileW(wide(temporary_).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        abandon();
        return fail(errorText(e));
    }
    const bool flushed = FlushFileBuffers(h) != 0;
    const DWORD flushError = GetLastError();
    CloseHandle(h);
    if (!flushed) {
        abandon();
        return fail(errorText(flushError));
    }
    const std::wstring from = wide(temporary_), to = wide(target_);
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DWORD e = GetLastError();
        // A target that another program holds open (sharing delete) can still be
        // replaced in place of a rename.
        if (!(existed_ && ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                                       nullptr))) {
            if (existed_)
                e = GetLastError();
            abandon();
            return fail(errorText(e));
        }
    }
    temporary_.clear();
    return true;
}

}  // namespace kavro
