#include "platform/System.h"

#include "platform/win32/Wide.h"

#include <cstdio>
#include <cstdlib>
#include <io.h>
#include <shellapi.h>

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

std::vector<std::string> commandLineArguments(int argc, char** argv)
{
    int count = 0;
    wchar_t** wideArgs = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wideArgs)
        return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> args;
    args.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        args.push_back(utf8(wideArgs[i]));
    LocalFree(wideArgs);
    return args;
}

namespace {
UINT consoleCodePageBefore = 0;
}  // namespace

void consoleShowsUtf8()
{
    // The console window is the user's: its own code page is given back at the end.
    consoleCodePageBefore = GetConsoleOutputCP();
    if (consoleCodePageBefore == 0 || consoleCodePageBefore == CP_UTF8 || !SetConsoleOutputCP(CP_UTF8))
        return;
    std::atexit([] { SetConsoleOutputCP(consoleCodePageBefore); });
}

void writeFailsPastFileSizeLimit()
{
    // Windows has no file size limit signal: a write past any limit simply fails.
}

void returnLargeBlocksWhenFreed()
{
    // The Windows heap hands large blocks back to the system by itself.
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

std::optional<std::string> environmentVariable(const char* name)
{
    // The narrow environment holds the values in the ANSI code page, where a name
    // like "Müller" may not exist at all: the wide one holds them as they are.
    if (const wchar_t* value = _wgetenv(wide(name).c_str()))
        return utf8(value);
    return std::nullopt;
}

std::string userConfigFolder()
{
    if (const auto appData = environmentVariable("APPDATA"); appData && !appData->empty())
        return forwardSlashes(*appData);
    if (const auto profile = environmentVariable("USERPROFILE"); profile && !profile->empty())
        return forwardSlashes(*profile) + "/AppData/Roaming";
    return ".";
}

}  // namespace kavro
