// kavro-cli plot FILE.psd... -o PICTURE|FOLDER: quick-look pictures of whole casts.
#include "core/CastReader.h"
#include "platform/FileReplacement.h"
#include "platform/FileUtil.h"
#include "plots/cast/QuickLook.h"
#include "products/CastSummary.h"
#include "resources/CastPlotTexts.h"
#include "resources/CliProcessTexts.h"
#include "tools/Commands.h"
#include "tools/PsdInput.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace kavro::cli {
namespace {

constexpr int kSmallest = 200;
constexpr int kLargest = 10000;

void parseSize(PlotCommand& o)
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
void checkFormat(PictureFormat format, const std::string& named)
{
    if (format == PictureFormat::Unknown)
        throw Failure(kExitUsage, named + text::kCliPlotBadExtension);
    if (!pictureFormatBuilt(format))
        throw Failure(kExitUsage, named + text::kCliPlotNoSvg);
}

void plotOne(const std::string& input, const std::string& output, PictureFormat format, const PlotCommand& o,
             Environment& env)
{
    if (sameFile(input, output))
        throw Failure(kExitUsage, output + ": " + text::kCliOutputIsInput);
    PsdInput psd(input, env);
    std::string timeError;
    const CastSource source = castSourceOf(psd.file(), timeError);
    if (!timeError.empty())
        throw Failure(kExitBadInput, timeError);
    warnEach(cutOffNotes(input));  // the picture leaves them out
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

}  // namespace

void runPlot(PlotCommand& o)
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
        checkFormat(format, o.format);
        for (const std::string& file : o.files)
            plotOne(file, joinPath(folder, stemBeforeFirstDot(fileNamePart(file)) + "." + o.format), format, o, env);
        return;
    }
    // One input: the picture named by -o, or <name>.<format> beside the input.
    const std::string& input = o.files.front();
    const std::string output = !o.output.empty() ? o.output : removeExtension(input) + "." + o.format;
    const PictureFormat format = pictureFormatOf(output);
    checkFormat(format, output);
    plotOne(input, output, format, o, env);
}

}  // namespace kavro::cli
