// kavro-cli export: the frames of .psd files as CF-NetCDF or as a CSV table.
#include "core/CastReader.h"
#include "core/FrameTimes.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "products/CastExport.h"
#include "products/CtdMerge.h"
#include "resources/CliProcessTexts.h"
#include "resources/DataTexts.h"
#include "tools/Commands.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace kavro::cli {
namespace {

std::string commandLine(const ExportCommand& c)
{
    std::string line = std::string(text::kCliCommandName) + " export " + (c.netcdf ? "--netcdf" : "--csv");
    if (c.decimalComma)
        line += " --decimal-comma";
    if (c.update)
        line += " --update";
    if (!c.calDir.empty())
        line += " --cal-dir " + c.calDir;
    if (!c.ctd.empty())
        line += " --ctd " + c.ctd + " --latitude " + formatG(c.latitude, 17);
    if (!c.output.empty())
        line += " -o " + c.output;
    for (const std::string& f : c.files)
        line += " " + f;
    return line;
}

// The output of each file; "" = stdout (one CSV without -o, or with -o -).
std::vector<std::string> outputsOf(const ExportCommand& c)
{
    if (c.netcdf || c.files.size() > 1)
        requireFileOutput(c.output, c.netcdf ? text::kCliNetcdfWhat : text::kCliSeveralTablesWhat);
    if (c.output == kStandardOutput)
        return {std::string()};
    const std::string ext = c.netcdf ? ".nc" : ".csv";
    std::error_code ec;
    const bool folder =
        !c.output.empty() && (c.files.size() > 1 || std::filesystem::is_directory(pathFromUtf8(c.output), ec));
    if (c.files.size() > 1 && !c.output.empty()) {
        std::filesystem::create_directories(pathFromUtf8(c.output), ec);
        if (!std::filesystem::is_directory(pathFromUtf8(c.output), ec))
            throw Failure(kExitUsage, c.output + ": " + text::kCliSeveralNeedFolder);
    }
    std::vector<std::string> outputs;
    for (const std::string& f : c.files) {
        std::string out;
        if (folder)
            out = joinPath(c.output, fileNamePart(removeExtension(f)) + ext);
        else if (!c.output.empty())
            out = c.output;
        else if (c.netcdf || c.files.size() > 1)
            out = removeExtension(f) + ext;
        if (!out.empty() && sameFile(f, out))
            throw Failure(kExitUsage, out + ": " + text::kCliOutputIsInput);
        for (const std::string& other : outputs)
            if (!out.empty() && sameFile(other, out))
                throw Failure(kExitUsage, text::kCliSameOutput + out);
        outputs.push_back(out);
    }
    if (c.update && outputs.size() == 1 && outputs[0].empty())
        throw Failure(kExitUsage, text::kCliUpdateNeedsFile);
    return outputs;
}

}  // namespace

void runExport(const ExportCommand& c)
{
    if (!c.csv && !c.netcdf)
        throw Failure(kExitUsage, text::kCliExportFormat);
    if (c.netcdf && !netcdfExportBuilt())
        throw Failure(kExitUsage, text::kNetcdfNotBuilt);
    if (c.decimalComma && !c.csv)
        throw Failure(kExitUsage, text::kCliDecimalCommaIsCsv);
    if (!c.ctd.empty() && !c.netcdf)
        throw Failure(kExitUsage, text::kCliCtdIsNetcdf);
    if (!c.ctd.empty() && c.files.size() != 1)
        throw Failure(kExitUsage, text::kCliCtdOneCast);
    if (!c.ctd.empty() && !std::isfinite(c.latitude))
        throw Failure(kExitUsage, text::kCliCtdNeedsLatitude);
    if (c.ctd.empty() && std::isfinite(c.latitude))
        throw Failure(kExitUsage, text::kCliLatitudeIsCtd);
    const std::vector<std::string> outputs = outputsOf(c);
    Environment env = loadEnvironment(c.profile);
    if (!c.calDir.empty())
        env.settings.calFiles = c.calDir;
    ExportContext context = exportContext(env.settings, *env.profile, text::kSourceCli, commandLine(c));
    context.warn = [](const std::string& message) { std::fprintf(stderr, "kavro-cli: %s\n", message.c_str()); };
    forEachInput(c.files.size(), [&](std::size_t i) {
        const std::string& in = c.files[i];
        const std::string& out = outputs[i];
        std::vector<std::string> inputs = {in, frameTimesPathFor(in)};
        if (!c.ctd.empty())
            inputs.push_back(c.ctd);
        if (c.update && upToDate(out, inputs) &&
            (!c.netcdf || netcdfMadeWithCalibration(out, context))) {
            if (!c.quiet)
                std::printf(text::kCliUpToDate, in.c_str(), out.c_str());
            return;
        }
        // The export leaves out what a power loss or a kill left at the end; said first.
        warnEach(cutOffNotes(in));
        if (out.empty()) {
            TextSink sink(out);
            writeCsv(in, context, c.decimalComma, [&](const std::string& text) { sink.add(text); });
            sink.close();
            return;
        }
        createFolderFor(out);
        if (!c.ctd.empty()) {
            try {
                context.ctd = std::make_shared<const CtdTrack>(readCnv(c.ctd), c.latitude);
            } catch (const CnvError& e) {
                throw Failure(kExitBadInput, e.what());
            }
        }
        if (c.netcdf)
            writeNetcdf(in, out, context);
        else
            writeCsvFile(in, out, context, c.decimalComma);
        if (!c.quiet)
            std::printf(text::kCliExported, in.c_str(), out.c_str());
    });
}

}  // namespace kavro::cli
