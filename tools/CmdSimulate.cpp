// kavro-cli simulate: the instrument on a pseudo-terminal, for trying the live
// source without an instrument.
#include "tools/CliCommon.h"
#include "tools/InstrumentSimulator.h"
#include "platform/StopSignals.h"

#include "platform/FileUtil.h"
#include "platform/System.h"
#include "resources/CliTexts.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <ctime>
#include <filesystem>

namespace kavro::cli {

namespace {

struct SimulateArgs {
    std::string profile;
    std::string raw;
    bool synthetic = false;
    bool once = false;
    SimulatorOptions options;
};

// The demo recording of the build or installation: ../data/demo beside the executable.
std::string demoRecording()
{
    std::string path = joinPath(directoryPart(executableDirectory()), "data/demo/demo.raw");
    std::error_code ec;
    return std::filesystem::is_regular_file(pathFromUtf8(path), ec) ? path : std::string();
}

void runSimulator(SimulateArgs& args)
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

}  // namespace

void addSimulateCommand(CLI::App& app)
{
    auto* cmd = app.add_subcommand("simulate", "Play the instrument on a pseudo-terminal, answering frame requests");
    auto args = std::make_shared<SimulateArgs>();
    SimulatorOptions& o = args->options;
    cmd->add_option("--profile", args->profile, "the settings profile to read (default: the program's own)");
    cmd->add_option("--raw", args->raw, "the recording to play (default: the demo recording when present)");
    cmd->add_flag("--synthetic", args->synthetic, "play made-up frames instead of a recording");
    cmd->add_flag("--once", args->once, "stop at the end of the recording instead of starting it again");
    cmd->add_option("--frames", o.maxReplies, "stop after this many frame replies")->check(wholeNumber(1));
    cmd->add_option("--delay", o.replyDelayMs, "milliseconds from a request to its reply")->check(wholeNumber(0));
    cmd->add_option("--split", o.pieces, "send each reply in this many pieces")->check(wholeNumber(1, 1000));
    cmd->add_option("--split-gap", o.pieceGapMs, "milliseconds between two pieces of a reply")
        ->check(wholeNumber(0));
    cmd->add_flag("--noise", o.lineNoise, "send stray characters before each reply");
    cmd->add_option("--drop-every", o.dropEvery, "leave every Nth frame request unanswered")
        ->check(wholeNumber(0));
    cmd->add_option("--ctrl-c-reply", o.ctrlCReply, "the answer to Ctrl-C");
    cmd->add_option("--command-reply", o.commandReply, "the answer to a command, after its echo");
    cmd->add_option("--seed", o.seed, "seed of the line noise")->check(wholeNumber(0, UINT_MAX));
    cmd->callback([args] { runSimulator(*args); });
}

}  // namespace kavro::cli
