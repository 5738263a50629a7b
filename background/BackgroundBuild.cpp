#include "background/BackgroundBuild.h"

#include "core/CRawSource.h"
#include "core/Settings.h"
#include "platform/FileUtil.h"
#include "platform/Profile.h"
#include "platform/Prompter.h"
#include "resources/BackgroundTexts.h"
#include "resources/CoreTexts.h"

#include <memory>

namespace kavro {

BuildResult buildBackgroundFromRawFile(Settings& settings, Profile& profile, Prompter& prompter,
                                       const VerdictStep& verdict, const std::string& factoryPath,
                                       const std::vector<std::string>& inUse, std::string* writtenPath)
{
    std::unique_ptr<CScatterAccumulator> accumulator;
    try {
        accumulator = factoryPath.empty() ? std::make_unique<CScatterAccumulator>(settings, prompter)
                                          : std::make_unique<CScatterAccumulator>(settings, prompter, factoryPath);
    } catch (const UserAbort&) {
        return BuildResult::Abandoned;
    }
    FileDialogRequest request;
    request.title = text::kRawBackgroundTitle;
    request.filter = text::kRawDataFilter;
    request.mustExist = true;
    auto raw = prompter.openFile(request);
    if (!raw)
        return BuildResult::Abandoned;

    accumulator->addRawFile(*raw);
    if (!accumulator->average())
        return BuildResult::NoRecords;
    if (!verdict(*accumulator))
        return BuildResult::Rejected;
    const bool ok = acceptBackground(*accumulator, settings, profile, prompter, *raw, inUse);
    if (writtenPath)
        *writtenPath = accumulator->writtenPath();
    return ok ? BuildResult::Accepted : BuildResult::AcceptedWithFailure;
}

bool acceptBackground(CScatterAccumulator& accumulator, Settings& settings, Profile& profile, Prompter& prompter,
                      const std::string& protectedPath, const std::vector<std::string>& inUse)
{
    // A cancelled save dialog is the user's choice, not a failure; and a ratio taken
    // from a background that was not kept would correct later frames by a file
    // nobody has.
    const int written = accumulator.writeOutput(protectedPath, inUse);
    if (written <= 0)
        return written == 0;
    bool ok = true;
    if (accumulator.updateLaserReferenceRatio(settings, profile) == CScatterAccumulator::RatioUpdate::StoreFailed) {
        // The profile's reason already starts with its path.
        prompter.message(std::string(text::kWriteFailed) + profile.lastError(), MessageIcon::Exclamation);
        ok = false;
    }
    return ok;
}

BuildResult finishLiveBackground(CScatterAccumulator& accumulator, CRawSource* instrument, Settings& settings,
                                 Profile& profile, Prompter& prompter, const VerdictStep& verdict,
                                 const std::vector<std::string>& inUse)
{
    accumulator.decideMultiScan();
    if (!accumulator.average())
        return BuildResult::NoRecords;
    if (!verdict(accumulator))
        return BuildResult::Rejected;
    bool ok = acceptBackground(accumulator, settings, profile, prompter, {}, inUse);
    if (!instrument)
        return ok ? BuildResult::Accepted : BuildResult::AcceptedWithFailure;
    if (!instrument->recording()) {
        // The averages become the background of the frames that follow.
        instrument->setBackgroundFromRecord(accumulator.averages().data());
        return ok ? BuildResult::Accepted : BuildResult::AcceptedWithFailure;
    }
    // One file never mixes two backgrounds: the frames from now on go to a new cast
    // whose header names the new one, or the new background waits for the next cast.
    const std::string written = accumulator.writtenPath();
    const std::string next = CRawSource::freeOutputName(instrument->request(), true);
    const std::string old = instrument->backgroundFileName();
    if (prompter.askYesNo(text::kNewBackgroundQuestion + fileNamePart(next) + "; " +
                          fileNamePart(instrument->sourceName()) + text::kNewBackgroundKeeps +
                          (old.empty() ? std::string(text::kNewBackgroundUnnamed) : fileNamePart(old))) &&
        instrument->recordOnWithBackground(accumulator.averages().data(), written).empty())
        ok = false;
    return ok ? BuildResult::Accepted : BuildResult::AcceptedWithFailure;
}

AveragingResult finishAveraging(CScatterAccumulator& accumulator, CRawSource& source, const std::string& path,
                                int writePsd, int writeAsc)
{
    AveragingResult result;
    accumulator.decideMultiScan();
    if (accumulator.average()) {
        result.frames = accumulator.recordCount();
        result.written = source.processAndSave(accumulator.averages().data(), path, writePsd, writeAsc);
    }
    result.status = accumulator.averagingText();
    return result;
}

}  // namespace kavro
