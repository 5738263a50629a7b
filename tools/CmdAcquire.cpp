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
// Milliseconds between two reads of the line while no request waits.
constexpr int kLinePollMs = 40;

// A stop asked for while the source waits for the instrument ends the wait.
struct Interrupted {};

void applyOptions(const AcquireOptions& o, Environment& env, int model, int port)
{
    Settings& s = env.settings;
    if (o.calDir)
        s.calFiles = *o.calDir;
    if (!o.device.empty()) {
        s.comDevice[static_cast<std::size_t>(port)] = o.device;
        s.comDeviceStored[static_cast<std::size_t>(port)] = true;
    }
    // The instrument group: .asc, .log, .psd, .raw, VSF.
    const bool asc = o.asc || o.vsf;
    s.outputs.value[0] = asc ? 1 : 0;
    s.outputs.value[1] = o.log ? 1 : 0;
    s.outputs.value[2] = o.psd.empty() ? 0 : 1;
    s.outputs.value[4] = o.vsf ? 1 : 0;
    s.lastSelectedModel = model;
}

void showStatus(const CCommSource& src)
{
    std::fprintf(stderr, text::kAcquireStatus, src.frameNumber(), formatG(src.transmission()).c_str(),
                 formatG(src.frameResult().mean()).c_str(), src.counts().rejected, src.counts().withoutFrame);
    std::fflush(stderr);
}

// The files a run writes, named as the instrument source names them.
std::vector<std::string> plannedOutputs(const AcquireOptions& o)
{
    const std::string base = o.psd.empty() ? std::string(text::kInstrumentSourceName) : o.psd;
    std::vector<std::string> paths;
    if (!o.psd.empty())
        paths.push_back(o.psd);
    if (o.asc || o.vsf)
        paths.push_back(removeExtension(base) + ".asc");
    if (o.log)
        paths.push_back(removeExtension(base) + ".log");
    if (!paths.empty())
        paths.push_back(timeStampPathFor(base));
    return paths;
}

// Refuses before anything is opened: a run that records nothing, or one that
// would replace a file the user did not ask to replace.
void checkOutputs(const AcquireOptions& o)
{
    const std::vector<std::string> paths = plannedOutputs(o);
    if (paths.empty())
        throw Failure(kExitUsage, text::kAcquireNoOutput);
    if (const std::string twice = CRawSource::repeatedOutput(paths); !twice.empty())
        throw Failure(kExitUsage, twice + text::kOutputNamedTwice);
    if (o.overwrite)
        return;
    for (const std::string& path : paths) {
        std::error_code ec;
        if (std::filesystem::exists(std::filesystem::symlink_status(pathFromUtf8(path), ec)))
            throw Failure(kExitBadInput, path + text::kAcquireExists);
    }
}

}  // namespace

AcquireResult acquire(const AcquireOptions& o, Environment& env, const StopWait& stop)
{
    checkOutputs(o);
    const int model = o.model.value_or(env.settings.storedInstrumentModel(*env.profile));
    const std::string portName = o.port.empty() ? env.settings.instrumentPort : o.port;
    const int port = CCommSource::portIndexOf(portName);
    applyOptions(o, env, model, port);
    const std::string& calDir = env.settings.calFiles;

    BatchPrompter prompter;
    const std::string ringArea = o.ringArea.empty() ? findRingAreaFile(calDir, model) : o.ringArea;
    prompter.answer(text::kRingAreaTitle, ringArea);
    prompter.answer(text::kBackgroundTitle,
                    o.background.empty() ? joinPath(calDir, text::kBackgroundInitialName) : o.background);
    if (!o.psd.empty())
        prompter.answer(text::kPsdOutputTitle, o.psd);

    FixedModelOwner owner(model);
    SourceContext context{env.settings, *env.profile, prompter};
    CCommSource src(context, &owner, makeInstrumentLink(env.settings), portName);
    src.setReplaceOutputs(o.overwrite);
    AcquireResult r;
    src.setTiming({steadySeconds, [&stop, &r](int ms) {
                       if ((r.signal = stop(ms)) != 0)
                           throw Interrupted{};
                   }});
    try {
        src.open();
    } catch (const UserAbort&) {
        std::string why = prompter.problems().empty() ? std::string() : prompter.problems().front();
        throw Failure(kExitBadInput, why.empty() ? std::string(text::kAcquireOpenFailed) : why);
    }
    r.files = src.outputPaths();
    if (!src.spaceWarning().empty())
        std::fprintf(stderr, "%s%s\n", text::kCliWarning, src.spaceWarning().c_str());
    std::printf(text::kAcquireStart, src.portName().c_str(),
                env.settings.instrumentDevice(src.portIndex()).c_str(), model);
    std::fflush(stdout);

    RequestPacer pacer(std::chrono::milliseconds(static_cast<long long>(o.interval * 1000.0 + 0.5)));
    // Between requests the line is read every few tens of milliseconds, so that a
    // reply that comes after its request stopped waiting is stamped when it came.
    auto waitForNextRequest = [&] {
        for (;;) {
            const int wait = static_cast<int>(pacer.waitFrom(Clock::now()).count());
            if ((r.signal = stop(std::min(wait, kLinePollMs))) != 0)
                return false;
            src.pollLine();
            if (wait <= kLinePollMs)
                return true;
        }
    };
    while (o.frames <= 0 || src.counts().written < o.frames) {
        if (!waitForNextRequest())
            break;
        pacer.requestSent(Clock::now());
        try {
            src.nextFrame();
        } catch (const Interrupted&) {
            break;
        }
        if (o.status)
            showStatus(src);
        if (!src.outputError().empty()) {
            r.error = src.outputError();
            break;
        }
        if (src.linkLost()) {
            r.error = src.linkError();
            break;
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
