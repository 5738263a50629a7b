// kavro-cli process: raw recordings to .psd (and .asc, .log) without a screen.
#include "core/TimeStamps.h"
#include "platform/FileUtil.h"
#include "resources/CliProcessTexts.h"
#include "resources/CoreTexts.h"
#include "resources/DataTexts.h"
#include "tools/ProcessJob.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <set>
#include <thread>

namespace kavro::cli {
namespace {

struct ProcessCommand {
    std::vector<std::string> rawFiles;
    std::string profile, output, outputDir;
    std::optional<int> model;
    std::optional<std::string> calDir;
    ProcessOptions options;
    bool update = false;
};

// The output of every recording; usage problems end the command before any work.
std::vector<std::string> outputsOf(const ProcessCommand& c)
{
    if (!c.output.empty() && !c.outputDir.empty())
        throw Failure(kExitUsage, text::kCliOutputAndDir);
    if (!c.output.empty() && c.rawFiles.size() > 1)
        throw Failure(kExitUsage, text::kCliOutputWithSeveral);
    if (c.options.startTime && c.rawFiles.size() > 1)
        throw Failure(kExitUsage, text::kCliStartTimeWithSeveral);
    requireFileOutput(c.output, text::kCliPsdWhat);
    const std::string output = withDefaultExtension(c.output, text::kPsdExtension);
    std::vector<std::string> outputs;
    std::set<std::string> seen;
    for (const std::string& raw : c.rawFiles) {
        outputs.push_back(output.empty() ? defaultOutput(raw, c.outputDir) : output);
        for (const std::string& other : seen)
            if (sameFile(other, outputs.back()))
                throw Failure(kExitUsage, text::kCliSameOutput + outputs.back());
        if (sameFile(raw, outputs.back()))
            throw Failure(kExitUsage, raw + ": " + text::kCliOutputIsInput);
        seen.insert(outputs.back());
    }
    return outputs;
}

void run(ProcessCommand& c)
{
    if (c.options.first && c.options.last && *c.options.last < *c.options.first)
        throw Failure(kExitUsage, text::kCliLastBeforeFirst);
    const std::vector<std::string> outputs = outputsOf(c);
    Environment env = loadEnvironment(c.profile);
    ProcessOptions options = c.options;
    options.model = c.model.value_or(env.settings.storedInstrumentModel(*env.profile));
    options.calDir = c.calDir.value_or(env.settings.calFiles);
    if (options.ringArea.empty())
        options.ringArea = findRingAreaFile(options.calDir, options.model);

    // Every recording is tried; each failure is told on its own line.
    forEachInput(c.rawFiles.size(), [&](std::size_t i) {
        const std::string background = options.background.empty()
                                           ? defaultBackground(c.rawFiles[i], options.calDir, env.settings.pdFirst)
                                           : options.background;
        // With --start-time the time file is an output too.
        std::error_code ec;
        const bool timesMissing = options.startTime && !std::filesystem::exists(timeStampPathFor(outputs[i]), ec);
        // Up to date: newer than its inputs, and made with the options given now.
        if (c.update && !timesMissing && upToDate(outputs[i], {c.rawFiles[i], background}) &&
            outputMatchesOptions(c.rawFiles[i], outputs[i], options, background, env)) {
            if (!options.quiet)
                std::printf(text::kCliUpToDate, c.rawFiles[i].c_str(), outputs[i].c_str());
            return;
        }
        createFolderFor(outputs[i]);
        const ProcessResult r = processRecording(c.rawFiles[i], outputs[i], options, env);
        if (!options.quiet)
            std::printf(text::kCliProcessed, c.rawFiles[i].c_str(), r.frames, outputs[i].c_str(),
                        r.multiScan ? text::kCliMultiScanNote : "");
    });
}

}  // namespace

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
    cmd->callback([c] { run(*c); });
}

}  // namespace kavro::cli
