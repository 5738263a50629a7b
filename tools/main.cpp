// kavro-cli: the KAVRO companion without a screen.
#include "platform/System.h"
#include "tools/CliCommon.h"

#include <CLI/CLI.hpp>
#include <clocale>
#include <cstdio>

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "C");
    kavro::writeFailsPastFileSizeLimit();
    CLI::App app{"KAVRO companion on the command line: process recordings, build calibrations, talk to the instrument."};
    app.name("kavro-cli");
    app.require_subcommand(1);
    kavro::cli::addSettingsCommand(app);
    kavro::cli::addProcessCommand(app);
    kavro::cli::addInfoCommand(app);
    kavro::cli::addExportCommand(app);
    kavro::cli::addMakecalCommand(app);
    kavro::cli::addSimrawCommand(app);
    kavro::cli::addBackgroundCommand(app);
    kavro::cli::addSimulateCommand(app);
    kavro::cli::addCompareCommand(app);
    kavro::cli::addAcquireCommand(app);
#ifdef KAVRO_WITH_PLOT
    kavro::cli::addPlotCommand(app);
#endif
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0)
            return app.exit(e);  // --help
        std::fprintf(stderr, "kavro-cli: %s\n", e.what());
        return kavro::cli::kExitUsage;
    } catch (const kavro::cli::Failure& f) {
        if (*f.what())
            std::fprintf(stderr, "kavro-cli: %s\n", f.what());
        return f.status;
    }
    return kavro::cli::kExitOk;
}
