#pragma once
// UTF-8 <-> UTF-16 for the wide Win32 calls, and the system's words for an error.
// Only the files of platform/win32/ include this.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

namespace kavro::win32 {

inline std::wstring wide(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), n);
    return result;
}

inline std::string utf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string result(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), n, nullptr,
                            nullptr);
    return result;
}

// The program writes '/' between folders on every system (Windows takes both).
inline std::string forwardSlashes(std::string path)
{
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

inline std::string errorText(DWORD error)
{
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = n > 0 && buffer ? std::wstring(buffer, n) : std::wstring();
    if (buffer)
        LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' || text.back() == L'.'))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(error) : utf8(text);
}

inline HANDLE handleOf(std::intptr_t file)
{
    return reinterpret_cast<HANDLE>(file);
}

inline std::intptr_t fileOf(HANDLE handle)
{
    return handle == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(handle);
}

// A lock on one byte far past any real file's end stands in for flock: a shared
// lock for a reader that must not see a file being written, an exclusive one for
// the writer.  Windows locks are mandatory only for the bytes they cover, and no
// one reads or writes there, so other programs still read the file freely.
inline bool lockMarker(HANDLE file, bool exclusive)
{
    OVERLAPPED at{};
    at.Offset = 0xFFFFFFFEu;
    at.OffsetHigh = 0x7FFFFFFFu;
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    return LockFileEx(file, flags, 0, 1, 0, &at) != 0;
}

// Reads up to size bytes at offset without using the handle's position.
inline long long readAtOffset(HANDLE file, void* buffer, std::size_t size, long long offset, DWORD* error)
{
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        OVERLAPPED at{};
        const unsigned long long where = static_cast<unsigned long long>(offset) + done;
        at.Offset = static_cast<DWORD>(where & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(where >> 32);
        const std::size_t left = size - done;
        const DWORD want = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        DWORD got = 0;
        if (!ReadFile(file, out + done, want, &got, &at)) {
            const DWORD e = GetLastError();
            if (e == ERROR_HANDLE_EOF)
                break;
            *error = e;
            return -1;
        }
        if (got == 0)
            break;
        done += got;
    }
    return static_cast<long long>(done);
}

}  // namespace kavro::win32
