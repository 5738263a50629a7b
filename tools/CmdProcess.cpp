// kavro-cli process: raw recordings to .psd (and .asc, .log) without a screen.
#include "core/TimeStamps.h"
#include "platform/FileUtil.h"
#include "resources/CliProcessTexts.h"
#include "resources/CoreTexts.h"
#include "resources/DataTexts.h"
#include "tools/Commands.h"

#include <cstdio>
#include <filesystem>
#include <set>
#include <thread>

namespace kavro::cli {
namespace {

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

}  // namespace

void runProcess(ProcessCommand& c)
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
        const bool timesMissing = options.startTime && !std::filesystem::exists(pathFromUtf8(timeStampPathFor(outputs[i])), ec);
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

}  // namespace kavro::cli
