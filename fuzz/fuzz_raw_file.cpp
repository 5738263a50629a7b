// The raw recording reader: arbitrary bytes as a raw file, opened through CRawFile
// (file dialogs answered, calibration loaded, pre-scan, multi-scan rule), then read,
// positioned, peeked at and processed in blocks as the input says.  Every frame
// processed is one whole record in each result file: none lost, none twice.
#include "acquisition/CRawFile.h"
#include "core/Settings.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Profile.h"
#include "platform/ScriptedPrompter.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>

using namespace kavro;

namespace {

long long linesOf(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return -1;
    long long lines = 0;
    for (int c; (c = std::fgetc(f)) != EOF;)
        lines += c == '\n';
    std::fclose(f);
    return lines;
}

std::uint16_t wordOf(const std::string& file, long long record, int i)
{
    const auto* p = reinterpret_cast<const unsigned char*>(file.data()) + record * kRawRecordBytes + 2 * i;
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::writeSoundCalibration();
    FuzzedDataProvider input(data, size);
    Settings settings;
    settings.calFiles = fuzz::scratchDir();
    settings.autoMultiScan = input.ConsumeBool() ? 1 : 0;
    const bool yes = input.ConsumeBool();
    settings.outputs.value[5] = input.ConsumeBool() ? 1 : 0;  // .asc
    settings.outputs.value[6] = input.ConsumeBool() ? 1 : 0;  // .log
    settings.outputs.value[8] = input.ConsumeBool() ? 1 : 0;  // VSF in the .asc
    const int steps = input.ConsumeIntegralInRange<int>(0, 16);
    struct Step {
        int kind, a, b;
    };
    std::vector<Step> moves;
    for (int i = 0; i < steps; ++i)
        moves.push_back(Step{input.ConsumeIntegralInRange<int>(0, 5), input.ConsumeIntegralInRange<int>(-3, 40),
                             input.ConsumeIntegralInRange<int>(-3, 40)});
    const std::string file = input.ConsumeRemainingBytesAsString();
    const std::string rawPath = fuzz::scratchFile("cast.raw");
    const std::string psdPath = fuzz::scratchFile("cast.psd");
    fuzz::writeBytes(rawPath, file);

    Profile profile(fuzz::scratchFile("none.INI"));
    ScriptedPrompter prompter;
    prompter.choose(rawPath).choose(fuzz::scratchFile("RingArea_a.asc")).choose(fuzz::scratchFile("zsc.asc"));
    prompter.choose(psdPath).answer(yes);
    FixedModelOwner owner(0);
    CRawFile source(SourceContext{settings, profile, prompter}, &owner);
    const long long records = static_cast<long long>(file.size()) / kRawRecordBytes;
    std::filesystem::remove(psdPath);  // the last input's
    try {
        source.open();
    } catch (const UserAbort&) {
        // Only a recording without one whole record is refused (it holds no frames),
        // and then no result file is left behind.
        fuzz::require(records == 0, "a recording that exists and holds a frame opens");
        fuzz::require(!std::filesystem::exists(psdPath), "a refused recording leaves no .psd");
        return 0;
    }
    fuzz::require(records > 0, "a recording without a whole record is refused");
    fuzz::require(source.recordCount() == records, "the record count is the whole records of the file");
    fuzz::require(static_cast<long long>(source.frameSummary().size()) == records, "one summary entry a record");
    int marked = 0;
    for (long long n = 0; n < records; ++n)
        marked += wordOf(file, n, kLaserPowerIndex) > kMultiScanLaserWord;
    fuzz::require(source.multiScan() == (marked > kMultiScanMarkedRecords && (settings.autoMultiScan || yes) ? 1 : 0),
                  "the multi-scan rule");

    long long frames = 0;  // frames processed, each one record in every result file
    for (const Step& step : moves) {
        switch (step.kind) {
        case 0: frames += source.readNextFrame(); break;
        case 1: fuzz::require(source.rewind() == 1, "rewind answers 1"); break;
        case 2: frames += source.goToFrame(step.a); break;
        case 3:
            if (source.peekRawFrame(step.a) == 1)
                fuzz::require(source.rawValue(0) == wordOf(file, step.a, 0) &&
                                  source.rawValue(39) == wordOf(file, step.a, 39),
                              "a peek shows the record as stored");
            break;
        case 4: source.setFrameRange(step.a, step.b); break;
        default: frames += source.processRange(1 + (step.a & 1)); break;
        }
        fuzz::require(source.outputError().empty(), "the result files take every record");
        fuzz::require(fuzz::fileSize(psdPath) == (2 + frames) * kPsdRecordBytes,
                      "one .psd record a frame processed");
        if (settings.outputs.value[5])
            fuzz::require(linesOf(fuzz::scratchFile("cast.asc")) == frames, "one .asc line a frame processed");
        if (settings.outputs.value[6])
            fuzz::require(linesOf(fuzz::scratchFile("cast.log")) == frames, "one .log line a frame processed");
        for (int kind = 0; kind <= 6; ++kind)
            (void)source.value(kind, step.b);
    }
    source.close();
    return 0;
}
