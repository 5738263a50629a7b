// kavro-cli settings: every setting in force and where it came from.
#include "tools/CliCommon.h"

#include <CLI/CLI.hpp>
#include <cstdio>

namespace kavro::cli {

void addSettingsCommand(CLI::App& app)
{
    auto* cmd = app.add_subcommand("settings", "Print every setting in force and where it came from");
    auto profileOption = std::make_shared<std::string>();
    cmd->add_option("--profile", *profileOption, "the settings profile to read (default: the program's own)");
    cmd->callback([profileOption] {
        Environment env = loadEnvironment(*profileOption);
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
    });
}

}  // namespace kavro::cli
