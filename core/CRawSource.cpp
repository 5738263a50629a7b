#include "core/CRawSource.h"

#include "core/Settings.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/Prompter.h"
#include "resources/CoreTexts.h"

#include <filesystem>

namespace kavro {

CRawSource::CRawSource(SourceContext context, SourceOwner* owner)
    : CDataSource(context, owner),
      calibration_(std::make_unique<CInvPars>(owner ? owner->instrumentModel() : 0, context.settings,
                                              context.prompter))
{
}

CRawSource::~CRawSource() = default;

double CRawSource::rawValue(int index) const
{
    return index >= 0 && index < kFrameValues ? raw_[static_cast<std::size_t>(index)] : -1.0;
}

double CRawSource::backgroundValue(int index) const
{
    return calibrationOK_ ? calibration_->background(index) : 0.0;
}

double CRawSource::factoryBackgroundValue(int index) const
{
    return calibrationOK_ ? calibration_->factoryBackground(index) : 0.0;
}

double CRawSource::backgroundLaserPower() const
{
    return calibrationOK_ ? calibration_->background(kLaserPowerIndex) : 0.0;
}

double CRawSource::factoryLaserPower() const
{
    return calibrationOK_ ? calibration_->factoryBackground(kLaserPowerIndex) : 0.0;
}

int CRawSource::setBackgroundFromRecord(const double values[kFrameValues])
{
    return calibration_ ? calibration_->setBackground(values) : 0;
}

bool CRawSource::writesTo(const std::string& path) const
{
    for (const OutputFile* file : {&psdOutput_, &ascOutput_, &logOutput_, &timeOutput_})
        if (file->isOpen() && sameFile(file->path(), path))
            return true;
    return false;
}

std::vector<std::string> CRawSource::outputPaths() const
{
    std::vector<std::string> paths;
    for (const OutputFile* file : {&psdOutput_, &ascOutput_, &logOutput_, &timeOutput_})
        if (file->isOpen())
            paths.push_back(file->path());
    return paths;
}

FrameProcessor CRawSource::processor() const
{
    return FrameProcessor(*calibration_, auxCalibration_,
                          ProcessingOptions{context_.settings.numIterations, context_.settings.procOpt1});
}

void CRawSource::readVolumeConversionSetting()
{
    auto value = scanOneDouble(context_.profile.readString(instrumentSection(instrumentNumber_), "VolConv", ""));
    if (value)
        frameResult_->setVolumeConversion(*value);
}

void CRawSource::copyClassDiameters()
{
    for (int k = 0; k < kClasses; ++k)
        frameResult_->setDiameter(k, calibration_->classDiameter(k));
}

int CRawSource::selectBackground()
{
    FileDialogRequest request;
    request.title = text::kBackgroundTitle;
    request.filter = text::kBackgroundFilter;
    request.initialName = text::kBackgroundInitialName;
    request.initialDirectory =
        context_.settings.pdFirst ? directoryPart(sourceName_) : calibration_->calibrationDirectory();
    request.mustExist = true;
    auto chosen = context_.prompter.openFile(request);
    if (!chosen)
        return 0;
    backgroundFileName_ = *chosen;
    return calibration_->loadBackgroundFile(*chosen);
}

void CRawSource::choosePsdOutput(std::string& path)
{
    FileDialogRequest request;
    request.title = text::kPsdOutputTitle;
    request.filter = text::kPsdFilter;
    request.defaultExtension = text::kPsdExtension;
    request.initialName = stemBeforeFirstDot(fileNamePart(path)) + ".psd";
    request.initialDirectory = directoryPart(path);
    request.overwritePrompt = true;
    auto chosen = context_.prompter.saveFile(request);
    if (!chosen)
        throw UserAbort{};
    path = *chosen;
}

void CRawSource::createOutput(OutputFile& file, const std::string& path)
{
    if (sameFile(path, inputPath_)) {
        context_.prompter.message(text::kOutputIsInput + path, MessageIcon::Exclamation);
        throw UserAbort{};
    }
    if (!file.create(path, replaceOutputs_ ? OutputFile::Existing::Replace : OutputFile::Existing::Refuse)) {
        context_.prompter.message(std::string(text::kWriteFailed) + path + ": " + file.error(),
                                  MessageIcon::Exclamation);
        throw UserAbort{};
    }
    file.setSyncInterval(outputSyncSeconds_);
}

std::string CRawSource::psdHeaderRecord()
{
    // The ratio written is the calibration set's; the source's own copy follows it.
    laserReferenceRatio_ = calibration_->laserReferenceRatio();
    const int model = owner_ ? owner_->instrumentModel() : calibration_->model();
    return bytesOf(encodePsdHeader(model, laserReferenceRatio_, backgroundFileName_));
}

void CRawSource::openPsdOutput(const std::string& path)
{
    createOutput(psdOutput_, path);
    writeOutput(psdOutput_, psdHeaderRecord());
    writeOutput(psdOutput_, bytesOf(encodeDiameterRecord(*frameResult_)));
    if (psdOutput_.failed())
        throw UserAbort{};
}

void CRawSource::openAscOutput(const std::string& basePath)
{
    createOutput(ascOutput_, removeExtension(basePath) + ".asc");
}

void CRawSource::openLogOutput(const std::string& basePath)
{
    createOutput(logOutput_, removeExtension(basePath) + ".log");
}

void CRawSource::openTimeStampOutput(const std::string& basePath)
{
    createOutput(timeOutput_, timeStampPathFor(basePath));
    writeOutput(timeOutput_, std::string(text::kTimeStampHeader) + "\n");
}

void CRawSource::confirmReplacing(const std::vector<std::string>& paths)
{
    std::vector<std::string> existing;
    for (const std::string& p : paths)
        if (std::error_code ec; std::filesystem::exists(pathFromUtf8(p), ec))
            existing.push_back(p);
    if (!existing.empty() &&
        !context_.prompter.askYesNo(text::kReplaceBesideFiles + fileListText(existing) + text::kReplaceBesideAsk))
        throw UserAbort{};
}

std::string CRawSource::repeatedOutput(const std::vector<std::string>& paths)
{
    std::vector<std::filesystem::path> seen;
    for (const std::string& p : paths) {
        std::error_code ec;
        std::filesystem::path full = std::filesystem::absolute(pathFromUtf8(p), ec).lexically_normal();
        if (ec)
            full = pathFromUtf8(p).lexically_normal();
        for (const std::filesystem::path& s : seen)
            if (s == full || sameFile(utf8FromPath(s), utf8FromPath(full)))
                return p;
        seen.push_back(full);
    }
    return std::string();
}

void CRawSource::runOpenSequence(bool psdAlways, const std::string& inputPath)
{
    inputPath_ = inputPath;
    instrumentNumber_ = context_.settings.instrumentNumber;
    readVolumeConversionSetting();
    calibration_->setCalibrationDirectory(context_.settings.calFiles);
    calibrationOK_ = calibration_->load();
    if (!calibrationOK_)
        throw UserAbort{};
    copyClassDiameters();
    calibrationOK_ = selectBackground();
    if (!calibrationOK_)
        throw UserAbort{};
    if (outputsQuestion_)
        outputsQuestion_(*this);
    const bool psd = psdAlways || switches_.binarySize;
    if (psd)
        choosePsdOutput(sourceName_);
    // Two outputs under one name would each destroy the other's records: refused
    // before any file is made.
    std::vector<std::string> planned;
    if (psd)
        planned.push_back(sourceName_);
    if (switches_.asciiSize)
        planned.push_back(removeExtension(sourceName_) + ".asc");
    if (switches_.asciiRaw)
        planned.push_back(removeExtension(sourceName_) + ".log");
    if (writesTimeStamps_ && !planned.empty())
        planned.push_back(timeStampPathFor(sourceName_));
    if (const std::string twice = repeatedOutput(planned); !twice.empty()) {
        context_.prompter.message(twice + text::kOutputNamedTwice, MessageIcon::Exclamation);
        throw UserAbort{};
    }
    if (askBeforeReplacing_) {
        std::vector<std::string> beside;
        if (switches_.asciiSize)
            beside.push_back(removeExtension(sourceName_) + ".asc");
        if (switches_.asciiRaw)
            beside.push_back(removeExtension(sourceName_) + ".log");
        if (writesTimeStamps_ && (psd || switches_.asciiSize || switches_.asciiRaw))
            beside.push_back(timeStampPathFor(sourceName_));
        confirmReplacing(beside);
    }
    if (psd)
        openPsdOutput(sourceName_);
    if (switches_.asciiSize)
        openAscOutput(sourceName_);
    if (switches_.asciiRaw)
        openLogOutput(sourceName_);
}

void CRawSource::writeOutput(OutputFile& file, std::string_view bytes)
{
    if (!file.isOpen() || file.append(bytes))
        return;
    tellOutputFailure(file);
}

void CRawSource::tellOutputFailure(const OutputFile& file)
{
    if (outputError_.empty()) {
        outputError_ = std::string(text::kWriteFailed) + file.path() + ": " + file.error();
        context_.prompter.message(outputError_, MessageIcon::Exclamation);
    }
}

void CRawSource::correctFrame(double laserTest, bool rawDivided)
{
    FrameWork work;
    processor().correct(raw_.data(), laserTest, multiScan_ != 0 && !rawDivided, work, *frameResult_);
    laserOK_ = work.laserOK;
    transmission_ = work.transmission;
    beamAttenuation_ = work.beamAttenuation;
    corrected_ = work.corrected;
    calibration_->setLastTransmission(work.transmission);
}

void CRawSource::invertFrame()
{
    FrameWork work;
    work.laserOK = laserOK_;
    work.transmission = transmission_;
    work.beamAttenuation = beamAttenuation_;
    work.corrected = corrected_;
    processor().invert(work, *frameResult_);
    corrected_ = work.corrected;  // rings 5 and 6 stay replaced
    record_ = buildOutputRecord(*frameResult_);
}

void CRawSource::finishFrame()
{
    invertFrame();
    FrameOutputs out;
    formatFrameOutputs(record_, nullptr, out);
    writeFrameOutputs(out);
}

void CRawSource::formatFrameOutputs(const OutputRecord& record, const std::uint16_t* words, FrameOutputs& out) const
{
    if (switches_.binarySize && psdOutput_.isOpen()) {
        const PsdRecordBytes bytes = encodeOutputRecord(record);
        out.psd.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    if (switches_.asciiSize && ascOutput_.isOpen())
        out.asc += ascLine(record, switches_.vsfInAscii != 0);
    if (words && logOutput_.isOpen())
        out.log += logLine(words);
}

void CRawSource::writeFrameOutputs(const FrameOutputs& out)
{
    appendFrameOutputs(out);
    tellOutputFailures();
}

void CRawSource::appendFrameOutputs(const FrameOutputs& out)
{
    const FrameOutputs* one[] = {&out};
    appendFrameOutputs(one);
}

void CRawSource::appendFrameOutputs(std::span<const FrameOutputs* const> parts)
{
    std::vector<std::string_view> bytes;
    bytes.reserve(parts.size());
    auto gather = [&](OutputFile& file, std::string FrameOutputs::*member) {
        if (!file.isOpen())
            return;
        bytes.clear();
        for (const FrameOutputs* part : parts)
            if (!(part->*member).empty())
                bytes.emplace_back(part->*member);
        if (!bytes.empty())
            file.append(std::span<const std::string_view>(bytes));
    };
    gather(psdOutput_, &FrameOutputs::psd);
    gather(ascOutput_, &FrameOutputs::asc);
    gather(logOutput_, &FrameOutputs::log);
}

void CRawSource::tellOutputFailures()
{
    for (const OutputFile* file : {&psdOutput_, &ascOutput_, &logOutput_, &timeOutput_})
        if (file->failed())
            tellOutputFailure(*file);
}

void CRawSource::writeLogLine(const std::uint16_t words[kFrameValues])
{
    if (logOutput_.isOpen())
        writeOutput(logOutput_, logLine(words));
}

void CRawSource::writeTimeStamp(long long record, UtcTime time)
{
    if (timeOutput_.isOpen())
        writeOutput(timeOutput_, timeStampLine(record, time));
}

bool CRawSource::writeFrameTogether(const FrameOutputs& out, long long record, UtcTime time)
{
    if (outputsStopped_)
        return false;
    const std::string stamp = timeOutput_.isOpen() ? timeStampLine(record, time) : std::string();
    struct Part {
        OutputFile* file;
        std::string_view bytes;
        long long mark = 0;
        bool tried = false;
    };
    Part parts[] = {{&psdOutput_, out.psd}, {&ascOutput_, out.asc}, {&logOutput_, out.log}, {&timeOutput_, stamp}};
    const OutputFile* failed = nullptr;
    for (Part& p : parts) {
        if (p.bytes.empty() || !p.file->isOpen())
            continue;
        p.mark = p.file->size();
        p.tried = true;
        if (!p.file->append(p.bytes)) {
            failed = p.file;
            break;
        }
    }
    if (!failed)
        return true;
    // The frame comes out of every file that took it (the failed one too, should its
    // bytes be in but not on the disk), so that no file holds a frame the others lack.
    for (Part& p : parts)
        if (p.tried)
            p.file->truncateTo(p.mark);
    outputsStopped_ = true;
    if (outputError_.empty()) {
        outputError_ = std::string(text::kWriteFailed) + failed->path() + ": " + failed->error() +
                       text::kOutputsStopped + std::to_string(record) + text::kOutputsStoppedFrames;
        context_.prompter.message(outputError_, MessageIcon::Exclamation);
    }
    return false;
}

void CRawSource::closeOutputs()
{
    for (OutputFile* file : {&psdOutput_, &ascOutput_, &logOutput_, &timeOutput_}) {
        const bool wasOpen = file->isOpen();
        const bool failedBefore = file->failed();
        file->close();
        if (wasOpen && !failedBefore && file->failed())
            tellOutputFailure(*file);
    }
}

bool CRawSource::processAndSave(const double values[kFrameValues], const std::string& path, int writePsd,
                                int writeAsc)
{
    for (int i = 0; i < kFrameValues; ++i)
        raw_[static_cast<std::size_t>(i)] = values[i];
    correctFrame(raw_[kLaserPowerIndex]);
    invertFrame();
    // The frame number stays: a live window's number is the record its frames have
    // in the files, and an average written apart does not change it.
    if (path.empty())
        return false;

    bool written = true;
    auto tell = [&](const OutputFile& file) {
        written = false;
        context_.prompter.message(std::string(text::kWriteFailed) + file.path() + ": " + file.error(),
                                  MessageIcon::Exclamation);
    };
    if (writePsd) {
        OutputFile file;
        if (file.create(path)) {
            file.append(psdHeaderRecord() + bytesOf(encodeDiameterRecord(*frameResult_)) +
                        bytesOf(encodeOutputRecord(record_)));
            file.close();
        }
        if (file.failed() || !file.error().empty())
            tell(file);
    }
    if (writeAsc) {
        OutputFile file;
        if (file.create(removeExtension(path) + ".asc")) {
            file.append(ascLine(record_, switches_.vsfInAscii != 0));
            file.close();
        }
        if (file.failed() || !file.error().empty())
            tell(file);
    }
    return written;
}

}  // namespace kavro
