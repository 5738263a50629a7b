// kavro-cli simraw: the demo recording and its true distributions.
#include "resources/CliTexts.h"
#include "tools/Commands.h"
#include "sim/DemoRecording.h"
#include "sim/NumberFiles.h"

#include "platform/FileUtil.h"


namespace kavro::cli {
void runSimraw(const SimrawCommand& o)
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

}  // namespace kavro::cli
