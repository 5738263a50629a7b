// kavro-cli acquire: live logging from the instrument for a laptop on deck or a
// logger without a screen.
#include "tools/Acquire.h"

#include "acquisition/CCommSource.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "platform/System.h"
#include "resources/CliProcessTexts.h"
#include "resources/CliTexts.h"
#include "resources/CoreTexts.h"
#include "tools/BatchPrompter.h"
#include "tools/ProcessJob.h"
#include "tools/StopSignals.h"

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <unistd.h>

namespace kavro::cli {

namespace {

using Clock = std::chrono::steady_clock;

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
                 formatG(src.frameResult().mean()).c_str());
    std::fflush(stderr);
}

}  // namespace

AcquireResult acquire(const AcquireOptions& o, Environment& env, const StopWait& stop)
{
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
    src.setTiming({steadySeconds, [&stop](int ms) {
                       if (stop(ms))
                           throw Interrupted{};
                   }});
    try {
        src.open();
    } catch (const UserAbort&) {
        std::string why = prompter.problems().empty() ? std::string() : prompter.problems().front();
        throw Failure(kExitBadInput, why.empty() ? std::string(text::kAcquireOpenFailed) : why);
    }
    std::printf(text::kAcquireStart, src.portName().c_str(),
                env.settings.instrumentDevice(src.portIndex()).c_str(), model);
    std::fflush(stdout);

    AcquireResult r;
    // The status line is ended before anything else is told.
    auto fail = [&](const std::string& why) {
        if (o.status && r.frames > 0)
            std::fputc('\n', stderr);
        throw Failure(kExitBadInput, why);
    };
    const auto interval = std::chrono::milliseconds(static_cast<long long>(o.interval * 1000.0 + 0.5));
    Clock::time_point due = Clock::now();
    while (o.frames <= 0 || r.frames < o.frames) {
        long long left = std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now()).count();
        if (stop(static_cast<int>(std::max(left, 0LL)))) {
            r.stopped = true;
            break;
        }
        // An exchange slower than the interval is followed at once, without a burst to catch up.
        due = std::max(due + interval, Clock::now());
        int got = 0;
        try {
            got = src.nextFrame();
        } catch (const Interrupted&) {
            r.stopped = true;
            break;
        }
        if (!src.outputError().empty())
            fail(src.outputError());
        if (got) {
            ++r.frames;
            if (o.status)
                showStatus(src);
        } else if (src.linkLost()) {
            fail(src.linkError());
        } else {
            ++r.missed;
        }
    }
    src.close();
    if (!src.outputError().empty())
        fail(src.outputError());
    if (o.status && r.frames > 0)
        std::fputc('\n', stderr);
    return r;
}

void addAcquireCommand(CLI::App& app)
{
    struct Args {
        std::string profile;
        AcquireOptions options;
        bool listDevices = false;
    };
    auto args = std::make_shared<Args>();
    AcquireOptions& o = args->options;
    auto* cmd = app.add_subcommand("acquire", "Log frames live from the instrument into .psd, .asc and .log files");
    cmd->add_option("--model", o.model, "instrument model 0, 1 or 2 (default: InstrumentModel of the profile)")
        ->check(wholeNumber(0, 2));
    cmd->add_option("--port", o.port, "COM1: to COM4: (default: InstrumentPort of the profile)")
        ->check(oneOf({"COM1:", "COM2:", "COM3:", "COM4:"}));
    cmd->add_option("--device", o.device, "the serial device to use for the port, e.g. /dev/ttyUSB0 or /dev/pts/5");
    cmd->add_option("--cal-dir", o.calDir, "calibration folder (default: CalFiles of the profile)");
    cmd->add_option("--ring-area", o.ringArea, "ring-area file (default: the only RingArea*.asc of the calibration folder)");
    cmd->add_option("--background", o.background, "background scatter file (default: zsc.asc of the folder)");
    cmd->add_option("-o,--output", o.psd, "the .psd file to write (the .asc and .log go beside it; a name without an extension gets .psd)");
    cmd->add_flag("--asc", o.asc, "write the .asc size file");
    cmd->add_flag("--vsf", o.vsf, "write the .asc with the volume scattering function");
    cmd->add_flag("--log", o.log, "write the .log of the raw words");
    cmd->add_option("--interval", o.interval, "seconds from one frame request to the next (default: 1)")
        ->check(finiteNumber(0.0, 86400.0));
    cmd->add_option("--frames", o.frames, "stop after this many frames (default: until Ctrl-C)")
        ->check(wholeNumber(1));
    cmd->add_option("--profile", args->profile, "the settings profile to read (default: the program's own)");
    cmd->add_flag("--list-devices", args->listDevices, text::kAcquireListDevicesHelp);
    cmd->callback([args] {
        Environment env = loadEnvironment(args->profile);
        if (args->listDevices)
            return printSerialDevices(env);
        AcquireOptions options = args->options;
        requireFileOutput(options.psd, text::kCliPsdWhat);
        options.psd = withDefaultExtension(options.psd, text::kPsdExtension);
        options.status = ::isatty(STDERR_FILENO) != 0;
        StopSignals signals;
        AcquireResult r = acquire(options, env, [&signals](int ms) { return signals.waitMs(ms); });
        std::printf(text::kAcquireSummary, r.frames, r.missed);
        std::fflush(stdout);
    });
}

}  // namespace kavro::cli
