// kavro-cli makecal DIR: the demo calibration sets of all three models.
#include "tools/CliCommon.h"
#include "tools/DemoCalibration.h"

#include <CLI/CLI.hpp>

namespace kavro::cli {

void addMakecalCommand(CLI::App& app)
{
    auto* cmd = app.add_subcommand("makecal", "Write the demo calibration files of the three instrument models");
    auto dir = std::make_shared<std::string>();
    cmd->add_option("DIR", *dir, "folder for the files (made when missing)")->required();
    cmd->callback([dir] { demo::writeCalibrationSet(*dir); });
}

}  // namespace kavro::cli
