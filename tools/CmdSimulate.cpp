// kavro-cli simulate: the instrument on a pseudo-terminal, for trying the live
// source without an instrument.
#include "tools/Commands.h"
#include "sim/InstrumentSimulator.h"
#include "platform/StopSignals.h"

#include "platform/FileUtil.h"
#include "platform/System.h"
#include "resources/CliTexts.h"

#include <cstdio>
#include <ctime>
#include <filesystem>

namespace kavro::cli {

namespace {

// The demo recording of the build or installation: ../data/demo beside the executable.
std::string demoRecording()
{
    std::string path = joinPath(directoryPart(executableDirectory()), "data/demo/demo.raw");
    std::error_code ec;
    return std::filesystem::is_regular_file(pathFromUtf8(path), ec) ? path : std::string();
}

}  // namespace

void runSimulate(SimulateCommand& args)
{
    Environment env = loadEnvironment(args.profile);
    args.options.startChar = env.settings.startChar;
    args.options.endChar = env.settings.endChar;
    args.options.loop = !args.once;

    std::string rawPath = args.synthetic ? std::string() : args.raw.empty() ? demoRecording() : args.raw;
    std::vector<RawWords> recording;
    std::string error;
    if (!rawPath.empty() && !loadRecording(rawPath, recording, &error))
        throw Failure(kExitBadInput, error);

    InstrumentSimulator sim(std::move(recording), args.options);
    StopSignals signals;
    if (!sim.start(&error))
        throw Failure(kExitBadInput, error);

    int port = Settings::portIndexOf(env.settings.instrumentPort);
    std::string portName = Settings::portName(port < 0 ? 1 : port);
    std::string key = portName.substr(0, portName.size() - 1);
    std::printf(text::kSimulatorOn, sim.devicePath().c_str());
    if (rawPath.empty())
        std::printf(text::kSimulatorSynthetic, sim.recording().size());
    else
        std::printf(text::kSimulatorRecording, rawPath.c_str(), sim.recording().size());
    std::printf(text::kSimulatorHint, portName.c_str(), env.profile->path().c_str(), key.c_str(),
                sim.devicePath().c_str());
    std::printf(text::kSimulatorStopHint);
    std::fflush(stdout);

    while (!signals.arrived() && sim.step(100)) {
    }
    // The last reply must reach the reader before the line goes: closing the
    // terminal discards what the other side has not read yet.
    if (sim.finished())
        for (int i = 0; i < 10 && !signals.arrived(); ++i)
            sleepMilliseconds(50);

    InstrumentSimulator::Counters c = sim.counters();
    std::printf(text::kSimulatorSummary, c.requests, c.replies, c.dropped, c.commands);
    std::fflush(stdout);
}

}  // namespace kavro::cli
