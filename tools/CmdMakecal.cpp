// kavro-cli makecal DIR: the demo calibration sets of all three models.
#include "tools/CliCommon.h"
#include "sim/DemoCalibration.h"
#include "sim/NumberFiles.h"

#include <CLI/CLI.hpp>

namespace kavro::cli {

void addMakecalCommand(CLI::App& app)
{
    auto* cmd = app.add_subcommand("makecal", "Write the demo calibration files of the three instrument models");
    auto dir = std::make_shared<std::string>();
    cmd->add_option("DIR", *dir, "folder for the files (made when missing)")->required();
    cmd->callback([dir] {
        try {
            demo::writeCalibrationSet(*dir);
        } catch (const demo::DemoError& e) {
            throw Failure(kExitBadInput, e.what());
        }
    });
}

}  // namespace kavro::cli
