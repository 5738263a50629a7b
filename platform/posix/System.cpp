#include "platform/System.h"

#include <climits>
#include <csignal>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace kavro {

std::string executablePath()
{
    char buf[PATH_MAX + 1];
    ssize_t n = ::readlink("/proc/self/exe", buf, PATH_MAX);
    if (n <= 0)
        return std::string();
    return std::string(buf, static_cast<std::size_t>(n));
}

std::vector<std::string> commandLineArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv, argv + argc);
}

void consoleShowsUtf8()
{
    // A terminal shows the bytes in the user's own encoding, UTF-8 nowadays.
}

void writeFailsPastFileSizeLimit()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

void returnLargeBlocksWhenFreed()
{
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
#endif
}

void releaseFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

bool stderrIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

long long processId()
{
    return static_cast<long long>(::getpid());
}

std::optional<std::string> environmentVariable(const char* name)
{
    if (const char* value = std::getenv(name))
        return std::string(value);
    return std::nullopt;
}

std::string userConfigFolder()
{
    if (const auto xdg = environmentVariable("XDG_CONFIG_HOME"); xdg && xdg->starts_with('/'))
        return *xdg;
    std::string home = environmentVariable("HOME").value_or("");
    if (home.empty()) {
        if (struct passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
            home = pw->pw_dir;
    }
    return (home.empty() ? std::string(".") : home) + "/.config";
}

}  // namespace kavro
