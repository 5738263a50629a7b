#include "products/CastExportParts.h"

#include "products/BlockPipeline.h"
#include "products/CfConventions.h"
#include "resources/DataTexts.h"

#include <cstdio>
#include <filesystem>

namespace kavro {

FrameTimes exportTimesFor(const std::string& psd)
{
    FrameTimes times;
    const std::string path = frameTimesPathFor(psd);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return times;
    std::string error;
    if (!readFrameTimes(path, times, error))
        throw CastError(path + ": " + text::kExportTimesProblem + error);
    return times;
}

void forEachFrameBlock(const CastReader& cast, const FrameTimes& times,
                       const std::function<bool(const std::vector<FrameRow>&)>& write)
{
    constexpr std::size_t kBlocksAhead = 2;
    std::vector<OutputRecord> records;  // the reading thread's alone
    long long first = 0;
    readAhead<std::vector<FrameRow>>(
        kBlocksAhead,
        [&](std::vector<FrameRow>& rows) {
            rows.resize(cast.read(first, kExportBlock, records));
            for (std::size_t i = 0; i < rows.size(); ++i) {
                rows[i] = analyseFrame(records[i], first + static_cast<long long>(i), cast.edges(), cast.diameters(),
                                       cast.backgroundMissing());
                rows[i].utc = times.utcOfRecord(rows[i].frame);
            }
            first += static_cast<long long>(rows.size());
            return !rows.empty();
        },
        [&](std::vector<FrameRow>& rows) { return write(rows); });
}

std::string variableNameOf(const std::string& label)
{
    std::string name;
    for (char c : label) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        const bool ok = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (ok)
            name += c;
        else if (!name.empty() && name.back() != '_')
            name += '_';
    }
    while (!name.empty() && name.back() == '_')
        name.pop_back();
    if (!name.empty() && name[0] >= '0' && name[0] <= '9')
        name = "ch_" + name;
    return name;
}

std::string channelStandardName(const ExportContext& context, int i)
{
    constexpr int kPressureChannel = 4, kTemperatureChannel = 5;
    const std::string& units = context.channels[static_cast<std::size_t>(i)].units;
    if (i == kPressureChannel)
        return udunitsSpelling(units) == "m" ? cf::kDepth : pressureStandardName(units);
    if (i == kTemperatureChannel)
        return temperatureStandardName(units, context.temperatureMeasuresWater);
    return "";
}

std::array<std::string, kAux> channelNames(const ExportContext& context, const std::set<std::string>& taken)
{
    std::array<std::string, kAux> names;
    std::set<std::string> used = taken;
    for (int i = 0; i < kAux; ++i) {
        std::string name = variableNameOf(context.channels[static_cast<std::size_t>(i)].label);
        char fallback[32];
        std::snprintf(fallback, sizeof fallback, text::kAuxFallbackName, i + 1);
        if (name.empty() || used.count(name))
            name = fallback;
        used.insert(name);
        names[static_cast<std::size_t>(i)] = name;
    }
    return names;
}

std::string replacementProblem(const FileReplacement& replacement)
{
    const std::string prefix = replacement.target() + ": ";
    const std::string& error = replacement.error();
    return error.rfind(prefix, 0) == 0 ? error.substr(prefix.size()) : error;
}

}  // namespace kavro
