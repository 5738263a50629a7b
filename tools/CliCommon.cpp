#include "tools/CliCommon.h"

#include "platform/FileUtil.h"
#include "platform/System.h"
#include "resources/CliProcessTexts.h"

#include <cerrno>
#include <cstdio>
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

void requireStdoutWritten()
{
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    if (flushed && !std::ferror(stdout))
        return;
    const int error = errno != 0 ? errno : EIO;
    throw Failure(kExitBadInput, std::string("stdout: ") + text::kCliWriteFailed + errnoText(error));
}

}  // namespace kavro::cli
