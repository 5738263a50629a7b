// kavro-cli simraw: the demo recording and its true distributions.
#include "resources/CliTexts.h"
#include "tools/CliCommon.h"
#include "sim/DemoRecording.h"
#include "sim/NumberFiles.h"

#include "platform/FileUtil.h"

#include <CLI/CLI.hpp>

namespace kavro::cli {
namespace {

struct SimrawOptions {
    std::string calDir;
    int model = 0;
    int frames = 1200;
    std::string output;
};

void runSimraw(const SimrawOptions& o)
try {
    demo::DemoInputs in = demo::loadDemoInputs(o.calDir, o.model);
    demo::RecordingOptions options;
    options.frames = o.frames;
    std::vector<demo::DemoFrame> frames = demo::simulateRecording(in, options);
    std::string rawPath = o.output.empty() ? joinPath(o.calDir, text::kDemoRecordingFile) : o.output;
    demo::writeWholeFile(rawPath, demo::encodeRaw(frames));
    demo::writeWholeFile(demo::truthPathFor(rawPath), demo::truthCsv(frames, in.diameters));
} catch (const demo::DemoError& e) {
    throw Failure(kExitBadInput, e.what());
}

}  // namespace

void addSimrawCommand(CLI::App& app)
{
    auto* cmd = app.add_subcommand("simraw", "Write the demo raw recording made from a calibration folder");
    auto o = std::make_shared<SimrawOptions>();
    cmd->add_option("--cal-dir", o->calDir, "folder of the calibration files (kavro-cli makecal)")->required();
    cmd->add_option("--model", o->model, "instrument model 0, 1 or 2")->capture_default_str()->check(wholeNumber(0, 2));
    cmd->add_option("--frames", o->frames, "number of frames")->capture_default_str()->check(wholeNumber(1, 100000));
    cmd->add_option("-o,--output", o->output, "the recording (default: DIR/demo.raw); the truth goes beside it");
    cmd->callback([o] { runSimraw(*o); });
}

}  // namespace kavro::cli
