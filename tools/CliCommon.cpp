#include "tools/CliCommon.h"

#include "platform/System.h"

namespace kavro::cli {

Environment loadEnvironment(const std::string& profileOption)
{
    Environment env;
    env.profile = std::make_unique<Profile>(profileOption.empty() ? profileLocation(kProgramName) : profileOption);
    env.settings.load(*env.profile, executableDirectory());
    return env;
}

}  // namespace kavro::cli
