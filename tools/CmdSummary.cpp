// kavro-cli summary: one CSV row per cast of one or more folders (or .psd files).
#include "core/CInvPars.h"
#include "core/CastReader.h"
#include "core/FrameTimes.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "products/CastExport.h"
#include "resources/CliProcessTexts.h"
#include "resources/DataTexts.h"
#include "tools/Commands.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace kavro::cli {
namespace {

// The .psd files of the arguments: a folder's (and its subfolders'), sorted; a file as it is.
std::vector<std::string> castsOf(const std::vector<std::string>& args)
{
    std::vector<std::string> casts;
    for (const std::string& a : args) {
        std::error_code ec;
        if (!std::filesystem::is_directory(pathFromUtf8(a), ec)) {
            casts.push_back(a);
            continue;
        }
        std::vector<std::string> found;
        for (auto it = std::filesystem::recursive_directory_iterator(pathFromUtf8(a), ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            if (it->is_regular_file(ec) && hasExtension(utf8FromPath(it->path()), ".psd"))
                found.push_back(utf8FromPath(it->path()));
        if (found.empty())
            std::fprintf(stderr, "kavro-cli: %s%s\n", text::kSummaryNoCasts, a.c_str());
        std::sort(found.begin(), found.end());
        casts.insert(casts.end(), found.begin(), found.end());
    }
    return casts;
}

std::string cell(const std::string& s)
{
    return csvCell(s);
}

std::string number(double v)
{
    return std::isfinite(v) ? formatG(v, 7) : "";
}

std::string rowOf(const std::string& path)
{
    const CastReader cast(path);
    const CastFigures s = castFigures(cast);
    std::string row = cell(path) + "," + std::to_string(s.frames) + "," + std::to_string(s.withDistribution) + "," +
                      std::to_string(s.unflagged);
    for (long long n : s.byFlag)
        row += "," + std::to_string(n);
    row += "," + number(s.medianD50) + "," + number(s.meanTotalVolume) + "," + number(s.minMean) + "," +
           number(s.maxMean) + "," + std::to_string(cast.model()) + "," + std::string(1, modelLetter(cast.model())) +
           "," + cell(cast.header().backgroundPath);
    row += "," + (s.stamped > 0 ? formatUtcTimestamp(s.firstUtc) : "") + "," +
           (s.stamped > 0 ? formatUtcTimestamp(s.lastUtc) : "") + "," + cell(s.timesProblem) + "\n";
    // A time file that cannot be read is told, as info tells it, not left to look like no times.
    if (!s.timesProblem.empty())
        std::fprintf(stderr, (std::string("kavro-cli: ") + text::kSummaryTimesWarning).c_str(), s.timesProblem.c_str());
    warnEach(cutOffNotes(cast, s.timesHalfLine));
    return row;
}

}  // namespace

void runSummary(const SummaryCommand& c)
{
    const std::vector<std::string>& args = c.inputs;
    const std::string& output = c.output;
    if (!output.empty() && output != kStandardOutput)
        for (const std::string& a : args)
            if (sameFile(a, output))
                throw Failure(kExitUsage, output + ": " + text::kCliOutputIsInput);
    std::string table = text::kSummaryHeader;
    int status = kExitOk;
    for (const std::string& path : castsOf(args)) {
        try {
            table += rowOf(path);
        } catch (const CastError& e) {
            std::fprintf(stderr, "kavro-cli: %s\n", e.what());
            status = kExitBadInput;
        }
    }
    if (output.empty() || output == kStandardOutput) {
        if (std::fwrite(table.data(), 1, table.size(), stdout) != table.size() || std::fflush(stdout) != 0)
            throw Failure(kExitBadInput, std::string("stdout: ") + text::kCliWriteFailed + errnoText(errno));
    } else {
        std::string error;
        if (!replaceFileAtomically(output, table, &error))
            throw Failure(kExitBadInput, error);  // the reason names the file
    }
    if (status != kExitOk)
        throw Failure(status, "");
}

}  // namespace kavro::cli
