#include "platform/System.h"

#include "platform/win32/Wide.h"

#include <cstdio>
#include <cstdlib>
#include <io.h>

namespace kavro {

using namespace win32;

std::string executablePath()
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return std::string();
        if (n < buffer.size()) {
            buffer.resize(n);
            return forwardSlashes(utf8(buffer));
        }
        if (buffer.size() >= 32768)
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

void writeFailsPastFileSizeLimit()
{
    // Windows has no file size limit signal: a write past any limit simply fails.
}

void releaseFreedMemory()
{
    _heapmin();
}

bool stderrIsTerminal()
{
    return _isatty(_fileno(stderr)) != 0;
}

long long processId()
{
    return static_cast<long long>(GetCurrentProcessId());
}

std::string userConfigFolder()
{
    if (const wchar_t* appData = _wgetenv(L"APPDATA"); appData && *appData)
        return forwardSlashes(utf8(appData));
    if (const wchar_t* profile = _wgetenv(L"USERPROFILE"); profile && *profile)
        return forwardSlashes(utf8(profile)) + "/AppData/Roaming";
    return ".";
}

}  // namespace kavro
