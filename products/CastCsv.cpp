// The CSV table of a cast: one line per frame, units in the column names.
#include "platform/NumText.h"
#include "products/CastExport.h"
#include "products/CastExportParts.h"
#include "resources/DataTexts.h"

#include <cmath>
#include <cstdio>

namespace kavro {
namespace {

// The header line: frame, time (when the cast has time stamps), the classes by
// diameter, the statistics, the channels with their units, the counts and flags.
std::string headerLine(const CastReader& cast, const FrameTimes& times, const ExportContext& context, char sep)
{
    std::string line = text::kFieldFrame.column;
    auto head = [&](const std::string& name) { line += sep + csvCell(name, sep); };
    if (!times.empty())
        head(text::kFieldTime.column);
    char name[96];
    for (int k = 0; k < kClasses; ++k) {
        const double d = cast.diameters()[static_cast<std::size_t>(k)];
        if (d > 0.0)
            std::snprintf(name, sizeof name, text::kFieldVolume.column, formatG(d, 4).c_str());
        else
            std::snprintf(name, sizeof name, text::kCsvClassColumnByNumber, k + 1);
        head(name);
    }
    for (const text::DataField* f : {&text::kFieldTotal, &text::kFieldMean, &text::kFieldStdDev, &text::kFieldD10,
                                     &text::kFieldD50, &text::kFieldD90, &text::kFieldModeDiameter,
                                     &text::kFieldModeClass, &text::kFieldSlope, &text::kFieldTransmission,
                                     &text::kFieldBeamC})
        head(f->column);
    const auto names = channelNames(context, {});
    for (int i = 0; i < kAux; ++i) {
        const std::string& units = context.channels[static_cast<std::size_t>(i)].units;
        const std::string unitName = variableNameOf(units);
        head(names[static_cast<std::size_t>(i)] + (unitName.empty() ? "" : "_" + unitName));
    }
    for (const text::DataField* f : {&text::kFieldZeroRings, &text::kFieldSaturatedRings, &text::kFieldFlag})
        head(f->column);
    return line + "\n";
}

}  // namespace

void writeCsv(const std::string& psd, const ExportContext& context, bool decimalComma,
              const std::function<void(const std::string&)>& sink)
{
    const CastReader cast(psd);
    const FrameTimes times = exportTimesFor(psd);
    const char sep = decimalComma ? ';' : ',';
    sink(headerLine(cast, times, context, sep));

    std::string line;
    auto number = [&](double v, bool asFloat) {
        line += sep;
        if (!std::isfinite(v))
            return;
        std::string t = asFloat ? formatShortest(static_cast<float>(v)) : formatG(v, 7);
        if (decimalComma)
            for (char& c : t)
                if (c == '.')
                    c = ',';
        line += t;
    };
    std::string block;
    forEachFrameBlock(cast, times, [&](const std::vector<FrameRow>& rows) {
        block.clear();
        for (const FrameRow& r : rows) {
            line = std::to_string(r.frame);
            if (!times.empty()) {
                line += sep;
                line += formatUtcTimestamp(r.utc);
            }
            for (float v : r.volume)
                number(v, true);
            for (float v : {r.totalVolume, r.mean, r.stdDev})
                number(v, true);
            for (double v : {r.stats.d10, r.stats.d50, r.stats.d90, r.stats.modeDiameter})
                number(v, false);
            line += sep;
            if (r.stats.modeClass >= 0)
                line += std::to_string(r.stats.modeClass + 1);
            number(r.stats.jungeSlope, false);
            for (float v : {r.transmission, r.beamAttenuation})
                number(v, true);
            for (float v : r.aux)
                number(v, true);
            line += sep + std::to_string(r.zeroRings) + sep + std::to_string(r.saturatedRings) + sep +
                    std::to_string(r.flags) + "\n";
            block += line;
        }
        sink(block);
        return true;
    });
}

void writeCsvFile(const std::string& psd, const std::string& out, const ExportContext& context, bool decimalComma)
{
    // Written beside out and put in its place only when whole.
    FileReplacement file;
    if (!file.begin(out))
        throw CastError(out + ": " + text::kExportCannotCreate + replacementProblem(file));
    writeCsv(psd, context, decimalComma, [&](const std::string& text) {
        if (!file.write(text))
            throw CastError(out + ": " + text::kExportCannotCreate + replacementProblem(file));
    });
    if (!file.commit())
        throw CastError(out + ": " + text::kExportCannotCreate + replacementProblem(file));
}

}  // namespace kavro
