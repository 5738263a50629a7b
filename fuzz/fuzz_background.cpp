// The background scatter builder: arbitrary bytes as the factory background text
// and as the raw recording it averages, then the verdicts, and the averages
// written as a background file and read back by the calibration set.
#include "background/CScatterAccumulator.h"
#include "core/CInvPars.h"
#include "core/Settings.h"
#include "fuzz/FuzzSupport.h"
#include "platform/NumText.h"
#include "platform/ScriptedPrompter.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <string>

using namespace kavro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    Settings settings;
    settings.calFiles = fuzz::scratchDir();
    settings.autoMultiScan = input.ConsumeBool() ? 1 : 0;
    const bool yes = input.ConsumeBool();
    const std::string factoryPath = fuzz::scratchFile("factory_zsc.asc");
    const std::string rawPath = fuzz::scratchFile("clean.raw");
    fuzz::writeBytes(factoryPath, input.ConsumeRandomLengthString(4000));
    fuzz::writeBytes(rawPath, input.ConsumeRemainingBytesAsString());

    ScriptedPrompter prompter;
    prompter.answer(yes);
    try {
        CScatterAccumulator accumulator(settings, prompter, factoryPath);
        const int added = accumulator.addRawFile(rawPath);
        fuzz::require(added >= 0 && added <= CScatterAccumulator::kMaxRawRecords, "at most 100 records are taken");
        fuzz::require(added == accumulator.recordCount(), "every record taken is counted");
        const int averaged = accumulator.average();
        fuzz::require(averaged == (added > 0 ? 1 : 0), "records are averaged, none is told");
        (void)accumulator.qualityText();
        (void)accumulator.averagingText();
        if (auto ratio = accumulator.laserReferenceRatio())
            fuzz::require(std::isfinite(*ratio) && *ratio > 0.0, "a ratio is a positive number");
        if (!averaged)
            return 0;
        for (int i = 0; i < kFrameValues; ++i)
            fuzz::require(accumulator.averageValue(i) >= 0.0 && accumulator.averageValue(i) <= 65535.0,
                          "averages of 16-bit words stay within their range");

        const std::string backgroundPath = fuzz::scratchFile("zsc.asc");
        std::string error;
        fuzz::require(accumulator.writeTo(backgroundPath, &error), "the background file is written");
        CInvPars calibration(0, settings, prompter);
        calibration.loadBackgroundFile(backgroundPath);
        for (int i = 0; i < kFrameValues; ++i)
            fuzz::require(calibration.background(i) == scanDouble(formatE(accumulator.averageValue(i))),
                          "the calibration set reads back what was written");
    } catch (const UserAbort&) {
        fuzz::require(false, "files that exist always open");
    }
    return 0;
}
