// kavro-cli cruise CASTS.csv -o OUTDIR: one command from the recordings of a
// cruise to an archive (per-cast .psd and NetCDF, the profiles of the cruise as
// one CF file, a summary table and a report).
#include "core/FrameTimes.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "platform/System.h"
#include "products/CfConventions.h"
#include "resources/CliProcessTexts.h"
#include "resources/CruiseTexts.h"
#include "resources/DataTexts.h"
#include "tools/Commands.h"
#include "tools/CruiseFiles.h"
#include "tools/CruiseJob.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <mutex>
#include <numeric>
#include <set>
#include <thread>

namespace kavro::cli {
namespace {

std::string commandLine(const CruiseCommand& c)
{
    char bin[64];
    std::snprintf(bin, sizeof bin, " --bin %g", c.bin);
    std::string line = std::string(text::kCliCommandName) + " cruise " + c.log + " -o " + c.outDir + bin;
    if (c.part != "descent")
        line += " --part " + c.part;
    if (c.collect)
        line += " --collect";
    return line;
}

std::string trimmed(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

bool validAttributeName(const std::string& name)
{
    if (name.empty() || !(std::isalpha(static_cast<unsigned char>(name[0])) || name[0] == '_'))
        return false;
    for (char c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '-'))
            return false;
    return true;
}

void putAttribute(std::vector<std::pair<std::string, std::string>>& attributes, const std::string& name,
                  const std::string& value)
{
    for (auto& a : attributes)
        if (a.first == name) {
            a.second = value;
            return;
        }
    attributes.emplace_back(name, value);
}

// --attrs FILE (lines "key = value", '#' comments), then every --attr key=value.
std::vector<std::pair<std::string, std::string>> attributesOf(const CruiseCommand& c)
{
    std::vector<std::pair<std::string, std::string>> attributes;
    auto take = [&](const std::string& where, const std::string& line) {
        const auto eq = line.find('=');
        const std::string name = eq == std::string::npos ? std::string() : trimmed(line.substr(0, eq));
        if (!validAttributeName(name))
            throw Failure(kExitUsage, where + text::kCruiseBadAttribute + line + "\"");
        if (isComputedAttribute(name))
            throw Failure(kExitUsage, where + ": " + name + text::kCruiseComputedAttribute);
        putAttribute(attributes, name, trimmed(line.substr(eq + 1)));
    };
    if (!c.attrsFile.empty()) {
        std::string content;
        if (!readWholeFile(c.attrsFile, content))
            throw Failure(kExitBadInput, c.attrsFile + ": " + errnoText(errno));
        int number = 0;
        std::size_t start = 0;
        while (start < content.size()) {
            std::size_t end = content.find('\n', start);
            if (end == std::string::npos)
                end = content.size();
            const std::string line = trimmed(content.substr(start, end - start));
            ++number;
            start = end + 1;
            if (line.empty() || line[0] == '#')
                continue;
            char where[64];
            std::snprintf(where, sizeof where, " line %d", number);
            take(c.attrsFile + where, line);
        }
    }
    for (const std::string& a : c.attrs)
        take("--attr", a);
    return attributes;
}

// "3", "1-5", "2,4,7-9": row numbers from 1 to count.
std::set<int> rowsOf(const std::string& list, int count)
{
    std::set<int> rows;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string::npos)
            end = list.size();
        const std::string part = trimmed(list.substr(start, end - start));
        const auto dash = part.find('-', 1);
        const auto lo = scanWholeInt(part.substr(0, dash));
        const auto hi = dash == std::string::npos ? lo : scanWholeInt(part.substr(dash + 1));
        if (!lo || !hi || *lo < 1 || *hi < *lo || *hi > count) {
            char b[200];
            std::snprintf(b, sizeof b, text::kCruiseBadRows, part.c_str(), count);
            throw Failure(kExitUsage, b);
        }
        for (int r = *lo; r <= *hi; ++r)
            rows.insert(r);
        start = end + 1;
    }
    return rows;
}

// Whole seconds: SOURCE_DATE_EPOCH makes rebuilt files identical.
double createdTime()
{
    return std::floor(creationTimeUtc());
}

// Runs job(i) for i = 0..count-1 on `threads` threads; a failure is told on its
// own line and the others go on.  False when any failed.
bool runJobs(std::size_t count, int threads, std::mutex& out, const std::function<void(std::size_t)>& job)
{
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    auto work = [&] {
        for (std::size_t i; (i = next++) < count;) {
            try {
                job(i);
            } catch (const std::exception& e) {
                std::lock_guard lock(out);
                std::fprintf(stderr, "kavro-cli: %s\n", e.what());
                failed = true;
            }
        }
    };
    std::vector<std::jthread> pool;
    for (int t = 1; t < threads && static_cast<std::size_t>(t) < count; ++t)
        pool.emplace_back(work);
    work();
    pool.clear();
    return !failed;
}

// The order the casts are processed in: the longest recordings first, so that no
// long cast is left running alone at the end; a .psd (only copied) after every
// recording to process.  Station order among equals.
std::vector<std::size_t> longestFirst(const std::vector<StationRow>& rows)
{
    std::vector<std::pair<bool, std::uintmax_t>> work;
    for (const StationRow& r : rows) {
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(pathFromUtf8(r.recording), ec);
        work.emplace_back(!hasExtension(r.recording, ".psd"), ec ? 0 : size);
    }
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return work[a] > work[b]; });
    return order;
}

void makeFolder(const std::string& path)
{
    std::error_code ec;
    std::filesystem::create_directories(pathFromUtf8(path), ec);
    if (!std::filesystem::is_directory(pathFromUtf8(path), ec))
        throw Failure(kExitBadInput, path + ": " + text::kCruiseCannotMakeFolder);
}

}  // namespace

void runCruise(const CruiseCommand& c)
{
    // The casts' columns move between the threads in blocks of about half a megabyte:
    // kept in the threads' pools they would add more than a tenth to the peak memory.
    returnLargeBlocksWhenFreed();
    if (c.collect && (!c.rows.empty() || c.update))
        throw Failure(kExitUsage, text::kCruiseCollectAlone);
    const auto attributes = attributesOf(c);
    std::string content;
    if (!readWholeFile(c.log, content))
        throw Failure(kExitBadInput, c.log + ": " + errnoText(errno));
    StationLog log;
    try {
        log = parseStationLog(content, directoryPart(c.log), {.checkFiles = !c.collect, .assumeUtc = c.assumeUtc});
    } catch (const std::runtime_error& e) {
        throw Failure(kExitBadInput, c.log + ": " + e.what());
    }
    const std::set<int> chosen = c.rows.empty() ? std::set<int>() : rowsOf(c.rows, log.dataRows);
    bool failed = false;
    // With --rows only the chosen rows' problems are told.
    for (const StationProblem& p : log.problems)
        if (chosen.empty() || chosen.count(p.index)) {
            std::fprintf(stderr, "kavro-cli: %s %s\n", c.log.c_str(), p.text.c_str());
            failed = true;
        }
    std::vector<StationRow> rows;
    for (const StationRow& r : log.rows)
        if (chosen.empty() || chosen.count(r.index))
            rows.push_back(r);

    CruiseSetup setup;
    setup.outDir = c.outDir;
    setup.profileOption = c.profile;
    setup.binSize = c.bin;
    setup.attributes = attributes;
    setup.commandLine = commandLine(c);
    setup.update = c.update;
    setup.logPath = c.log;
    for (const StationRow& r : log.rows)  // the whole log's, whichever rows run now
        setup.ctdCruise = setup.ctdCruise || !r.ctd.empty();
    for (const char* sub : {"psd", "nc", text::kCruiseStateFolder})
        makeFolder(joinPath(c.outDir, sub));
    std::mutex out;
    setup.warn = [&out](const std::string& message) {
        std::lock_guard lock(out);
        std::fprintf(stderr, "kavro-cli: %s\n", message.c_str());
    };
    const int threads = std::max(1, c.jobs);

#ifdef KAVRO_WITH_PLOT
    const bool pictures = true;
#else
    const bool pictures = false;
#endif
    const ExportContext context = cruiseContext(setup);
    CruiseFilesSetup filesSetup;
    filesSetup.outDir = c.outDir;
    filesSetup.binSize = c.bin;
    filesSetup.part = c.part == "both" ? ProfilePart::Both : c.part == "ascent" ? ProfilePart::Ascent : ProfilePart::Descent;
    filesSetup.attributes = attributes;
    filesSetup.created = createdTime();
    // A cast's own files, then (unless --update may find the cruise's files up to
    // date, or only the casts are asked for) what the cruise's files take from it,
    // read back while the other threads still process their casts.
    std::vector<CastOutcome> outcomes(rows.size());
    std::vector<char> usable(rows.size(), 1), analysed(rows.size(), 0);
    const bool analyseAtOnce = !c.update && c.rows.empty() && !c.collect;
    // Each cast's CTD, read once: by the cast's export when it is made, else when it is
    // binned; what the export still needs is only its values at the frames.
    std::vector<std::shared_ptr<const CtdTrack>> ctds(rows.size());
    std::vector<std::optional<CastPending>> pending(rows.size());
    auto analyse = [&](std::size_t i) {
        outcomes[i] = analyseCast(rows[i], setup, context, pictures, std::move(ctds[i]));
        ctds[i].reset();
        // The export keeps only the CTD at the frames: the scans go now.
        if (pending[i] && pending[i]->context.ctd) {
            pending[i]->context.ctdFrames = std::move(outcomes[i].ctdAtFrames);
            pending[i]->context.ctd.reset();
        }
        outcomes[i].ctdAtFrames.reset();
        analysed[i] = 1;
    };
    auto analysedCasts = [&] {
        std::vector<const CastOutcome*> casts;
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (analysed[i])
                casts.push_back(&outcomes[i]);
        return casts;
    };
    auto told = [&](std::size_t i, bool made) {
        if (c.quiet)
            return;
        std::lock_guard lock(out);
        if (made)
            std::printf(text::kCruiseCastDone, rows[i].recording.c_str(), rows[i].cast.c_str());
        else
            std::printf(text::kCruiseCastUpToDate, rows[i].recording.c_str(), rows[i].cast.c_str());
        std::fflush(stdout);
    };
    std::atomic<int> redone{0};
    std::unique_ptr<CruiseFiles> files;
    const std::string keyFile = joinPath(joinPath(c.outDir, text::kCruiseStateFolder), "cruise.key");
    std::error_code ec;
    if (analyseAtOnce) {
        std::filesystem::remove(keyFile, ec);  // until the cruise's files are all made again
        // Each cast's .psd and time file, read back at once; then its NetCDF file
        // side by side with the cruise's files, which need every cast read back
        // (the report's colour scale is shared).  The NetCDF library serves one
        // file at a time, and what it does the other threads draw meanwhile.
        // Side by side the longest casts go first; one at a time in station order.
        std::vector<std::size_t> order(rows.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        if (threads > 1)
            order = longestFirst(rows);
        failed |= !runJobs(rows.size(), threads, out, [&](std::size_t k) {
            const std::size_t i = order[k];
            usable[i] = 0;
            pending[i] = beginCast(rows[i], setup);
            if (pending[i])
                ctds[i] = pending[i]->context.ctd;
            analyse(i);
        });
        // The memory the casts' processing freed on its threads goes back first.
        releaseFreedMemory();
        files = std::make_unique<CruiseFiles>(filesSetup, context, analysedCasts());
        std::vector<std::size_t> casts;
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (pending[i])
                casts.push_back(i);
        const std::vector<CruiseStep> steps = cruiseSteps(casts.size(), files->pieces());
        failed |= !runJobs(steps.size(), threads, out, [&](std::size_t s) {
            if (!steps[s].cast) {
                files->make(steps[s].index);
                return;
            }
            const std::size_t i = casts[steps[s].index];
            finishCast(rows[i], setup, *pending[i]);
            pending[i]->context.ctdFrames.reset();
            usable[i] = 1;
            ++redone;
            told(i, true);
        });
        // A cast whose NetCDF file failed is left out of the cruise's files, as
        // when its .psd failed: they are made again without it.
        bool leftOut = false;
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (analysed[i] && !usable[i]) {
                analysed[i] = 0;
                leftOut = true;
            }
        if (leftOut)
            files.reset();
    } else if (!c.collect) {
        failed |= !runJobs(rows.size(), threads, out, [&](std::size_t i) {
            usable[i] = 0;
            const bool made = produceCast(rows[i], setup, &ctds[i]);
            usable[i] = 1;
            redone += made ? 1 : 0;
            told(i, made);
        });
    }
    if (!c.rows.empty()) {
        requireStdoutWritten();
        if (failed)
            throw Failure(kExitBadInput, "");
        return;
    }

    const std::string profiles = joinPath(c.outDir, text::kCruiseProfilesName);
    const std::string summary = joinPath(c.outDir, text::kCruiseSummaryName);
    const std::string report = joinPath(c.outDir, text::kCruiseReportName);
    std::string key = setup.commandLine + "\n";
    for (const auto& [name, value] : attributes)
        key += name + "=" + value + "\n";
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (usable[i]) {
            std::string castKey;
            readWholeFile(joinPath(joinPath(c.outDir, text::kCruiseStateFolder), rows[i].fileName + ".key"), castKey);
            key += rows[i].cast + "\n" + castKey;
        }
    std::string stored;
    if (c.update && redone == 0 && readWholeFile(keyFile, stored) && stored == key &&
        std::filesystem::exists(profiles, ec) && std::filesystem::exists(summary, ec) &&
        (!pictures || std::filesystem::exists(report, ec))) {
        if (!c.quiet)
            std::printf(text::kCruiseFilesUpToDate, c.outDir.c_str());
        requireStdoutWritten();
        if (failed)
            throw Failure(kExitBadInput, "");
        return;
    }
    if (!files) {
        // The cruise's files from every cast that has its .psd; the memory the
        // casts' processing freed on its threads goes back first.
        std::filesystem::remove(keyFile, ec);
        releaseFreedMemory();
        failed |= !runJobs(rows.size(), threads, out, [&](std::size_t i) {
            if (usable[i] && !analysed[i] && !analyseAtOnce)
                analyse(i);
        });
        files = std::make_unique<CruiseFiles>(filesSetup, context, analysedCasts());
        failed |= !runJobs(files->pieces(), threads, out, [&](std::size_t piece) { files->make(piece); });
    }
    // Once, with the cruise's files: what would make them easier to find.
    for (const auto& [missing, message] : {std::pair{missingDiscoveryAttributes(attributes), text::kCruiseMissingDiscovery},
                                           {missingArchiveAttributes(attributes), text::kCruiseMissingArchive}}) {
        std::string names;
        for (const std::string& m : missing)
            names += (names.empty() ? "" : ", ") + m;
        if (!names.empty())
            std::fprintf(stderr, message, names.c_str());
    }
    const std::vector<std::string> problems = files->problems();
    for (const std::string& p : problems)
        std::fprintf(stderr, "%s\n", p.c_str());
    const bool written = problems.empty();
    std::string error;
    if (written && !replaceFileAtomically(keyFile, key, &error))
        std::fprintf(stderr, "kavro-cli: %s\n", error.c_str());  // the reason names the file
    if (!c.quiet)
        std::printf(text::kCruiseFilesWritten, c.outDir.c_str(), files->castCount());
    requireStdoutWritten();
    if (failed || !written)
        throw Failure(kExitBadInput, "");
}

}  // namespace kavro::cli
