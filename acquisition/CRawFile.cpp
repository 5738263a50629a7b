#include "acquisition/CRawFile.h"

#include "acquisition/FrameBlock.h"
#include "core/Settings.h"
#include "platform/Prompter.h"
#include "resources/CoreTexts.h"
#include "resources/RawFileTexts.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <thread>

namespace kavro {
namespace {

// Frames per block of processRange: about 2 MB of .psd records per write.
constexpr int kBlockFrames = 4096;
// The frame summary is the only memory that grows with the recording.
static_assert(sizeof(FrameSummary) == 24);

}  // namespace

FrameSummary summarizeRecord(const std::uint16_t words[kFrameValues])
{
    FrameSummary entry;
    for (int i = 0; i < kAux; ++i)
        entry.aux[i] = words[kRings + i];
    for (int i = 0; i < kRings; ++i) {
        if (words[i] == 0)
            ++entry.zeroRings;
        else if (words[i] > kSaturation)
            ++entry.saturatedRings;
    }
    return entry;
}

CRawFile::CRawFile(SourceContext context, SourceOwner* owner) : CRawSource(context, owner)
{
    sourceKind_ = kKindRawFile;
    switches_ = context.settings.outputs.rawFileSet();
}

CRawFile::~CRawFile()
{
    close();
}

void CRawFile::open(const OpenRequest& given, OpenQuestions* questions)
{
    OpenRequest request = given;
    sourceName_ = completed(request.input, questions, text::kRawOpenTitle,
                            [&] { return questions->recording(request); });
    const std::string inputPath = sourceName_;
    if (!input_.open(inputPath)) {
        // A folder chosen in the dialog is passed over; a path from elsewhere is told.
        const int error = errno;
        if (error != EISDIR)
            context_.prompter.message(text::kCouldNotOpenFile + inputPath + ": " + std::strerror(error),
                                      MessageIcon::Exclamation);
        throw UserAbort{};
    }
    recordCount_ = input_.recordCount();
    if (recordCount_ == 0) {
        // Refused before any output is made: no header-only .psd is left behind.
        input_.close();
        context_.prompter.message(inputPath + text::kRawHoldsNoFrames, MessageIcon::Exclamation);
        throw UserAbort{};
    }
    firstFrame_ = 0;
    lastFrame_ = recordCount_ - 1;
    currentFrame_ = 0;
    nextRecord_ = 0;
    if (request.multiScan)
        multiScanOverride_ = request.multiScan;
    runOpenSequence(request, questions, true, inputPath);
    questions_ = questions;
    preScan();
    questions_ = nullptr;
}

int CRawFile::preScan()
{
    frameSummary_.clear();
    records_.clear();
    if (keepFrameSummary_) {
        frameSummary_.assign(static_cast<std::size_t>(recordCount_), FrameSummary{});
        records_.resize(static_cast<std::size_t>(recordCount_));
    }
    markedRecords_ = 0;
    const int read = input_.forEachRecord([this](int n, const std::uint16_t* words) {
        if (words[kLaserPowerIndex] > kMultiScanLaserWord)
            ++markedRecords_;
        if (keepFrameSummary_) {
            frameSummary_[static_cast<std::size_t>(n)] = summarizeRecord(words);
            std::copy(words, words + kFrameValues, records_[static_cast<std::size_t>(n)].begin());
        }
    });
    // Records past the first one that could not be read are not kept.
    if (keepFrameSummary_ && read >= 0 && static_cast<std::size_t>(read) < records_.size())
        records_.resize(static_cast<std::size_t>(read));
    decideMultiScan();
    if (multiScan_)
        for (FrameSummary& entry : frameSummary_)
            for (std::uint16_t& word : entry.aux)
                word = static_cast<std::uint16_t>(word / 16);
    currentFrame_ = 0;
    nextRecord_ = 0;
    return read;
}

void CRawFile::decideMultiScan()
{
    if (multiScanOverride_) {
        multiScan_ = *multiScanOverride_ ? 1 : 0;
        return;
    }
    if (markedRecords_ <= kMultiScanMarkedRecords)
        return;
    if (context_.settings.autoMultiScan != 0 || (questions_ && questions_->multiScan()))
        multiScan_ = 1;
}

int CRawFile::readNextFrame()
{
    if (currentFrame_ > lastFrame_ || currentFrame_ == INT_MAX)
        return 0;
    if (!input_.readRecord(nextRecord_, words_))
        return 0;
    ++nextRecord_;
    writeLogLine(words_);
    rawValuesOfWords(words_, multiScan_ != 0, raw_.data());
    // The laser test takes the word as stored, undivided even for multi-scan data.
    correctFrame(words_[kLaserPowerIndex], true);
    finishFrame();
    ++currentFrame_;
    return 1;
}

void CRawFile::close()
{
    closeOutputs();
    input_.close();
    baseClose();
}

int CRawFile::rewind()
{
    currentFrame_ = firstFrame_;
    nextRecord_ = firstFrame_;
    return 1;
}

int CRawFile::goToFrame(int n)
{
    long long target = static_cast<long long>(firstFrame_) + n;
    if (target < firstFrame_)
        target = firstFrame_;
    if (target > recordCount_ - 1)
        target = recordCount_ - 1;
    currentFrame_ = static_cast<int>(target);
    nextRecord_ = target;
    return readNextFrame();
}

void CRawFile::setFrameRange(int first, int last)
{
    firstFrame_ = first;
    lastFrame_ = last;
}

int CRawFile::peekRawFrame(int n)
{
    nextRecord_ = n;
    if (n > lastFrame_)
        return 0;
    if (!input_.readRecord(n, words_))
        return 0;
    nextRecord_ = static_cast<long long>(n) + 1;
    for (int i = 0; i < kFrameValues; ++i)
        raw_[static_cast<std::size_t>(i)] = words_[i];
    return 1;
}

int CRawFile::frameValues(int n, double values[kFrameValues]) const
{
    if (n >= 0 && static_cast<std::size_t>(n) < records_.size()) {
        rawValuesOfWords(records_[static_cast<std::size_t>(n)].data(), multiScan_ != 0, values);
        return 1;
    }
    std::uint16_t words[kFrameValues];
    if (n < 0 || !input_.isOpen() || !input_.readRecord(n, words))
        return 0;
    rawValuesOfWords(words, multiScan_ != 0, values);
    return 1;
}

int CRawFile::framesLeft(int limit, int ahead) const
{
    const long long frame = static_cast<long long>(currentFrame_) + ahead;
    const long long record = nextRecord_ + ahead;
    if (frame > lastFrame_ || record < 0 || record >= recordCount_)
        return 0;
    long long left = static_cast<long long>(lastFrame_) - frame + 1;
    left = std::min(left, static_cast<long long>(recordCount_) - record);
    left = std::min(left, static_cast<long long>(INT_MAX) - frame);
    return static_cast<int>(std::max(0LL, std::min<long long>(left, limit)));
}

int CRawFile::processRange(int threads, const std::function<bool(int)>& progress)
{
    const FrameProcessor frameProcessor = processor();
    FrameBlockProcessor blocks(FrameBlockJob{frameProcessor, multiScan_ != 0,
                                             [this](const OutputRecord& record, const std::uint16_t* words,
                                                    FrameOutputs& out) { formatFrameOutputs(record, words, out); }},
                               threads, *frameResult_);
    // A block is written while the next one is processed: the writer hands the
    // block's pieces to each file in one gathered write, the processing threads go on
    // with the next block in the other set of pieces.  (The writer is waited for
    // however the loop ends.)
    std::vector<const FrameOutputs*> writing;
    BackgroundTask writer;
    auto awaitWrite = [&] {
        writer.wait();
        results_.tellFailures();
    };
    std::vector<unsigned char> bytes, ahead;
    int wanted = framesLeft(kBlockFrames, 0);
    int got = wanted > 0 ? input_.readRecords(nextRecord_, wanted, bytes) : 0;
    int done = 0;
    while (got > 0) {
        // The next block is read while the other threads finish their last pieces.
        const bool more = got == wanted;  // else the end of the data came early
        int nextWanted = 0;
        int nextGot = 0;
        blocks.process(bytes.data(), got, [&] {
            nextWanted = more ? framesLeft(kBlockFrames, got) : 0;
            nextGot = nextWanted > 0 ? input_.readRecords(nextRecord_ + got, nextWanted, ahead) : 0;
        });
        awaitWrite();
        if (!results_.error().empty())
            break;
        writing.clear();
        for (const FrameShare& piece : blocks.pieces())
            writing.push_back(&piece.outputs);
        writer.start([this, &writing] { results_.append(writing); });
        adoptLastFrame(blocks.last());
        nextRecord_ += got;
        currentFrame_ += got;
        done += got;
        if (progress && !progress(done))
            break;
        std::swap(bytes, ahead);
        wanted = nextWanted;
        got = nextGot;
    }
    awaitWrite();
    return done;
}

void CRawFile::adoptLastFrame(const FrameShare& last)
{
    std::copy(std::begin(last.words), std::end(last.words), words_);
    raw_ = last.raw;
    laserOK_ = last.work.laserOK;
    transmission_ = last.work.transmission;
    beamAttenuation_ = last.work.beamAttenuation;
    corrected_ = last.work.corrected;
    calibration_->setLastTransmission(last.work.transmission);
    *frameResult_ = last.result;
    record_ = last.record;
}

}  // namespace kavro
