#include "core/CRawSource.h"

#include "core/Settings.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/Prompter.h"
#include "resources/CoreTexts.h"

#include <cerrno>
#include <filesystem>

namespace kavro {

CRawSource::CRawSource(SourceContext context, SourceOwner* owner)
    : CDataSource(context, owner),
      results_(context.prompter),
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

std::string CRawSource::psdHeaderRecord()
{
    // The ratio written is the calibration set's; the source's own copy follows it.
    laserReferenceRatio_ = calibration_->laserReferenceRatio();
    // The header names the background file as the system writes names (Windows: "\\").
    return bytesOf(encodePsdHeader(request_.model, laserReferenceRatio_, nativeSeparators(backgroundFileName_)));
}

std::string CRawSource::completed(std::optional<std::string>& part, OpenQuestions* questions, const char* what,
                                  const std::function<std::optional<std::string>()>& ask)
{
    if (!part) {
        if (!questions) {
            context_.prompter.message(std::string(text::kRequestLacks) + what, MessageIcon::Exclamation);
            throw UserAbort{};
        }
        part = ask();
        if (!part)
            throw UserAbort{};
    }
    return *part;
}

void CRawSource::plannedOutputs(const OpenRequest& request, bool psdAlways, bool timeStamps, const std::string& base,
                                std::string (&paths)[ResultFiles::kSlots])
{
    const std::string name = request.output.value_or(base);
    const bool psd = psdAlways || request.switches.binarySize;
    paths[ResultFiles::Psd] = psd ? name : std::string();
    paths[ResultFiles::Asc] = request.switches.asciiSize ? removeExtension(name) + ".asc" : std::string();
    paths[ResultFiles::Log] = request.switches.asciiRaw ? removeExtension(name) + ".log" : std::string();
    const bool any = psd || request.switches.asciiSize || request.switches.asciiRaw;
    paths[ResultFiles::Time] = timeStamps && any ? timeStampPathFor(name) : std::string();
}

std::string CRawSource::freeOutputName(const OpenRequest& request, bool timeStamps)
{
    const std::string name = request.output.value_or(request.proposedOutput);
    const std::string stem = removeExtension(name);
    const std::string extension = name.substr(stem.size());
    for (int n = 2;; ++n) {
        OpenRequest next = request;
        next.output = stem + "-" + std::to_string(n) + (extension.empty() ? ".psd" : extension);
        std::string paths[ResultFiles::kSlots];
        plannedOutputs(next, true, timeStamps, *next.output, paths);
        bool taken = false;
        for (const std::string& path : paths)
            taken = taken || (!path.empty() && fileStamp(path));
        if (!taken || n == 10000)
            return *next.output;
    }
}

std::string CRawSource::recordOnWithBackground(const double values[kFrameValues], const std::string& backgroundPath)
{
    if (!recording() || values[kLaserPowerIndex] == 0.0)
        return std::string();
    OpenRequest next = request_;
    next.output = freeOutputName(request_, writesTimeStamps_);
    next.background = backgroundPath;
    next.existing = ExistingOutputs::Refuse;
    setBackgroundFromRecord(values);
    backgroundFileName_ = backgroundPath;
    results_.close();
    request_ = next;
    sourceName_ = *next.output;
    std::string paths[ResultFiles::kSlots];
    plannedOutputs(request_, false, writesTimeStamps_, sourceName_, paths);
    try {
        const std::string header = paths[ResultFiles::Psd].empty() ? std::string() : psdHeaderRecord();
        openResultSet(paths, std::string(), nullptr, header, bytesOf(encodeDiameterRecord(*frameResult_)));
    } catch (const UserAbort&) {
        // Told; nothing is recorded from here on, and the old files stay as they are.
        results_.close();
        return std::string();
    }
    return sourceName_;
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

void CRawSource::runOpenSequence(const OpenRequest& request, OpenQuestions* questions, bool psdAlways,
                                 const std::string& inputPathGiven)
{
    // A copy: the caller may pass the source's own name, which the outputs rename.
    const std::string inputPath = inputPathGiven;
    request_ = request;
    switches_ = request_.switches;
    continuedFrames_ = 0;
    continuationNote_.clear();
    instrumentNumber_ = context_.settings.instrumentNumber;
    if (calibration_->model() != request_.model)
        calibration_ = std::make_unique<CInvPars>(request_.model, context_.settings, context_.prompter);
    readVolumeConversionSetting();
    calibration_->setCalibrationDirectory(request_.calibrationFolder);
    calibrationOK_ = calibration_->load([&]() -> std::optional<std::string> {
        return completed(request_.ringArea, questions, text::kRingAreaTitle,
                         [&] { return questions->ringArea(request_.calibrationFolder); });
    });
    if (!calibrationOK_)
        throw UserAbort{};
    copyClassDiameters();
    const std::string folder =
        context_.settings.pdFirst ? directoryPart(sourceName_) : calibration_->calibrationDirectory();
    backgroundFileName_ = completed(request_.background, questions, text::kBackgroundTitle,
                                    [&] { return questions->background(request_, folder); });
    calibrationOK_ = calibration_->loadBackgroundFile(backgroundFileName_);
    if (!calibrationOK_)
        throw UserAbort{};
    if (questions)
        questions->beforeOutputs(request_);
    switches_ = request_.switches;
    openOutputs(psdAlways, inputPath, questions);
}

void CRawSource::openOutputs(bool psdAlways, const std::string& inputPath, OpenQuestions* questions)
{
    if (request_.proposedOutput.empty())
        request_.proposedOutput = sourceName_;
    const bool psd = psdAlways || switches_.binarySize;
    if (psd)
        completed(request_.output, questions, text::kPsdOutputTitle,
                  [&] { return questions->output(request_, request_.proposedOutput); });
    sourceName_ = request_.output.value_or(request_.proposedOutput);
    std::string paths[ResultFiles::kSlots];
    plannedOutputs(request_, psdAlways, writesTimeStamps_, sourceName_, paths);
    // Two outputs under one name would each destroy the other's records: refused
    // before any file is made.
    std::vector<std::string> planned;
    for (const std::string& path : paths)
        if (!path.empty())
            planned.push_back(path);
    if (const std::string twice = repeatedOutput(planned); !twice.empty()) {
        context_.prompter.message(twice + text::kOutputNamedTwice, MessageIcon::Exclamation);
        throw UserAbort{};
    }
    const std::string header = psd ? psdHeaderRecord() : std::string();
    const std::string diameters = bytesOf(encodeDiameterRecord(*frameResult_));
    const bool continuing = request_.existing == ExistingOutputs::Continue;
    CastContinuation found;
    if (continuing) {
        found = ResultFiles::inspectContinuation(paths, header, diameters);
        if (!found.problem.empty()) {
            context_.prompter.message(found.problem, MessageIcon::Exclamation);
            throw UserAbort{};
        }
    } else if (askBeforeReplacing_ && questions && request_.existing == ExistingOutputs::Replace) {
        // The save dialog asked about the .psd; the files beside it are asked about here.
        std::vector<std::string> existing;
        for (int slot = ResultFiles::Asc; slot < ResultFiles::kSlots; ++slot)
            if (!paths[slot].empty() && fileStamp(paths[slot]))
                existing.push_back(paths[slot]);
        if (!existing.empty() && !questions->replaceBeside(existing))
            throw UserAbort{};
    }
    openResultSet(paths, inputPath, continuing ? &found : nullptr, header, diameters);
    if (continuing) {
        continuedFrames_ = found.frames;
        continuationNote_ = text::kContinuing + sourceName_ + text::kContinuingAfter + std::to_string(found.frames) +
                            text::kContinuingFrames;
        if (found.droppedBytes > 0)
            continuationNote_ += text::kContinuingDropped + std::to_string(found.droppedBytes) +
                                 text::kContinuingDroppedEnd;
    }
}

void CRawSource::openResultSet(const std::string (&paths)[ResultFiles::kSlots], const std::string& inputPath,
                               const CastContinuation* found, const std::string& header, const std::string& diameters)
{
    const bool continuing = found != nullptr;
    fileRecords_ = continuing ? found->frames : 0;
    for (int slot = 0; slot < ResultFiles::kSlots; ++slot) {
        if (paths[slot].empty())
            continue;
        const auto s = static_cast<ResultFiles::Slot>(slot);
        if (!results_.open(s, paths[slot], request_.existing, inputPath))
            throw UserAbort{};
        if (continuing && !results_.file(s).truncateTo(found->keep[slot])) {
            context_.prompter.message(std::string(text::kWriteFailed) + paths[slot] + ": " +
                                          errnoText(errno),
                                      MessageIcon::Exclamation);
            throw UserAbort{};
        }
    }
    results_.setSyncInterval(outputSyncSeconds_);
    if (continuing)
        return;
    results_.write(ResultFiles::Psd, header);
    results_.write(ResultFiles::Psd, diameters);
    results_.write(ResultFiles::Time, std::string(text::kTimeStampHeader) + "\n");
    if (results_.file(ResultFiles::Psd).failed() || results_.file(ResultFiles::Time).failed())
        throw UserAbort{};
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
    if (switches_.binarySize && results_.file(ResultFiles::Psd).isOpen()) {
        const PsdRecordBytes bytes = encodeOutputRecord(record);
        out.psd.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    if (switches_.asciiSize && results_.file(ResultFiles::Asc).isOpen())
        out.asc += ascLine(record, switches_.vsfInAscii != 0);
    if (words && results_.file(ResultFiles::Log).isOpen())
        out.log += logLine(words);
}

void CRawSource::writeFrameOutputs(const FrameOutputs& out)
{
    results_.append(out);
    results_.tellFailures();
}

void CRawSource::writeLogLine(const std::uint16_t words[kFrameValues])
{
    results_.write(ResultFiles::Log, logLine(words));
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
