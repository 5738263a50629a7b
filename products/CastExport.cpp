#include "products/CastExport.h"

#include "auxiliary/CHKInfo.h"
#include "core/CInvPars.h"
#include "core/CastReader.h"
#include "core/Settings.h"
#include "platform/FileUtil.h"
#include "platform/Profile.h"
#include "platform/Prompter.h"
#include "products/CfConventions.h"
#include "resources/AppTexts.h"
#include "resources/DataTexts.h"

namespace kavro {

std::string csvCell(const std::string& s, char separator)
{
    if (s.find_first_of(std::string(1, separator) + "\"\n\r") == std::string::npos)
        return s;
    std::string quoted = "\"";
    for (char c : s)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

ExportContext exportContext(const Settings& settings, const Profile& profile, const std::string& program,
                            const std::string& commandLine)
{
    ExportContext c;
    const CHKInfo channels(&profile);
    for (int i = 0; i < kAux; ++i) {
        const HKChannel* ch = channels.Channel(i);
        c.channels[static_cast<std::size_t>(i)] = {ch->label, ch->units, ch->multiplier, ch->offset};
    }
    c.numIterations = settings.numIterations;
    c.procOpt1 = settings.procOpt1;
    c.autoMultiScan = settings.autoMultiScan;
    c.lRefRatio = settings.lRefRatio;
    c.volConv = GetVolConv(profile, settings.instrumentNumber);
    c.calibrationDir = settings.calFiles;
    c.temperatureMeasuresWater =
        profile.readInt(instrumentSection(settings.instrumentNumber), "WaterTemperature", 0) != 0;
    c.program = program + text::kSourceSuite + KAVRO_VERSION + ")";
    c.commandLine = commandLine;
    return c;
}

bool exportWithDialog(const std::string& psd, Prompter& prompter, const Settings& settings, const Profile& profile,
                      const std::function<void(bool)>& busy, std::string* writtenPath)
{
    FileDialogRequest request;
    request.title = text::kExportTitle;
    request.filter = text::kExportFilter;
    request.defaultExtension = "nc";
    request.initialName = stemBeforeFirstDot(fileNamePart(psd)) + ".nc";
    request.initialDirectory = directoryPart(psd);
    request.overwritePrompt = true;
    const std::optional<std::string> chosen = prompter.saveFile(request);
    if (!chosen)
        return false;
    auto tellBusy = [&](bool on) {
        if (busy)
            busy(on);
    };
    try {
        if (sameFile(psd, *chosen))
            throw CastError(*chosen + ": " + text::kExportOverInput);
        ExportContext context = exportContext(settings, profile, text::kSourceDesktop,
                                              std::string(text::kExportHistoryDesktop) + psd);
        std::string warnings;
        context.warn = [&](const std::string& message) { warnings += (warnings.empty() ? "" : "\n") + message; };
        tellBusy(true);
        if (hasExtension(*chosen, ".csv"))
            writeCsvFile(psd, *chosen, context, false);
        else
            writeNetcdf(psd, *chosen, context);
        tellBusy(false);
        if (!warnings.empty())
            prompter.message(warnings, MessageIcon::Exclamation);
    } catch (const CastError& e) {
        tellBusy(false);
        prompter.message(e.what(), MessageIcon::Exclamation);
        return false;
    }
    if (writtenPath)
        *writtenPath = *chosen;
    return true;
}

std::string udunitsText(const std::string& units)
{
    return udunitsSpelling(units);
}

}  // namespace kavro
