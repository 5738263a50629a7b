#include "tools/CliCommon.h"

#include "core/CastReader.h"
#include "platform/FileUtil.h"
#include "platform/System.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace kavro::cli {

Environment loadEnvironment(const std::string& profileOption)
{
    Environment env;
    env.profile = std::make_unique<Profile>(profileOption.empty() ? profileLocation(kProgramName) : profileOption);
    env.settings.load(*env.profile, executableDirectory());
    return env;
}

void requireReadableFile(const std::string& path)
{
    const int fd = openRegularFileDescriptor(path);
    if (fd < 0)
        throw Failure(kExitBadInput, path + ": " + errnoText(errno));
    ::close(fd);
}

void forEachInput(std::size_t count, const std::function<void(std::size_t)>& job)
{
    int status = kExitOk;
    for (std::size_t i = 0; i < count; ++i) {
        try {
            job(i);
        } catch (const Failure& f) {
            std::fprintf(stderr, "kavro-cli: %s\n", f.what());
            status = std::max(status, f.status);
        } catch (const CastError& e) {
            std::fprintf(stderr, "kavro-cli: %s\n", e.what());
            status = std::max(status, kExitBadInput);
        }
    }
    std::fflush(stdout);
    if (status != kExitOk)
        throw Failure(status, "");
}

bool upToDate(const std::string& output, const std::vector<std::string>& inputs)
{
    struct stat out {};
    if (::stat(output.c_str(), &out) != 0)
        return false;
    for (const std::string& input : inputs) {
        struct stat in {};
        if (::stat(input.c_str(), &in) != 0)
            continue;
        // Nanosecond times where the file system keeps them; an equal time counts as older.
        if (in.st_mtim.tv_sec > out.st_mtim.tv_sec ||
            (in.st_mtim.tv_sec == out.st_mtim.tv_sec && in.st_mtim.tv_nsec >= out.st_mtim.tv_nsec))
            return false;
    }
    return true;
}

}  // namespace kavro::cli
