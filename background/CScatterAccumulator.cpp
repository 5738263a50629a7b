#include "background/CScatterAccumulator.h"

#include "core/CInvPars.h"
#include "core/Settings.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/Prompter.h"
#include "resources/BackgroundTexts.h"
#include "resources/CoreTexts.h"

#include <cerrno>
#include <cstdio>

namespace kavro {
namespace {

// A verdict line with its "%d" replaced by the count.
std::string withCount(const char* text, int count)
{
    std::string line(text);
    std::size_t at = line.find("%d");
    if (at != std::string::npos)
        line.replace(at, 2, std::to_string(count));
    return line;
}

// The factory and the output file dialogs: background files are ".asc" text.
FileDialogRequest asciiFileRequest(const char* title, const char* initialName)
{
    FileDialogRequest request;
    request.title = title;
    request.initialName = initialName;
    request.defaultExtension = text::kAscExtension;
    request.filter = text::kAsciiFilter;
    return request;
}

}  // namespace

CScatterAccumulator::CScatterAccumulator(const Settings& settings, Prompter& prompter)
    : CScatterAccumulator(settings, prompter, defaultFactoryPath(settings))
{
}

CScatterAccumulator::CScatterAccumulator(const Settings& settings, Prompter& prompter, const std::string& factoryPath)
    : settings_(settings), prompter_(prompter)
{
    readFactoryFile(factoryPath);
    factoryRead_ = 1;
}

std::string CScatterAccumulator::defaultFactoryPath(const Settings& settings)
{
    return joinPath(settings.calFiles, text::kFactoryBackgroundName);
}

int CScatterAccumulator::readFactoryFile(const std::string& path)
{
    // Read into a copy: a file that cannot be opened changes nothing.
    std::array<double, kFrameValues> values = factory_;
    bool complete = false, opened = false;
    readNumberFile(path, values.data(), kFrameValues, &complete, &opened);
    if (!opened) {
        prompter_.message(text::kFactoryUnreadable);
        throw UserAbort{};
    }
    factory_ = values;
    factoryPath_ = path;
    return 1;
}

int CScatterAccumulator::chooseFactoryFile()
{
    FileDialogRequest request = asciiFileRequest(text::kFactoryChooseTitle, text::kFactoryBackgroundName);
    request.mustExist = true;
    auto chosen = prompter_.openFile(request);
    if (!chosen)
        return 0;
    // A file that opens but is no factory file would judge the build against a mix
    // of its numbers and the old file's: it is refused, and the old file stays.
    std::array<double, kFrameValues> values = factory_;
    bool complete = false, opened = false;
    const int read = readNumberFile(*chosen, values.data(), kFrameValues, &complete, &opened);
    if (!opened) {
        prompter_.message(text::kFactoryUnreadable + std::string(text::kFactoryStillInUse) + factoryPath_);
        return 0;
    }
    if (read < kFrameValues) {
        prompter_.message(text::kFactoryIncomplete + *chosen + text::kFactoryStillInUse + factoryPath_);
        return 0;
    }
    factory_ = values;
    factoryPath_ = *chosen;
    return 1;
}

void CScatterAccumulator::addFrame(const RawWords& values)
{
    if (finished_)
        return;
    bool zeroRing = false, saturated = false;
    for (int i = 0; i < kFrameValues; ++i) {
        const std::uint16_t v = values[static_cast<std::size_t>(i)];
        sum_[static_cast<std::size_t>(i)] += v;
        if (i < kRings) {
            zeroRing = zeroRing || v == 0;
            saturated = saturated || v > kSaturation;
        }
    }
    zeroRingRecords_ += zeroRing ? 1 : 0;
    saturatedRecords_ += saturated ? 1 : 0;
    recordCount_ += 1;
    if (values[kLaserPowerIndex] > kMultiScanLaserWord)
        multiScanRecords_ += 1;
}

int CScatterAccumulator::addRawFile(const std::string& path, std::string* error)
{
    std::FILE* file = openRegularFileForReading(path, true);
    if (!file) {
        if (error)
            *error = errnoText(errno);
        return -1;
    }
    int added = 0;
    unsigned char record[kRawRecordBytes];
    while (added < kMaxRawRecords && std::fread(record, 1, sizeof record, file) == sizeof record) {
        addFrame(decodeRawRecord(record));
        ++added;
    }
    std::fclose(file);
    decideMultiScan();
    return added;
}

int CScatterAccumulator::decideMultiScan()
{
    multiScan_ = 0;
    if (multiScanRecords_ > 0)
        multiScan_ = settings_.autoMultiScan != 0 || prompter_.askQuestion(text::kMultiScanQuestion, {.icon = false}) ? 1 : 0;
    return multiScan_;
}

int CScatterAccumulator::average()
{
    finished_ = 1;
    if (recordCount_ == 0) {
        prompter_.message(text::kNoBackgroundRecords, MessageIcon::Exclamation);
        return 0;
    }
    for (double& s : sum_) {
        s /= recordCount_;
        if (multiScan_)
            s /= kScanDivisor;
    }
    return 1;
}

double CScatterAccumulator::averageValue(int index) const
{
    return index >= 0 && index < kFrameValues ? sum_[static_cast<std::size_t>(index)] : 0.0;
}

double CScatterAccumulator::factoryValue(int index) const
{
    return index >= 0 && index < kFrameValues ? factory_[static_cast<std::size_t>(index)] : 0.0;
}

bool CScatterAccumulator::factoryIsBad() const
{
    return !(factory_[kLaserPowerIndex] > kLaserFloor);
}

std::string CScatterAccumulator::qualityText() const
{
    std::string text;
    if (factoryIsBad())
        text += text::kBadFactoryFile;
    else if (sum_[kLaserPowerIndex] / factory_[kLaserPowerIndex] < 0.8)
        text += text::kLaserTooLow;
    int high = 0;
    for (std::size_t i = 0; i < kRings; ++i)
        high += sum_[i] > 2.0 * factory_[i] ? 1 : 0;
    if (high > 0)
        text += withCount(text::kRingsExceedFactory, high);
    return text + averagingText();
}

bool CScatterAccumulator::verdictFails() const
{
    if (factoryIsBad() || sum_[kLaserPowerIndex] / factory_[kLaserPowerIndex] < 0.8)
        return true;
    for (std::size_t i = 0; i < kRings; ++i)
        if (sum_[i] > 2.0 * factory_[i])
            return true;
    return zeroRingRecords_ > 0 || saturatedRecords_ > 0;
}

std::string CScatterAccumulator::averagingText() const
{
    std::string text;
    if (zeroRingRecords_ > 0)
        text += withCount(text::kZeroRingRecords, zeroRingRecords_);
    if (saturatedRecords_ > 0)
        text += withCount(text::kSaturatedRecords, saturatedRecords_);
    return text + withCount(text::kFramesCollected, recordCount_);
}

int CScatterAccumulator::writeOutput(const std::string& protectedPath, const std::vector<std::string>& inUse)
{
    writtenPath_.clear();
    FileDialogRequest request = asciiFileRequest(text::kBackgroundOutputTitle, text::kBackgroundOutputName);
    request.overwritePrompt = true;
    auto chosen = prompter_.saveFile(request);
    if (!chosen)
        return 0;
    if (sameFile(*chosen, protectedPath)) {
        prompter_.message(text::kOutputIsInput + *chosen, MessageIcon::Exclamation);
        return -1;
    }
    // The file an open source corrects its frames by: replacing it changes what the
    // next opening of that calibration means.
    for (const std::string& path : inUse)
        if (sameFile(*chosen, path) &&
            !prompter_.askQuestion(*chosen + text::kBackgroundInUseAsk, QuestionStyle{true, true}))
            return 0;
    std::string error;
    if (!writeTo(*chosen, &error)) {
        prompter_.message(std::string(text::kWriteFailed) + *chosen + ": " + error, MessageIcon::Exclamation);
        return -1;
    }
    writtenPath_ = *chosen;
    return 1;
}

bool CScatterAccumulator::writeTo(const std::string& path, std::string* error) const
{
    std::string content;
    for (double v : sum_)
        content += formatE(v) + "\n";
    // Whole or not at all: a background file cut short would later be read with
    // zeros in place of the missing values.
    std::string reason;
    if (replaceFileAtomically(path, content, &reason))
        return true;
    // The reason comes as "path: why"; the caller names the file itself.
    const std::string lead = path + ": ";
    if (error)
        *error = reason.rfind(lead, 0) == 0 ? reason.substr(lead.size()) : reason;
    return false;
}

std::optional<double> CScatterAccumulator::laserReferenceRatio() const
{
    return backgroundLaserRatio(sum_[kLaserPowerIndex], sum_[kLaserReferenceIndex]);
}

CScatterAccumulator::RatioUpdate CScatterAccumulator::updateLaserReferenceRatio(Settings& settings,
                                                                               Profile& profile) const
{
    auto ratio = laserReferenceRatio();
    if (!ratio)
        return RatioUpdate::Unchanged;
    return settings.storeLRefRatio(profile, *ratio) ? RatioUpdate::Stored : RatioUpdate::StoreFailed;
}

}  // namespace kavro
