// The calibration set: arbitrary bytes as one of its text files (or all of them),
// loaded through CInvPars, then frames corrected and inverted with what was read.
// First input byte: bits 0-2 the file (0 kernel, 1 H, 2 class diameters, 3 factory
// background, 4 ring area, 5 gain, 6 the user's background, 7 every file), bits 3-4
// the model, bit 5 ProcOpt1.  The other files hold a sound calibration.
#include "auxiliary/CHKInfo.h"
#include "core/CInvPars.h"
#include "core/FrameProcessor.h"
#include "core/Inversion.h"
#include "core/Settings.h"
#include "fuzz/FuzzSupport.h"
#include "platform/NumText.h"
#include "platform/ScriptedPrompter.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using namespace kavro;

namespace {

std::string numberText(const std::vector<double>& values)
{
    std::string s;
    for (double v : values)
        s += formatG(v, 17) + "\n";
    return s;
}

struct CalibrationFiles {
    std::vector<std::string> names;     // by selector 0..6
    std::vector<std::string> contents;  // the sound content of each

    explicit CalibrationFiles(int model)
    {
        const ModelFiles files = modelFiles(model);
        std::vector<double> kernel(1024), dias(32), ones(32, 1.0), bg(40, 12.0);
        for (int r = 0; r < 32; ++r)
            for (int k = 0; k < 32; ++k)
                kernel[static_cast<std::size_t>(32 * r + k)] = r == k ? 1.0 : 0.01 * ((r + k) % 5);
        for (int k = 0; k < 32; ++k)
            dias[static_cast<std::size_t>(k)] = 2.0 * std::pow(1.18, k);
        bg[32] = 4000.0;
        bg[35] = 2000.0;
        names = {files.kernel, files.h, files.diameters, "factory_zsc.asc", "RingArea_x.asc", files.gain, "zsc.asc"};
        contents = {numberText(kernel), numberText(kernel), numberText(dias), numberText(bg),
                    numberText(ones),   numberText(ones),   numberText(bg)};
    }
};

void writeSound(const CalibrationFiles& set, int except)
{
    for (std::size_t i = 0; i < set.names.size(); ++i)
        if (static_cast<int>(i) != except)
            fuzz::writeBytes(fuzz::scratchFile(set.names[i]), set.contents[i]);
}

bool sameDouble(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

void process(const CInvPars& cal, const ProcessingOptions& options, const double raw[kFrameValues])
{
    CHKInfo aux;
    FrameProcessor processor(cal, aux, options);
    FrameWork work;
    CFrameResult result;
    for (int k = 0; k < kClasses; ++k)
        result.setDiameter(k, cal.classDiameter(k));
    result.setVolumeConversion(kDefaultVolConv);
    processor.correct(raw, raw[kLaserPowerIndex], false, work, result);
    processor.invert(work, result);
    for (int k = 0; k < kClasses; ++k)
        fuzz::require(std::isfinite(result.volume(k)) && result.volume(k) >= 0.0,
                      "every class volume is a finite number, zero or more");
    fuzz::require(result.zeroRings() >= 0 && result.zeroRings() + result.saturatedRings() <= kRings,
                  "ring counts within 0..32");

    // Every vector path of the inversion gives the reference's numbers.
    double reference[kClasses], fast[kClasses];
    invertReference(cal.kernelData(), cal.hData(), work.corrected.data(), 3, reference);
    for (auto path : {InversionKernel::Path::Baseline, InversionKernel::Path::Avx2, InversionKernel::Path::Avx512}) {
        if (!InversionKernel::available(path))
            continue;
        cal.inversionKernel().run(work.corrected.data(), 3, fast, path);
        for (int k = 0; k < kClasses; ++k)
            fuzz::require(sameDouble(reference[k], fast[k]), "each inversion path matches the reference");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const int selector = data[0] & 7;
    const int model = (data[0] >> 3) & 3;
    const std::string_view content(reinterpret_cast<const char*>(data + 1), size - 1);

    static const CalibrationFiles sets[4] = {CalibrationFiles(0), CalibrationFiles(1), CalibrationFiles(2),
                                             CalibrationFiles(3)};
    const CalibrationFiles& set = sets[model];
    writeSound(set, selector);
    if (selector == 7) {
        for (const std::string& name : set.names)
            fuzz::writeBytes(fuzz::scratchFile(name), content);
    } else {
        fuzz::writeBytes(fuzz::scratchFile(set.names[static_cast<std::size_t>(selector)]), content);
    }

    Settings settings;
    ScriptedPrompter prompter;
    prompter.choose(fuzz::scratchFile(set.names[4]));
    CInvPars cal(model, settings, prompter);
    cal.setCalibrationDirectory(fuzz::scratchDir());
    int loaded = -1, background = -1;
    try {
        loaded = cal.load();
        background = cal.loadBackgroundFile(fuzz::scratchFile(set.names[6]));
    } catch (const UserAbort&) {
        fuzz::require(false, "files that exist always open");
    }
    fuzz::require(loaded == 0 || loaded == 1, "load answers 0 or 1");
    fuzz::require(background == 0 || background == 1, "the background answers 0 or 1");
    fuzz::require(prompter.messages().empty(), "no message for files that open");

    ProcessingOptions options;
    options.procOpt1 = (data[0] >> 5) & 1;
    double raw[kFrameValues];
    for (int i = 0; i < kRings; ++i)
        raw[i] = 1000.0 + 37.0 * i;
    raw[32] = 3500.0;
    raw[33] = 1200.0;
    raw[34] = 0.0;
    raw[35] = 1800.0;
    raw[36] = raw[37] = raw[38] = raw[39] = 500.0;
    process(cal, options, raw);

    // A frame made of the input's own bytes as 16-bit words, as a raw record would be.
    for (int i = 0; i < kFrameValues; ++i) {
        std::size_t at = 1 + 2 * static_cast<std::size_t>(i);
        raw[i] = at + 1 < size ? static_cast<double>((data[at] << 8) | data[at + 1]) : 0.0;
    }
    process(cal, options, raw);
    if (cal.setBackground(raw) == 1)
        process(cal, options, raw);
    return 0;
}
