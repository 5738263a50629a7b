#include "tools/CliCommon.h"

#include "platform/FileUtil.h"
#include "platform/System.h"

#include <cerrno>
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

}  // namespace kavro::cli
