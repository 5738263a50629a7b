// kavro-cli background: a background scatter file from a raw recording of clean
// water, judged against the factory background, as File > Build Background
// Scatter File does it, with the options standing in for the dialogs.
#include "background/BackgroundBuild.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "platform/Prompter.h"
#include "resources/BackgroundTexts.h"
#include "resources/CliProcessTexts.h"
#include "resources/CoreTexts.h"
#include "tools/Commands.h"

#include <cerrno>
#include <cstdio>
#include <vector>

namespace kavro::cli {
namespace {

// Answers the build's dialogs from the options and keeps its messages.
class OptionPrompter : public Prompter {
public:
    OptionPrompter(const BackgroundCommand& options, std::string output) : options_(options), output_(std::move(output)) {}

    std::optional<std::string> openFile(const FileDialogRequest&) override { return options_.raw; }
    std::optional<std::string> saveFile(const FileDialogRequest&) override { return output_; }
    void message(const std::string& text, MessageIcon) override { messages_.push_back(text); }
    bool askYesNo(const std::string&) override
    {
        // Only asked when AutoMultiScan is 0 and no --multiscan answer was given.
        if (options_.multiScan.empty())
            throw Failure(kExitUsage, options_.raw + ": " + text::kCliMultiScanUndecided);
        return options_.multiScan == "yes";
    }
    const std::vector<std::string>& messages() const { return messages_; }

private:
    const BackgroundCommand& options_;
    std::string output_;
    std::vector<std::string> messages_;
};

std::string withPlainLineEnds(const std::string& text)
{
    std::string out;
    for (char c : text)
        if (c != '\r')
            out += c;
    return out;
}

// A verdict line without its line end, for a message of one line.
std::string lineText(const char* line)
{
    std::string out = withPlainLineEnds(line);
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

// Everything told during the build but the last goes out at once; the last ends the run.
[[noreturn]] void failWith(const std::vector<std::string>& messages)
{
    for (std::size_t i = 0; i + 1 < messages.size(); ++i)
        std::fprintf(stderr, "kavro-cli: %s\n", messages[i].c_str());
    throw Failure(kExitBadInput, messages.empty() ? std::string("failed") : messages.back());
}

}  // namespace

void runBackground(const BackgroundCommand& o)
{
    Environment env = loadEnvironment(o.profile);
    if (!o.calDir.empty())
        env.settings.calFiles = o.calDir;
    if (!o.multiScan.empty())
        env.settings.autoMultiScan = o.multiScan == "auto" ? 1 : 0;
    requireFileOutput(o.output, text::kCliBackgroundWhat);
    const std::string output = o.output.empty() ? joinPath(directoryPart(o.raw), text::kBackgroundOutputName)
                                                 : withDefaultExtension(o.output, text::kAscExtension);
    if (sameFile(output, o.raw))
        throw Failure(kExitUsage, o.raw + ": " + text::kCliOutputIsInput);
    if (std::FILE* f = openRegularFileForReading(o.raw, true))
        std::fclose(f);
    else
        throw Failure(kExitBadInput, o.raw + ": " + errnoText(errno));
    const std::string factory = o.factory.empty() ? CScatterAccumulator::defaultFactoryPath(env.settings) : o.factory;

    OptionPrompter prompter(o, output);
    std::optional<double> ratio;
    auto verdict = [&](CScatterAccumulator& acc) {
        std::fputs(withPlainLineEnds(acc.qualityText()).c_str(), stdout);
        ratio = acc.laserReferenceRatio();
        // Nobody is there to accept a build judged against a bad factory file.
        return !acc.factoryIsBad();
    };
    switch (buildBackgroundFromRawFile(env.settings, *env.profile, prompter, verdict, factory)) {
    case BuildResult::Abandoned:
        throw Failure(kExitBadInput, factory + ": " + text::kFactoryUnreadable);
    case BuildResult::NoRecords:
        throw Failure(kExitBadInput, o.raw + ": " + text::kNoBackgroundRecords);
    case BuildResult::Rejected:
        throw Failure(kExitBadInput, factory + ": " + lineText(text::kBadFactoryFile));
    case BuildResult::AcceptedWithFailure:
        failWith(prompter.messages());
    case BuildResult::Accepted:
        break;
    }
    std::printf(text::kCliOutputWritten, output.c_str());
    if (ratio)
        std::printf(text::kCliRatioStored, formatG(*ratio).c_str(), env.profile->path().c_str());
    else
        std::fputs(text::kCliRatioUnchanged, stdout);
}

}  // namespace kavro::cli
