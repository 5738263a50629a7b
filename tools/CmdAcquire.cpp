// kavro-cli acquire: live logging from the instrument for a laptop on deck or a
// logger without a screen.
#include "tools/Acquire.h"
#include "tools/Commands.h"

#include "acquisition/CCommSource.h"
#include "acquisition/RequestPacer.h"
#include "core/TimeStamps.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "platform/System.h"
#include "resources/CliProcessTexts.h"
#include "resources/CliTexts.h"
#include "resources/CoreTexts.h"
#include "tools/BatchPrompter.h"
#include "tools/ProcessJob.h"
#include "platform/StopSignals.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>

namespace kavro::cli {

namespace {

using Clock = std::chrono::steady_clock;
// Milliseconds between two looks at the line (and the stop signals) while no
// request waits.
constexpr int kLinePollMs = 40;
// Seconds between two looks at the room left on the outputs' disk.
constexpr long long kRoomCheckSeconds = 60;

// A stop asked for while the source waits for the instrument ends the wait.
struct Interrupted {};

void showStatus(const CCommSource& src)
{
    std::fprintf(stderr, text::kAcquireStatus, src.frameNumber(), formatG(src.transmission()).c_str(),
                 formatG(src.frameResult().mean()).c_str(), src.counts().rejected, src.counts().withoutFrame);
    std::fflush(stderr);
}

// The request of the options: everything the instrument source needs, nothing asked.
OpenRequest requestOf(const AcquireOptions& o, const Environment& env)
{
    const int model = o.model.value_or(env.settings.storedInstrumentModel(*env.profile));
    OpenRequest r = OpenRequest::fromSettings(kKindInstrument, env.settings, model);
    if (o.calDir)
        r.calibrationFolder = *o.calDir;
    r.port = o.port.empty() ? env.settings.instrumentPort : o.port;
    r.device = o.device;
    r.ringArea = absoluteFilePath(o.ringArea.empty() ? findRingAreaFile(r.calibrationFolder, model) : o.ringArea);
    r.background = absoluteFilePath(
        o.background.empty() ? joinPath(r.calibrationFolder, text::kBackgroundInitialName) : o.background);
    const std::string base = o.psd.empty() ? std::string(text::kInstrumentSourceName) : o.psd;
    r.output = base;
    r.proposedOutput = base;
    // The instrument group: .log, .psd, .asc, VSF (the .raw switch stays the settings').
    r.switches.asciiRaw = o.log ? 1 : 0;
    r.switches.binarySize = o.psd.empty() ? 0 : 1;
    r.switches.asciiSize = o.asc || o.vsf ? 1 : 0;
    r.switches.vsfInAscii = o.vsf ? 1 : 0;
    r.existing = o.append ? ExistingOutputs::Continue : o.overwrite ? ExistingOutputs::Replace : ExistingOutputs::Refuse;
    return r;
}

std::vector<std::string> pathsOf(const std::string (&slots)[ResultFiles::kSlots])
{
    std::vector<std::string> paths;
    for (const std::string& p : slots)
        if (!p.empty())
            paths.push_back(p);
    return paths;
}

// Refuses before anything is opened: a run that records nothing, one that would write
// onto a cast the user did not ask to continue or replace, and one whose disk would
// fill within the hour.
void checkOutputs(const AcquireOptions& o, const OpenRequest& request)
{
    std::string slots[ResultFiles::kSlots];
    CRawSource::plannedOutputs(request, false, true, *request.output, slots);
    const std::vector<std::string> paths = pathsOf(slots);
    if (paths.empty())
        throw Failure(kExitUsage, text::kAcquireNoOutput);
    if (const std::string twice = CRawSource::repeatedOutput(paths); !twice.empty())
        throw Failure(kExitUsage, twice + text::kOutputNamedTwice);
    if (request.existing == ExistingOutputs::Refuse)
        for (const std::string& path : paths) {
            std::error_code ec;
            if (std::filesystem::exists(std::filesystem::symlink_status(pathFromUtf8(path), ec)))
                throw Failure(kExitBadInput, path + text::kAcquireExists +
                                                 CRawSource::freeOutputName(request, true) + text::kAcquireExistsEnd);
        }
    if (o.force)
        return;
    const std::optional<double> hours = CCommSource::hoursOfRoom(paths, o.interval);
    if (hours && *hours < 1.0) {
        char why[512];
        std::snprintf(why, sizeof why, text::kAcquireNoRoom, *hours * 60.0, CCommSource::folderOf(paths).c_str());
        throw Failure(kExitBadInput, why);
    }
}

}  // namespace

AcquireResult acquire(const AcquireOptions& o, Environment& env, const StopWait& stop)
{
    const OpenRequest request = requestOf(o, env);
    for (const std::string& named : {*request.ringArea, *request.background})
        if (const std::string problem = missingFileProblem(named); !problem.empty())
            throw Failure(kExitBadInput, problem);
    checkOutputs(o, request);

    BatchPrompter prompter;
    FixedModelOwner owner(request.model);
    SourceContext context{env.settings, *env.profile, prompter};
    CCommSource src(context, &owner, makeInstrumentLink(env.settings, request), request.port);
    AcquireResult r;
    src.setTiming({steadySeconds, [&stop, &r](int ms) {
                       if ((r.signal = stop(ms)) != 0)
                           throw Interrupted{};
                   }});
    // What becomes of the line is told on stderr as it happens; the run goes on.
    bool statusShown = false;
    src.setLinkListener([&](const std::string& note) {
        if (statusShown)
            std::fputc('\n', stderr);
        std::fprintf(stderr, "%s\n", note.c_str());
        std::fflush(stderr);
    });
    try {
        src.open(request, nullptr);
    } catch (const UserAbort&) {
        std::string why = prompter.problems().empty() ? std::string() : prompter.problems().front();
        throw Failure(kExitBadInput, why.empty() ? std::string(text::kAcquireOpenFailed) : why);
    }
    r.files = src.outputPaths();
    if (!src.continuationNote().empty())
        std::fprintf(stderr, "%s\n", src.continuationNote().c_str());
    if (!src.spaceWarning().empty())
        std::fprintf(stderr, "%s%s\n", text::kCliWarning, src.spaceWarning().c_str());
    std::printf(text::kAcquireStart, src.portName().c_str(),
                (request.device.empty() ? env.settings.instrumentDevice(src.portIndex()) : request.device).c_str(),
                request.model);
    std::fflush(stdout);

    const auto interval = std::chrono::milliseconds(static_cast<long long>(o.interval * 1000.0 + 0.5));
    RequestPacer pacer(interval);
    // A silent instrument is asked again at the interval, not after CommWait; at
    // --interval 0 (as fast as it answers) a request waits for its reply as long as
    // CommWait allows, so that a slow instrument is never asked twice for one frame.
    src.setReplyWait(static_cast<int>(interval.count()));
    // Between requests the line is watched, so that a reply that comes after its
    // request stopped waiting is stamped when it came.
    auto waitForNextRequest = [&] {
        for (;;) {
            const int wait = static_cast<int>(pacer.waitFrom(Clock::now()).count());
            const int step = std::min(wait, kLinePollMs);
            if (!src.linkLost() && src.link().canWaitReadable())
                src.link().waitReadable(step);
            if ((r.signal = stop(src.linkLost() || !src.link().canWaitReadable() ? step : 0)) != 0)
                return false;
            src.pollLine();
            if (wait <= kLinePollMs)
                return true;
        }
    };
    long long nextRoomCheck = steadySeconds() + kRoomCheckSeconds;
    while (o.frames <= 0 || src.counts().written < o.frames) {
        if (src.linkLost()) {
            // The cast stays open while the line is away; the same device is tried every second.
            if (o.giveUpAfter > 0.0 && static_cast<double>(src.secondsLost()) >= o.giveUpAfter) {
                r.error = src.linkError() + text::kAcquireGaveUp;
                break;
            }
            if ((r.signal = stop(kLinePollMs * 5)) != 0)
                break;
            if (src.reconnect()) {
                ++r.reconnects;
                pacer = RequestPacer(interval);
            }
            continue;
        }
        if (!waitForNextRequest())
            break;
        pacer.requestSent(Clock::now());
        try {
            src.nextFrame();
        } catch (const Interrupted&) {
            break;
        }
        if (o.status) {
            showStatus(src);
            statusShown = true;
        }
        if (!src.outputError().empty()) {
            r.error = src.outputError();
            break;
        }
        if (steadySeconds() >= nextRoomCheck) {
            nextRoomCheck = steadySeconds() + kRoomCheckSeconds;
            const std::optional<double> hours = CCommSource::hoursOfRoom(src.outputPaths(), o.interval);
            if (hours && *hours < 1.0) {
                std::fprintf(stderr, text::kAcquireRoomLeft, text::kCliWarning, *hours * 60.0);
                std::fflush(stderr);
            }
        }
    }
    // The frames that came before the stop are written as the source closes.
    src.close();
    if (r.error.empty())
        r.error = src.outputError();
    r.counts = src.counts();
    if (o.status) {
        showStatus(src);
        std::fputc('\n', stderr);
    }
    return r;
}

void runAcquire(const AcquireCommand& c)
{
    Environment env = loadEnvironment(c.profile);
    if (c.listDevices)
        return printSerialDevices(env);
    AcquireOptions options = c.options;
    requireFileOutput(options.psd, text::kCliPsdWhat);
    options.psd = withDefaultExtension(options.psd, text::kPsdExtension);
    options.status = stderrIsTerminal();
    StopSignals signals;
    AcquireResult r = acquire(options, env, [&signals](int ms) { return signals.waitMs(ms) ? signals.signal() : 0; });
    // The summary comes after any end; the status says whether the end was wanted.
    std::printf(text::kAcquireSummary, r.counts.written, r.counts.rejected, r.counts.suspect,
                r.counts.withoutFrame);
    std::string files;
    for (const std::string& f : r.files)
        files += (files.empty() ? "" : ", ") + f;
    std::printf("%s%s\n", text::kAcquireFiles, files.c_str());
    const bool written = std::fflush(stdout) == 0 && !std::ferror(stdout);
    if (!r.error.empty())
        throw Failure(kExitBadInput, r.error);
    if (signals.hungUp())
        throw Failure(kExitBadInput, text::kAcquireHungUp);
    if (!written)
        requireStdoutWritten();
}

}  // namespace kavro::cli
