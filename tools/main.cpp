// kavro-cli: the KAVRO companion without a screen.
#include "platform/System.h"
#include "resources/CliTexts.h"
#include "tools/CliCommon.h"
#include "tools/CruiseJob.h"

#include <CLI/CLI.hpp>
#include <clocale>
#include <cstdio>
#include <cstring>

namespace {

// kavro-cli help [COMMAND]: the overview, or one command's options.
void addHelpCommand(CLI::App& app)
{
    auto topic = std::make_shared<std::string>();
    auto* cmd = app.add_subcommand("help", kavro::text::kCliHelpCommand);
    cmd->add_option("COMMAND", *topic, kavro::text::kCliHelpTopic);
    cmd->callback([&app, topic] {
        if (topic->empty()) {
            // The overview itself: help() would describe the help command now running.
            std::fputs(app.get_formatter()->make_help(&app, app.get_name(), CLI::AppFormatMode::Normal).c_str(),
                       stdout);
            return;
        }
        for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; }))
            if (sub->get_name() == *topic) {
                std::fputs(app.get_formatter()
                               ->make_help(sub, app.get_name() + " " + sub->get_name(), CLI::AppFormatMode::Normal)
                               .c_str(),
                           stdout);
                return;
            }
        throw kavro::cli::Failure(kavro::cli::kExitUsage,
                                  kavro::text::kCliUnknownCommand + *topic + "'" + kavro::text::kCliCommandsHint);
    });
}

// The first word that is no option names the command; one that names none is
// told by name rather than as an argument nobody expected.
const char* unknownCommand(CLI::App& app, int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-')
            return nullptr;  // options before the command are CLI11's to judge
        for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; }))
            if (sub->get_name() == argv[i])
                return nullptr;
        return argv[i];
    }
    return nullptr;
}

#if !defined(KAVRO_WITH_PLOT) || defined(_WIN32)
// A command this build leaves out is still known by name: whatever follows it,
// the user is told why it is missing rather than that it does not exist.
void addAbsentCommand(CLI::App& app, const std::string& name, const char* help, const char* reason)
{
    auto* cmd = app.add_subcommand(name, help);
    cmd->allow_extras();
    cmd->set_help_flag();
    cmd->callback([name, reason] {
        throw kavro::cli::Failure(kavro::cli::kExitUsage, name + kavro::text::kCliAbsentIn + kavro::text::kCliThisBuild +
                                                              kavro::text::kCliAbsentBecause + reason);
    });
}
#endif

}  // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "C");
    kavro::writeFailsPastFileSizeLimit();
    CLI::App app{"KAVRO companion on the command line: process recordings, build calibrations, talk to the instrument."};
    app.name("kavro-cli");
    app.set_version_flag("--version", std::string("kavro-cli ") + KAVRO_VERSION, kavro::text::kCliVersionHelp);
    app.require_subcommand(0, 1);
    kavro::cli::addSettingsCommand(app);
    kavro::cli::addProcessCommand(app);
    kavro::cli::addInfoCommand(app);
    kavro::cli::addExportCommand(app);
    kavro::cli::addMakecalCommand(app);
    kavro::cli::addSimrawCommand(app);
    kavro::cli::addBackgroundCommand(app);
#ifdef _WIN32
    addAbsentCommand(app, "simulate", kavro::text::kCliSimulateAbsentHelp, kavro::text::kCliSimulateAbsentReason);
#else
    kavro::cli::addSimulateCommand(app);
#endif
    kavro::cli::addCompareCommand(app);
    kavro::cli::addSummaryCommand(app);
    kavro::cli::addAcquireCommand(app);
    kavro::cli::addCruiseCommand(app);
#ifdef KAVRO_WITH_PLOT
    kavro::cli::addPlotCommand(app);
#else
    addAbsentCommand(app, "plot", kavro::text::kCliPlotAbsentHelp, kavro::text::kCliPlotAbsentReason);
#endif
    addHelpCommand(app);
    try {
        if (const char* name = unknownCommand(app, argc, argv))
            throw kavro::cli::Failure(kavro::cli::kExitUsage,
                                      kavro::text::kCliUnknownCommand + std::string(name) + "'" +
                                          kavro::text::kCliCommandsHint);
        app.parse(argc, argv);
        if (app.get_subcommands().empty())
            throw kavro::cli::Failure(kavro::cli::kExitUsage,
                                      std::string(kavro::text::kCliNoCommand) + kavro::text::kCliCommandsHint);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0)
            return app.exit(e);  // --help, --version
        std::fprintf(stderr, "kavro-cli: %s\n", e.what());
        return kavro::cli::kExitUsage;
    } catch (const kavro::cli::Failure& f) {
        if (*f.what())
            std::fprintf(stderr, "kavro-cli: %s\n", f.what());
        return f.status;
    } catch (const std::exception& e) {
        // Nothing a command did not foresee ends the program without a word.
        std::fprintf(stderr, "kavro-cli: %s\n", e.what());
        return kavro::cli::kExitBadInput;
    }
    return kavro::cli::kExitOk;
}
