#include "acquisition/RawCastScan.h"

#include "acquisition/CRawFile.h"
#include "core/Settings.h"
#include "resources/AcquisitionTexts.h"

#include <algorithm>
#include <exception>

namespace kavro {
namespace {

// Frames processed between two hand-overs to the window.
constexpr int kBatchFrames = 256;

}  // namespace

RawCastScan::RawCastScan(const CRawFile& source)
    : RawCastScan(source.calibration(), source.auxCalibration(),
                  ProcessingOptions{source.context().settings.numIterations, source.context().settings.procOpt1},
                  source.multiScan() != 0, source.frameResult(), source.keptRecords())
{
}

RawCastScan::RawCastScan(const CInvPars& calibration, const CHKInfo& aux, ProcessingOptions options, bool multiScan,
                         const CFrameResult& start, std::vector<RawWords> records)
    : calibration_(calibration), aux_(aux), options_(options), multiScan_(multiScan), start_(start),
      records_(std::move(records))
{
}

RawCastScan::~RawCastScan()
{
    stop();
}

void RawCastScan::start()
{
    if (!thread_.joinable() && !ended_)
        thread_ = std::thread([this] { run(); });
}

void RawCastScan::stop()
{
    stopping_ = true;
    if (thread_.joinable())
        thread_.join();
    std::lock_guard lock(mutex_);
    ended_ = true;
}

void RawCastScan::run()
{
    const FrameProcessor processor(calibration_, aux_, options_);
    FrameShare share;
    share.result = start_;
    std::vector<OutputRecord> batch;
    batch.reserve(kBatchFrames);
    std::string failure;
    try {
        for (const RawWords& words : records_) {
            if (stopping_)
                break;
            std::copy(words.begin(), words.end(), share.words);
            processFrameWords(processor, multiScan_, share);
            batch.push_back(share.record);
            if (batch.size() == kBatchFrames) {
                std::lock_guard lock(mutex_);
                done_.insert(done_.end(), batch.begin(), batch.end());
                batch.clear();
            }
        }
    } catch (const std::exception& e) {
        failure = e.what();
    } catch (...) {
        failure = text::kCastScanUnknownFailure;
    }
    std::lock_guard lock(mutex_);
    done_.insert(done_.end(), batch.begin(), batch.end());
    error_ = failure;
    ended_ = true;
}

std::size_t RawCastScan::take(std::vector<OutputRecord>& out)
{
    std::lock_guard lock(mutex_);
    const std::size_t n = done_.size();
    out.insert(out.end(), done_.begin(), done_.end());
    done_.clear();
    taken_ += static_cast<long long>(n);
    return n;
}

bool RawCastScan::finished()
{
    std::lock_guard lock(mutex_);
    return ended_ && done_.empty();
}

std::string RawCastScan::error()
{
    std::lock_guard lock(mutex_);
    return error_;
}

}  // namespace kavro
