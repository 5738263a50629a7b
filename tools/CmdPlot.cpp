// kavro-cli plot FILE.psd... -o PICTURE|FOLDER: quick-look pictures of whole casts.
#include "core/CastSummary.h"
#include "platform/FileReplacement.h"
#include "platform/FileUtil.h"
#include "plots/cast/QuickLook.h"
#include "resources/CastPlotTexts.h"
#include "resources/CliProcessTexts.h"
#include "tools/PsdInput.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace kavro::cli {
namespace {

constexpr int kSmallest = 200;
constexpr int kLargest = 10000;

struct PlotOptions {
    std::vector<std::string> files;
    std::string output, profile, size = "1600x1000", format = "png";
    bool profilePlot = false;
    int width = 1600, height = 1000;
};

void parseSize(PlotOptions& o)
{
    int w = 0, h = 0;
    char extra = 0;
    if (std::sscanf(o.size.c_str(), "%dx%d%c", &w, &h, &extra) != 2 || w < kSmallest || h < kSmallest || w > kLargest ||
        h > kLargest)
        throw Failure(kExitUsage, text::kCliPlotBadSize);
    o.width = w;
    o.height = h;
}

// The picture is drawn into a temporary file beside its place and renamed into
// place when whole, so that a failure never leaves half a picture.
void plotOne(const std::string& input, const std::string& output, PictureFormat format, const PlotOptions& o,
             Environment& env)
{
    if (sameFile(input, output))
        throw Failure(kExitUsage, output + ": " + text::kCliOutputIsInput);
    PsdInput psd(input, env);
    std::string timeError;
    const CastSource source = castSourceOf(psd.file(), timeError);
    if (!timeError.empty())
        throw Failure(kExitBadInput, timeError);
    const CastAxis axis = o.profilePlot ? CastAxis::Pressure : CastAxis::Time;
    CastSummary summary;
    try {
        summary = summariseCast(source, quickLookColumns(o.width, o.height, o.profilePlot), axis);
    } catch (const std::runtime_error& e) {
        throw Failure(kExitBadInput, e.what());
    }
    if (o.profilePlot && summary.frames > 0 && !summary.pressureSeen)
        throw Failure(kExitBadInput, input + text::kCliPlotNoPressure);
    FileReplacement replacement;
    if (!replacement.begin(output))
        throw Failure(kExitBadInput, replacement.error());
    if (!writeQuickLook(summary, replacement.temporaryPath(), format, o.width, o.height, o.profilePlot))
        throw Failure(kExitBadInput, output + text::kCliPlotWriteFailed);
    if (!replacement.commit())
        throw Failure(kExitBadInput, replacement.error());
    std::printf(text::kCliPlotWrote, input.c_str(), output.c_str());
    std::fflush(stdout);
}

void plot(PlotOptions& o)
{
    parseSize(o);
    Environment env = loadEnvironment(o.profile);
    const bool many = o.files.size() > 1;
    const bool toFolder = many || (!o.output.empty() && std::filesystem::is_directory(pathFromUtf8(o.output)));
    if (toFolder) {
        const std::string folder = o.output.empty() ? std::string() : o.output;
        if (many && (folder.empty() || !std::filesystem::is_directory(pathFromUtf8(folder))))
            throw Failure(kExitUsage, (folder.empty() ? std::string("-o") : folder) + text::kCliPlotNotFolder);
        const PictureFormat format = pictureFormatOf("x." + o.format);
        if (format == PictureFormat::Unknown)
            throw Failure(kExitUsage, o.format + text::kCliPlotBadExtension);
        for (const std::string& file : o.files)
            plotOne(file, joinPath(folder, stemBeforeFirstDot(fileNamePart(file)) + "." + o.format), format, o, env);
        return;
    }
    // One input: the picture named by -o, or <name>.<format> beside the input.
    const std::string& input = o.files.front();
    const std::string output = !o.output.empty() ? o.output : removeExtension(input) + "." + o.format;
    const PictureFormat format = pictureFormatOf(output);
    if (format == PictureFormat::Unknown)
        throw Failure(kExitUsage, output + text::kCliPlotBadExtension);
    plotOne(input, output, format, o, env);
}

}  // namespace

void addPlotCommand(CLI::App& app)
{
    auto o = std::make_shared<PlotOptions>();
    auto* cmd = app.add_subcommand("plot", text::kCliPlotDescription);
    cmd->add_option("FILES", o->files, "the .psd files")->required();
    cmd->add_option("-o,--output", o->output,
                    "the picture (.png, .pdf or .svg), or the folder for several (default: beside the input)");
    cmd->add_option("--size", o->size, "the picture's size in pixels, WIDTHxHEIGHT (default 1600x1000)");
    cmd->add_option("--format", o->format, "png, pdf or svg for pictures named by kavro-cli (default png)");
    cmd->add_flag("--profile-plot", o->profilePlot, "the quantities against the pressure channel, depth down");
    cmd->add_option("--profile", o->profile, "the settings profile to read (default: the program's own)");
    cmd->callback([o] { plot(*o); });
}

}  // namespace kavro::cli
