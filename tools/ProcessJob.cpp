#include "tools/ProcessJob.h"

#include "acquisition/CRawFile.h"
#include "auxiliary/CHKInfo.h"
#include "core/CInvPars.h"
#include "core/CastReader.h"
#include "core/FrameTimes.h"
#include "core/TimeStamps.h"
#include "platform/FileUtil.h"
#include "platform/OutputFile.h"
#include "products/CastProvenance.h"
#include "resources/CliProcessTexts.h"
#include "resources/CoreTexts.h"
#include "resources/RawFileTexts.h"
#include "tools/BatchPrompter.h"
#include "tools/ProgressBar.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace kavro::cli {
namespace {

std::string lowerCase(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

Failure badInput(const std::string& file, const std::string& problem)
{
    return Failure(kExitBadInput, file + ": " + problem);
}

// Why an open ended without a message of its own.
std::string silentOpenProblem(const CRawFile& source, const std::string& calDir, const std::string& background)
{
    if (!source.calibration().matricesOK())
        return text::kCliShortCalibration + calDir;
    return text::kCliNoLaserInBackground + background;
}

}  // namespace

void writeNominalTimes(const std::string& psd, int first, int frames, double start, double interval)
{
    const std::string path = timeStampPathFor(psd);
    std::string lines = std::string(text::kTimeStampHeader) + "\n";
    for (int k = 0; k < frames; ++k)
        lines += timeStampLine(k, start + static_cast<double>(first + k) * interval);
    OutputFile file;
    if (!file.create(path) || !file.append(lines))
        throw badInput(path, file.error());
    file.close();
    if (file.failed())
        throw badInput(path, file.error());
}

std::string findRingAreaFile(const std::string& calDir, int model)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(pathFromUtf8(calDir.empty() ? "." : calDir), ec)) {
        const std::string name = utf8FromPath(entry.path().filename());
        const std::string lower = lowerCase(name);
        if (lower.rfind("ringarea", 0) == 0 && lower.size() >= 12 && lower.ends_with(".asc") &&
            entry.is_regular_file(ec))
            names.push_back(name);
    }
    if (ec && names.empty())
        throw badInput(calDir, errnoText(ec.value()));
    std::sort(names.begin(), names.end());
    if (names.size() == 1)
        return joinPath(calDir, names[0]);
    if (names.empty())
        throw badInput(calDir, text::kCliNoRingArea);
    const std::string own = std::string("ringarea_") + modelLetter(model) + ".asc";
    auto isOwn = [&](const std::string& n) { return lowerCase(n) == own; };
    if (std::count_if(names.begin(), names.end(), isOwn) == 1)
        return joinPath(calDir, *std::find_if(names.begin(), names.end(), isOwn));
    std::string list;
    for (const std::string& n : names)
        list += (list.empty() ? "" : ", ") + n;
    throw badInput(calDir, text::kCliSeveralRingAreas + list + text::kCliSeveralRingAreasEnd);
}

std::string defaultBackground(const std::string& rawFile, const std::string& calDir, int pdFirst)
{
    return joinPath(pdFirst ? directoryPart(rawFile) : calDir, text::kBackgroundInitialName);
}

std::string defaultOutput(const std::string& rawFile, const std::string& outputDir)
{
    return joinPath(outputDir.empty() ? directoryPart(rawFile) : outputDir,
                    stemBeforeFirstDot(fileNamePart(rawFile)) + ".psd");
}

bool outputMatchesOptions(const std::string& rawFile, const std::string& psd, const ProcessOptions& options,
                          const std::string& background, const Environment& env)
{
    namespace fs = std::filesystem;
    RawRecordFile probe;
    if (!probe.open(rawFile))
        return false;  // processing tells the recording's problem
    const int records = probe.recordCount();
    try {
        const CastReader cast(psd);
        if (cast.model() != options.model || !calibrationMismatches(cast, options.calDir).empty())
            return false;
        std::error_code ec1, ec2;
        const fs::path used = fs::weakly_canonical(fs::absolute(pathFromUtf8(cast.header().backgroundPath)), ec1);
        const fs::path wanted = fs::weakly_canonical(fs::absolute(pathFromUtf8(background)), ec2);
        if (ec1 || ec2 || used != wanted)
            return false;
        const int first = options.first.value_or(0);
        const int last = std::min(options.last.value_or(records - 1), records - 1);
        const long long frames = std::max(0, last - first + 1);
        if (cast.frameCount() != frames)
            return false;
        // The first frame of the .psd is the recording's record `first`: its
        // housekeeping values are that record's words through the channel
        // calibration (summed 16-scan words divided by 16 first).
        std::uint16_t words[kFrameValues] = {};
        std::vector<OutputRecord> stored;
        if (frames > 0) {
            if (!probe.readRecord(first, words) || cast.read(0, 1, stored) != 1)
                return false;
            const CHKInfo channels(env.profile.get());
            auto sameAux = [&](double divisor) {
                for (int i = 0; i < kAux; ++i) {
                    const HKChannel* ch = channels.Channel(i);
                    const double expected = words[kRings + i] / divisor * ch->multiplier + ch->offset;
                    const double got = stored[0][static_cast<std::size_t>(kRecAux + i)];
                    if (!(std::fabs(got - expected) <= 1e-5 * std::max(1.0, std::fabs(expected))))
                        return false;
                }
                return true;
            };
            if (!sameAux(1.0) && !sameAux(16.0))
                return false;
        }
        double start = 0.0;
        if (options.startTime && parseUtcTimestamp(*options.startTime, start) && frames > 0) {
            FrameTimes times;
            std::string error;
            if (!readFrameTimes(timeStampPathFor(psd), times, error))
                return false;
            // Whole milliseconds in the file: half of one is the tolerance.
            auto near = [](double a, double b) { return std::fabs(a - b) < 0.0005; };
            if (!near(times.utcOfRecord(0), start + first * options.interval) ||
                !near(times.utcOfRecord(frames - 1), start + (first + frames - 1) * options.interval))
                return false;
        }
    } catch (const CastError&) {
        return false;
    }
    return true;
}

ProcessResult processRecording(const std::string& rawFile, const std::string& psd, const ProcessOptions& options,
                               const Environment& env)
{
    // The recording first, so that its own problem is told in its own words.
    RawRecordFile probe;
    if (!probe.open(rawFile))
        throw badInput(rawFile, errnoText(errno));
    const int records = probe.recordCount();
    probe.close();
    const int first = options.first.value_or(0);
    const int last = std::min(options.last.value_or(records - 1), records - 1);
    if (records > 0 && first > records - 1) {
        char problem[200];
        std::snprintf(problem, sizeof problem, text::kCliFirstBeyondEnd, first, records - 1);
        throw badInput(rawFile, problem);
    }

    const std::string background =
        options.background.empty() ? defaultBackground(rawFile, options.calDir, env.settings.pdFirst) : options.background;
    OpenRequest request = OpenRequest::fromSettings(kKindRawFile, env.settings, options.model);
    request.input = absoluteFilePath(rawFile);
    request.calibrationFolder = options.calDir;
    request.ringArea = absoluteFilePath(options.ringArea);
    request.background = absoluteFilePath(background);
    request.output = absoluteFilePath(psd);
    request.switches = OutputSwitches{0, options.log ? 1 : 0, 1, options.asc || options.vsf ? 1 : 0, options.vsf ? 1 : 0};
    if (options.multiScan != "auto")
        request.multiScan = options.multiScan == "yes";
    for (const std::string& named : {*request.ringArea, *request.background})
        if (const std::string problem = missingFileProblem(named); !problem.empty())
            throw badInput(rawFile, problem);

    // A copy: casts are processed side by side from one environment.
    Settings settings = env.settings;
    BatchPrompter prompter;
    FixedModelOwner owner(options.model);
    CRawFile source(SourceContext{settings, *env.profile, prompter}, &owner);
    source.setKeepFrameSummary(false);
    try {
        source.open(request, nullptr);
    } catch (const UserAbort&) {
        throw badInput(rawFile, prompter.problems().empty() ? silentOpenProblem(source, options.calDir, background)
                                                            : prompter.problems().front());
    }

    source.setFrameRange(first, last);
    source.rewind();
    const int total = std::max(0, last - first + 1);
    ProgressBar bar(fileNamePart(rawFile), total, !options.quiet);
    const int frames = source.processRange(options.threads, [&](int done) {
        bar.update(done);
        return true;
    });
    bar.finish(frames);
    source.close();
    if (!source.outputError().empty())
        throw badInput(rawFile, source.outputError());
    double start = 0.0;
    if (options.startTime && parseUtcTimestamp(*options.startTime, start))
        writeNominalTimes(psd, first, frames, start, options.interval);
    return ProcessResult{frames, source.multiScan() != 0};
}

}  // namespace kavro::cli
