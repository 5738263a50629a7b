// kavro-cli settings: every setting in force and where it came from.
#include "tools/Commands.h"

#include <cstdio>

namespace kavro::cli {

void runSettings(const SettingsCommand& c)
{
    Environment env = loadEnvironment(c.profile);
    std::printf("Settings profile: %s\n", env.profile->path().c_str());
    std::string section;
    for (const Settings::Entry& e : env.settings.entries()) {
        if (e.section != section) {
            section = e.section;
            std::printf("[%s]\n", section.c_str());
        }
        std::printf("  %-16s = %-40s (%s)\n", e.key.c_str(), ("\"" + e.value + "\"").c_str(),
                    e.fromProfile ? "profile" : "default");
    }
}

}  // namespace kavro::cli
