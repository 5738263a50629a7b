// The one place that reads kavro-cli's command line: every command's options,
// their checks and help texts, and the rules for bad usage.  The commands
// themselves (tools/Commands.h) get plain structs and know nothing of CLI11.
#include "tools/CliOptions.h"

#include "core/FrameTimes.h"
#include "platform/NumText.h"
#include "resources/CastPlotTexts.h"
#include "resources/CliProcessTexts.h"
#include "resources/CliTexts.h"
#include "resources/CruiseTexts.h"
#include "tools/Commands.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <thread>

namespace kavro::cli {

namespace {

// "from 0 to 2" or "1 or more", for the refusals of the checks.
std::string allowedRange(const std::string& min, const std::string& max)
{
    return max.empty() ? min + text::kCliOrMore : text::kCliFrom + min + text::kCliTo + max;
}

std::string refusal(const std::string& allowed, const std::string& given)
{
    return text::kCliMustBe + allowed + text::kCliNot + "'" + given + "'";
}

// Option checks whose refusals read as sentences: "--frames: must be 1 or more, not 0".
// A whole number from min to max (max INT_MAX: no upper bound worth telling).
CLI::Validator wholeNumber(long long min, long long max = INT_MAX)
{
    const std::string allowed =
        allowedRange(std::to_string(min), max == INT_MAX ? std::string() : std::to_string(max));
    return CLI::Validator(
        [=](std::string& input) {
            const char* begin = input.c_str();
            char* end = nullptr;
            errno = 0;
            const long long value = std::strtoll(begin, &end, 10);
            const bool whole = !input.empty() && *end == '\0' && errno == 0;
            if (!whole || value < min || value > max)
                return refusal(text::kCliWholeNumber + allowed, input);
            return std::string();
        },
        allowed, "");
}

// A finite number from min to max ("nan" and "inf" are refused).
CLI::Validator finiteNumber(double min, double max)
{
    const std::string allowed = allowedRange(formatG(min), formatG(max));
    return CLI::Validator(
        [=](std::string& input) {
            std::size_t used = 0;
            const auto value = scanDouble(input, &used);
            if (!value || used != input.size() || !std::isfinite(*value) || *value < min || *value > max)
                return refusal(text::kCliNumber + allowed, input);
            return std::string();
        },
        allowed, "");
}

// "YYYY-MM-DDTHH:MM:SS[.fff]Z".
CLI::Validator utcTime()
{
    return CLI::Validator(
        [](std::string& input) {
            double seconds = 0.0;
            return parseUtcTimestamp(input, seconds) ? std::string() : refusal(text::kCliUtcTime, input);
        },
        "UTC", "");
}

// One of the words given.
CLI::Validator oneOf(std::initializer_list<const char*> words)
{
    std::vector<std::string> list(words.begin(), words.end());
    std::string allowed;
    for (std::size_t i = 0; i < list.size(); ++i)
        allowed += (i == 0 ? "" : i + 1 == list.size() ? text::kCliOr : ", ") + list[i];
    return CLI::Validator(
        [=](std::string& input) {
            for (const std::string& w : list)
                if (input == w)
                    return std::string();
            return refusal(allowed, input);
        },
        allowed, "");
}

// Each command adds itself to the application; its callback runs the command,
// which throws Failure on error.
void addSettingsCommand(CLI::App& app)
{
    auto* cmd = app.add_subcommand("settings", "Print every setting in force and where it came from");
    auto c = std::make_shared<SettingsCommand>();
    cmd->add_option("--profile", c->profile, "the settings profile to read (default: the program's own)");
    cmd->callback([c] { runSettings(*c); });
}

void addProcessCommand(CLI::App& app)
{
    auto c = std::make_shared<ProcessCommand>();
    c->options.threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    auto* cmd = app.add_subcommand("process", "Process raw recordings into .psd files (and .asc, .log)");
    cmd->add_option("RAWFILE", c->rawFiles, "raw recordings (.raw, .bin, .dat)")->required();
    cmd->add_option("--model", c->model, "instrument model 0, 1 or 2 (default: InstrumentModel of the profile)")
        ->check(wholeNumber(0, 2));
    cmd->add_option("--cal-dir", c->calDir, "calibration folder (default: CalFiles of the profile)");
    cmd->add_option("--ring-area", c->options.ringArea,
                    "ring-area file (default: the only RingArea*.asc of the calibration folder)");
    cmd->add_option("--background", c->options.background,
                    "background scatter file (default: zsc.asc beside the recording when PDFirst is set, "
                    "else in the calibration folder)");
    cmd->add_option("-o,--output", c->output, "the .psd to write (default: <recording's name>.psd beside it; "
                                        "a name without an extension gets .psd)");
    cmd->add_option("--output-dir", c->outputDir, "folder for the outputs of several recordings");
    cmd->add_flag("--asc", c->options.asc, "also write the .asc size file");
    cmd->add_flag("--vsf", c->options.vsf, "write the .asc with the volume scattering function");
    cmd->add_flag("--log", c->options.log, "also write the .log of the raw words");
    cmd->add_option("--first", c->options.first, "first frame (default: 0)")->check(wholeNumber(0));
    cmd->add_option("--last", c->options.last, "last frame (default: the file's last)")
        ->check(wholeNumber(0));
    cmd->add_option("--multiscan", c->options.multiScan,
                    "auto follows AutoMultiScan (where the program would ask: no); yes or no decide")
        ->check(oneOf({"auto", "yes", "no"}));
    cmd->add_option("--profile", c->profile, "the settings profile to read (default: the program's own)");
    cmd->add_option("-j", c->options.threads, "worker threads (default: the number of cores)")
        ->check(wholeNumber(1, 1024));
    auto* start = cmd->add_option("--start-time", c->options.startTime,
                                  "UTC time of the recording's first record (2026-12-09T02:20:45Z): writes "
                                  "<name>.time.csv beside the .psd with every frame's time")
                      ->check(utcTime());
    cmd->add_option("--interval", c->options.interval, "seconds between records, for --start-time (default: 1)")
        ->check(finiteNumber(0.001, 86400))
        ->needs(start);
    cmd->add_flag("-q", c->options.quiet, "no progress output");
    cmd->add_flag("--update", c->update, "skip recordings whose .psd is newer than the recording and its background "
                                        "and was made with the same model, calibration, frames and times");
    cmd->callback([c] { runProcess(*c); });
}

void addInfoCommand(CLI::App& app)
{
    auto c = std::make_shared<InfoCommand>();
    auto* cmd = app.add_subcommand("info", "Describe a raw recording or a .psd file");
    cmd->add_option("FILE", c->file, "a raw recording or a .psd file")->required();
    cmd->add_option("-o,--output", c->output, "the file to write (default, or -: standard output)");
    cmd->add_option("--profile", c->profile, "the settings profile to read (default: the program's own)");
    cmd->callback([c] { runInfo(*c); });
}

void addExportCommand(CLI::App& app)
{
    auto c = std::make_shared<ExportCommand>();
    auto* cmd = app.add_subcommand("export", "Write the frames of .psd files as CF-NetCDF or as a CSV table");
    cmd->add_option("FILE", c->files, "the .psd files")->required();
    auto* csv = cmd->add_flag("--csv", c->csv, "a CSV table (one file without -o: to stdout)");
    auto* nc = cmd->add_flag("--netcdf", c->netcdf, "CF-1.10 NetCDF-4 (default output: <name>.nc beside the .psd)");
    csv->excludes(nc);
    nc->excludes(csv);
    cmd->add_option("-o,--output", c->output, "the file to write (-: standard output); a folder for several files");
    cmd->add_flag("--decimal-comma", c->decimalComma, "';' between fields, ',' as the decimal mark (with --csv)");
    cmd->add_flag("--update", c->update, "skip files whose output is newer than the .psd and its time stamps "
                                        "(and, for NetCDF, names the same calibration folder)");
    cmd->add_option("--cal-dir", c->calDir,
                    "calibration folder the provenance names and hashes (default: CalFiles of the profile)");
    cmd->add_option("--profile", c->profile, "the settings profile to read (default: the program's own)");
    cmd->add_option("--ctd", c->ctd,
                    "a Sea-Bird .cnv file of the CTD the instrument rode with: its pressure, temperature, salinity "
                    "and depth merged by time into the NetCDF file (one .psd, with --latitude)");
    cmd->add_option("--latitude", c->latitude, "the cast's latitude in degrees north, for the CTD's depth")
        ->check(CLI::Range(-90.0, 90.0));
    cmd->add_flag("-q", c->quiet, "no report lines");
    cmd->callback([c] { runExport(*c); });
}

void addMakecalCommand(CLI::App& app)
{
    auto* cmd = app.add_subcommand("makecal", "Write the demo calibration files of the three instrument models");
    auto c = std::make_shared<MakecalCommand>();
    cmd->add_option("DIR", c->dir, "folder for the files (made when missing)")->required();
    cmd->callback([c] { runMakecal(*c); });
}

void addSimrawCommand(CLI::App& app)
{
    auto* cmd = app.add_subcommand("simraw", "Write the demo raw recording made from a calibration folder");
    auto o = std::make_shared<SimrawCommand>();
    cmd->add_option("--cal-dir", o->calDir, "folder of the calibration files (kavro-cli makecal)")->required();
    cmd->add_option("--model", o->model, "instrument model 0, 1 or 2")->capture_default_str()->check(wholeNumber(0, 2));
    cmd->add_option("--frames", o->frames, "number of frames")->capture_default_str()->check(wholeNumber(1, 100000));
    cmd->add_option("-o,--output", o->output, "the recording (default: DIR/demo.raw); the truth goes beside it");
    cmd->callback([o] { runSimraw(*o); });
}

void addBackgroundCommand(CLI::App& app)
{
    auto* cmd = app.add_subcommand("background", "Build a background scatter file (zsc.asc) from a raw recording "
                                                 "of clean water and judge it against the factory background");
    auto o = std::make_shared<BackgroundCommand>();
    cmd->add_option("RAW", o->raw, "the raw recording (80-byte records); its first 100 records are averaged")
        ->required();
    cmd->add_option("-o,--output", o->output, "the background scatter file to write (default: zsc.asc beside RAW; "
                                                    "a name without an extension gets .asc)");
    cmd->add_option("--factory", o->factory, "the factory background (default: factory_zsc.asc in the calibration folder)");
    cmd->add_option("--profile", o->profile, "the settings profile to read and to store LRefRatio in");
    cmd->add_option("--cal-dir", o->calDir, "the calibration folder (default: CalFiles of the profile)");
    cmd->add_option("--multiscan", o->multiScan,
                    "summed 16-scan records (laser power above 4095): auto = treat them so, yes/no = the answer "
                    "to the question asked when AutoMultiScan is 0 (default: as the profile's AutoMultiScan says)")
        ->check(oneOf({"auto", "yes", "no"}));
    cmd->callback([o] { runBackground(*o); });
}

#ifndef _WIN32
void addSimulateCommand(CLI::App& app)
{
    auto* cmd = app.add_subcommand("simulate", "Play the instrument on a pseudo-terminal, answering frame requests");
    auto args = std::make_shared<SimulateCommand>();
    SimulatorOptions& o = args->options;
    cmd->add_option("--profile", args->profile, "the settings profile to read (default: the program's own)");
    cmd->add_option("--raw", args->raw, "the recording to play (default: the demo recording when present)");
    cmd->add_flag("--synthetic", args->synthetic, "play made-up frames instead of a recording");
    cmd->add_flag("--once", args->once, "stop at the end of the recording instead of starting it again");
    cmd->add_option("--frames", o.maxReplies, "stop after this many frame replies")->check(wholeNumber(1));
    cmd->add_option("--delay", o.replyDelayMs, "milliseconds from a request to its reply")->check(wholeNumber(0));
    cmd->add_option("--split", o.pieces, "send each reply in this many pieces")->check(wholeNumber(1, 1000));
    cmd->add_option("--split-gap", o.pieceGapMs, "milliseconds between two pieces of a reply")
        ->check(wholeNumber(0));
    cmd->add_flag("--noise", o.lineNoise, "send stray characters before each reply");
    cmd->add_option("--drop-every", o.dropEvery, "leave every Nth frame request unanswered")
        ->check(wholeNumber(0));
    cmd->add_option("--ctrl-c-reply", o.ctrlCReply, "the answer to Ctrl-C");
    cmd->add_option("--command-reply", o.commandReply, "the answer to a command, after its echo");
    cmd->add_option("--seed", o.seed, "seed of the line noise")->check(wholeNumber(0, UINT_MAX));
    cmd->callback([args] { runSimulate(*args); });
}
#endif

void addCompareCommand(CLI::App& app)
{
    auto* cmd = app.add_subcommand("compare", "Compare the mean diameters of a processed recording with the known ones");
    auto c = std::make_shared<CompareCommand>();
    cmd->add_option("TRUTH", c->truth, "the truth file written beside a demo recording (.csv)")->required();
    cmd->add_option("RESULT", c->psd, "the .psd file processed from that recording")->required();
    cmd->callback([c] { runCompare(*c); });
}

void addSummaryCommand(CLI::App& app)
{
    auto c = std::make_shared<SummaryCommand>();
    auto* cmd = app.add_subcommand("summary", "One CSV row per cast: the .psd files of folders (searched down) or named");
    cmd->add_option("FOLDER", c->inputs, "folders or .psd files")->required();
    cmd->add_option("-o,--output", c->output, "the CSV file to write (default, or -: standard output)");
    cmd->callback([c] { runSummary(*c); });
}

void addAcquireCommand(CLI::App& app)
{
    auto c = std::make_shared<AcquireCommand>();
    AcquireOptions& o = c->options;
    auto* cmd = app.add_subcommand("acquire", "Log frames live from the instrument into .psd, .asc and .log files");
    cmd->add_option("--model", o.model, "instrument model 0, 1 or 2 (default: InstrumentModel of the profile)")
        ->check(wholeNumber(0, 2));
    cmd->add_option("--port", o.port, "COM1: to COM4: (default: InstrumentPort of the profile)")
        ->check(oneOf({"COM1:", "COM2:", "COM3:", "COM4:"}));
    cmd->add_option("--device", o.device, "the serial device to use for the port, e.g. /dev/ttyUSB0 or /dev/pts/5");
    cmd->add_option("--cal-dir", o.calDir, "calibration folder (default: CalFiles of the profile)");
    cmd->add_option("--ring-area", o.ringArea, "ring-area file (default: the only RingArea*.asc of the calibration folder)");
    cmd->add_option("--background", o.background, "background scatter file (default: zsc.asc of the folder)");
    cmd->add_option("-o,--output", o.psd, "the .psd file to write (the .asc and .log go beside it; a name without an extension gets .psd)");
    cmd->add_flag("--asc", o.asc, "write the .asc size file");
    cmd->add_flag("--vsf", o.vsf, "write the .asc with the volume scattering function");
    cmd->add_flag("--log", o.log, "write the .log of the raw words");
    auto* overwrite = cmd->add_flag("--overwrite", o.overwrite, "replace every file of a cast that exists already");
    cmd->add_flag("--append", o.append,
                  "continue the cast in the files that exist (checked against this run), frame numbers running on")
        ->excludes(overwrite);
    cmd->add_option("--give-up-after", o.giveUpAfter,
                    "end when the instrument stays away this many seconds (default: wait for it for ever)")
        ->check(finiteNumber(0.0, 1e9));
    cmd->add_flag("--force", o.force, "record even when the disk has room for less than an hour of frames");
    cmd->add_option("--interval", o.interval, "seconds from one frame request to the next (default: 1)")
        ->check(finiteNumber(0.0, 86400.0));
    cmd->add_option("--frames", o.frames, "stop after this many frames (default: until Ctrl-C)")
        ->check(wholeNumber(1));
    cmd->add_option("--profile", c->profile, "the settings profile to read (default: the program's own)");
    cmd->add_flag("--list-devices", c->listDevices, text::kAcquireListDevicesHelp);
    cmd->callback([c] { runAcquire(*c); });
}

void addCruiseCommand(CLI::App& app)
{
    auto c = std::make_shared<CruiseCommand>();
    c->jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    auto* cmd = app.add_subcommand("cruise", text::kCruiseDescription);
    cmd->add_option("CASTS", c->log, "the station log (CSV: recording, cast, station, latitude, longitude, "
                                     "start_utc, interval_s, model, cal_dir, other columns as attributes)")
        ->required();
    cmd->add_option("-o,--output", c->outDir, "the folder of the archive")->required();
    cmd->add_option("--bin", c->bin, "depth bin size in the pressure channel's units (default 1)")
        ->check(finiteNumber(1e-6, 1e6));
    cmd->add_option("--attr", c->attrs, "a global attribute key=value (repeatable): title, summary, institution, ...");
    cmd->add_option("--attrs", c->attrsFile, "a file of global attributes, lines \"key = value\"");
    cmd->add_option("-j", c->jobs, "casts processed side by side (default: the number of cores)")
        ->check(wholeNumber(1, 1024));
    cmd->add_flag("--update", c->update, "redo only casts whose row, options or inputs changed");
    cmd->add_option("--rows", c->rows,
                    "only these rows of the log (1 = first after the header; 3, 1-5, 2,4): their .psd and .nc, "
                    "no cruise files");
    cmd->add_flag("--collect", c->collect, "write the cruise files from the casts' outputs already in OUTDIR");
    cmd->add_option("--part", c->part, "the part of each cast in cruise_profiles.nc: descent (default), ascent or both")
        ->check(CLI::IsMember({"descent", "ascent", "both"}));
    cmd->add_flag("--assume-utc", c->assumeUtc, "take a start_utc without a time zone as UTC");
    cmd->add_option("--profile", c->profile, "the settings profile to read (default: the program's own)");
    cmd->add_flag("-q", c->quiet, "no report lines");
    cmd->callback([c] { runCruise(*c); });
}

#ifdef KAVRO_WITH_PLOT
void addPlotCommand(CLI::App& app)
{
    auto o = std::make_shared<PlotCommand>();
    auto* cmd = app.add_subcommand("plot", text::kCliPlotDescription);
    cmd->add_option("FILES", o->files, "the .psd files")->required();
    cmd->add_option("-o,--output", o->output,
                    "the picture (.png, .pdf or .svg), or the folder for several (default: beside the input)");
    cmd->add_option("--size", o->size, "the picture's size in pixels, WIDTHxHEIGHT (default 1600x1000)");
    cmd->add_option("--format", o->format, "png, pdf or svg for pictures named by kavro-cli (default png)");
    cmd->add_flag("--profile-plot", o->profilePlot, "the quantities against the pressure channel, depth down");
    cmd->add_option("--profile", o->profile, "the settings profile to read (default: the program's own)");
    cmd->callback([o] { runPlot(*o); });
}
#endif

// kavro-cli help [COMMAND]: the overview, or one command's options.
void addHelpCommand(CLI::App& app)
{
    auto topic = std::make_shared<std::string>();
    auto* cmd = app.add_subcommand("help", text::kCliHelpCommand);
    cmd->add_option("COMMAND", *topic, text::kCliHelpTopic);
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
        throw Failure(kExitUsage, text::kCliUnknownCommand + *topic + "'" + text::kCliCommandsHint);
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
        throw Failure(kExitUsage, name + text::kCliAbsentIn + text::kCliThisBuild + text::kCliAbsentBecause + reason);
    });
}
#endif

}  // namespace

int runCommandLine(int argc, char** argv, const std::string& versionLine)
{
    CLI::App app{"KAVRO companion on the command line: process recordings, build calibrations, talk to the instrument."};
    app.name("kavro-cli");
    app.set_version_flag("--version", versionLine, text::kCliVersionHelp);
    app.require_subcommand(0, 1);
    addSettingsCommand(app);
    addProcessCommand(app);
    addInfoCommand(app);
    addExportCommand(app);
    addMakecalCommand(app);
    addSimrawCommand(app);
    addBackgroundCommand(app);
#ifdef _WIN32
    addAbsentCommand(app, "simulate", text::kCliSimulateAbsentHelp, text::kCliSimulateAbsentReason);
#else
    addSimulateCommand(app);
#endif
    addCompareCommand(app);
    addSummaryCommand(app);
    addAcquireCommand(app);
    addCruiseCommand(app);
#ifdef KAVRO_WITH_PLOT
    addPlotCommand(app);
#else
    addAbsentCommand(app, "plot", text::kCliPlotAbsentHelp, text::kCliPlotAbsentReason);
#endif
    addHelpCommand(app);
    try {
        if (const char* name = unknownCommand(app, argc, argv))
            throw Failure(kExitUsage, text::kCliUnknownCommand + std::string(name) + "'" + text::kCliCommandsHint);
        app.parse(argc, argv);
        if (app.get_subcommands().empty())
            throw Failure(kExitUsage, std::string(text::kCliNoCommand) + text::kCliCommandsHint);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0)
            return app.exit(e);  // --help, --version
        std::fprintf(stderr, "kavro-cli: %s\n", e.what());
        return kExitUsage;
    } catch (const Failure& f) {
        if (*f.what())
            std::fprintf(stderr, "kavro-cli: %s\n", f.what());
        return f.status;
    } catch (const std::exception& e) {
        // Nothing a command did not foresee ends the program without a word.
        std::fprintf(stderr, "kavro-cli: %s\n", e.what());
        return kExitBadInput;
    }
    return kExitOk;
}

}  // namespace kavro::cli
