#include "app/DesktopQuestions.h"

#include "acquisition/CCommSource.h"
#include "app/AppDialogs.h"
#include "core/CRawSource.h"
#include "core/Constants.h"
#include "platform/File.h"
#include "platform/FileUtil.h"
#include "resources/AppTexts.h"
#include "resources/CoreTexts.h"

#include <QDateTime>
#include <cstdio>

#include <filesystem>

namespace kavro {

std::string DesktopQuestions::proposedRecordingPath(const std::string& folder, const std::string& name,
                                                    const std::tm& time)
{
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "-%Y%m%d-%H%M%S.psd", &time);
    return (std::filesystem::path(folder) / (name + stamp)).string();
}

void DesktopQuestions::beforeOutputs(OpenRequest& request)
{
    if (request.kind != kKindInstrument)
        return;
    // The local time of day, as the user's clock shows it (Qt knows the zone on every system).
    const QDateTime now = QDateTime::currentDateTime();
    std::tm local{};
    local.tm_year = now.date().year() - 1900;
    local.tm_mon = now.date().month() - 1;
    local.tm_mday = now.date().day();
    local.tm_hour = now.time().hour();
    local.tm_min = now.time().minute();
    local.tm_sec = now.time().second();
    const std::string proposal = proposedRecordingPath(dataFolder_, text::kInstrumentSourceName, local);
    if (request.switches.binarySize || request.switches.asciiSize || request.switches.asciiRaw) {
        request.proposedOutput = proposal;
        return;
    }
    // Frames from the instrument cannot be measured again: a run that records nothing
    // is the user's choice, never the default's.
    const std::optional<bool> record = dialogs_.askRecording(proposal);
    if (!record)
        throw UserAbort{};
    if (*record) {
        request.proposedOutput = proposal;
        request.switches.binarySize = 1;
        request.switches.asciiRaw = 1;
    }
}

std::optional<std::string> DesktopQuestions::output(OpenRequest& request, const std::string& proposal)
{
    std::optional<std::string> chosen = chooseOutput(request, proposal);
    if (!chosen || request.kind != kKindInstrument)
        return chosen;
    // A disk that fills within the hour would end the cast: said before it begins.
    OpenRequest named = request;
    named.output = chosen;
    std::string outputSlots[ResultFiles::kSlots];
    CRawSource::plannedOutputs(named, false, true, *chosen, outputSlots);
    std::vector<std::string> paths;
    for (const std::string& path : outputSlots)
        if (!path.empty())
            paths.push_back(path);
    const std::optional<double> hours = CCommSource::hoursOfRoom(paths, 1.0);
    if (hours && *hours < 1.0) {
        char question[1024];
        std::snprintf(question, sizeof question, text::kLittleRoomQuestion, *hours * 60.0,
                      CCommSource::folderOf(paths).c_str());
        if (!prompter_.askYesNo(question))
            return std::nullopt;
    }
    return chosen;
}

std::optional<std::string> DesktopQuestions::chooseOutput(OpenRequest& request, const std::string& proposal)
{
    std::optional<std::string> chosen = PrompterQuestions::output(request, proposal);
    // A live cast that exists is not only replaced: it may be continued, or the new
    // one put beside it.  (The save dialog has asked whether to replace it already.)
    if (!chosen || request.kind != kKindInstrument || !fileStamp(*chosen))
        return chosen;
    OpenRequest named = request;
    named.output = chosen;
    const std::string freeName = CRawSource::freeOutputName(named, true);
    const std::optional<ExistingCast> choice = dialogs_.askExistingCast(*chosen, freeName);
    if (!choice)
        return std::nullopt;
    switch (*choice) {
    case ExistingCast::Continue:
        request.existing = ExistingOutputs::Continue;
        return chosen;
    case ExistingCast::NewName:
        return freeName;
    case ExistingCast::Replace:
        request.existing = ExistingOutputs::Replace;
        replaceWholeCast_ = true;
        return chosen;
    }
    return chosen;
}

bool DesktopQuestions::replaceBeside(const std::vector<std::string>& existing)
{
    // Replacing the cast was chosen for every file of it at once.
    return replaceWholeCast_ || PrompterQuestions::replaceBeside(existing);
}

}  // namespace kavro
