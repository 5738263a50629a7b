#include "acquisition/FrameBlock.h"

#include "acquisition/RawRecordFile.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kavro {
namespace {

// Pieces of a block per thread when several threads share it.
constexpr int kPiecesPerThread = 64;

// One thread's share [first, end) of the block.
void processShare(const unsigned char* records, int first, int end, const FrameBlockJob& job, FrameShare& share)
{
    for (int n = first; n < end; ++n) {
        const RawWords words = decodeRawRecord(records + static_cast<std::size_t>(n) * kRawRecordBytes);
        std::copy(words.begin(), words.end(), share.words);
        processFrameWords(job.processor, job.multiScan, share);
        job.format(share.record, share.words, share.outputs);
    }
}

void clearKeepingMemory(FrameOutputs& out)
{
    out.psd.clear();
    out.asc.clear();
    out.log.clear();
}

}  // namespace

void processFrameWords(const FrameProcessor& processor, bool multiScan, FrameShare& share)
{
    rawValuesOfWords(share.words, multiScan, share.raw.data());
    // The laser test takes the word as stored; the raw values are divided already.
    processor.correct(share.raw.data(), share.words[kLaserPowerIndex], false, share.work, share.result);
    processor.invert(share.work, share.result);
    share.record = buildOutputRecord(share.result);
}

void joinOutputs(const std::vector<FrameShare>& pieces, FrameOutputs& out)
{
    clearKeepingMemory(out);
    std::size_t psd = 0, asc = 0, log = 0;
    for (const FrameShare& piece : pieces) {
        psd += piece.outputs.psd.size();
        asc += piece.outputs.asc.size();
        log += piece.outputs.log.size();
    }
    out.psd.reserve(psd);
    out.asc.reserve(asc);
    out.log.reserve(log);
    for (const FrameShare& piece : pieces) {
        out.psd += piece.outputs.psd;
        out.asc += piece.outputs.asc;
        out.log += piece.outputs.log;
    }
}

BackgroundTask::BackgroundTask() : thread_([this] { loop(); }) {}

BackgroundTask::~BackgroundTask()
{
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !running_; });
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void BackgroundTask::loop()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || running_; });
        if (stopping_)
            return;
        std::function<void()> task = std::move(task_);
        lock.unlock();
        std::exception_ptr error;
        try {
            task();
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        error_ = error;
        running_ = false;
        changed_.notify_all();
    }
}

void BackgroundTask::start(std::function<void()> task)
{
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !running_; });
        if (error_) {
            std::exception_ptr error;
            std::swap(error, error_);
            std::rethrow_exception(error);
        }
        task_ = std::move(task);
        running_ = true;
    }
    changed_.notify_all();
}

void BackgroundTask::wait()
{
    std::exception_ptr error;
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !running_; });
        std::swap(error, error_);
    }
    if (error)
        std::rethrow_exception(error);
}

FrameBlockProcessor::FrameBlockProcessor(FrameBlockJob job, int threads, const CFrameResult& start)
    : job_(std::move(job)), threads_(std::max(threads, 1))
{
    last_.result = start;
    helpers_.reserve(static_cast<std::size_t>(threads_ - 1));
    for (int t = 1; t < threads_; ++t)
        helpers_.emplace_back([this] { helperLoop(); });
}

FrameBlockProcessor::~FrameBlockProcessor()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& helper : helpers_)
        helper.join();
}

void FrameBlockProcessor::helperLoop()
{
    long long seen = 0;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || block_ != seen; });
            if (stopping_)
                return;
            seen = block_;
        }
        takePieces();
        std::lock_guard lock(mutex_);
        if (--busy_ == 0)
            idle_.notify_one();
    }
}

void FrameBlockProcessor::takePieces()
{
    std::vector<FrameShare>& shares = sets_[current_];
    auto bounds = [&](int p) { return static_cast<int>(static_cast<long long>(count_) * p / pieceCount_); };
    for (int p = nextPiece_++; p < pieceCount_; p = nextPiece_++) {
        try {
            processShare(records_, bounds(p), bounds(p + 1), job_, shares[static_cast<std::size_t>(p)]);
        } catch (...) {
            errors_[static_cast<std::size_t>(p)] = std::current_exception();
        }
    }
}

void FrameBlockProcessor::process(const unsigned char* records, int count, const std::function<void()>& meanwhile)
{
    // The other set: the pieces of the block before stay as they are.
    current_ = 1 - current_;
    std::vector<FrameShare>& shares = sets_[current_];
    if (count <= 0) {
        shares.clear();
        if (meanwhile)
            meanwhile();
        return;
    }
    // More pieces than threads, taken one after another by whichever thread is
    // free: frames without laser light cost almost nothing and lie unevenly, so two
    // fixed halves leave one thread idle while the other still inverts.
    const int pieces = threads_ == 1 ? 1 : std::clamp(threads_ * kPiecesPerThread, 1, count);
    shares.resize(static_cast<std::size_t>(pieces));
    for (int p = 0; p < pieces; ++p) {
        FrameShare& share = shares[static_cast<std::size_t>(p)];
        clearKeepingMemory(share.outputs);
        share.result = last_.result;
        // A frame without statistics keeps the total volume the frame before it
        // left; the pieces after the first cannot know it yet and start without one.
        if (p > 0)
            share.result.setTotalVolume(std::numeric_limits<double>::quiet_NaN());
    }
    errors_.assign(static_cast<std::size_t>(pieces), nullptr);
    records_ = records;
    count_ = count;
    pieceCount_ = pieces;
    nextPiece_ = 0;
    if (!helpers_.empty()) {
        {
            std::lock_guard lock(mutex_);
            ++block_;
            busy_ = static_cast<int>(helpers_.size());
        }
        wake_.notify_all();
    }
    takePieces();
    std::exception_ptr meanwhileError;
    if (meanwhile) {
        try {
            meanwhile();
        } catch (...) {
            meanwhileError = std::current_exception();
        }
    }
    if (!helpers_.empty()) {
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [&] { return busy_ == 0; });
    }
    for (const std::exception_ptr& error : errors_)
        if (error)
            std::rethrow_exception(error);
    if (meanwhileError)
        std::rethrow_exception(meanwhileError);

    double total = last_.result.totalVolume();
    for (const FrameShare& share : shares)
        if (!std::isnan(share.result.totalVolume()))
            total = share.result.totalVolume();
    const FrameShare& end = shares.back();
    std::copy(std::begin(end.words), std::end(end.words), last_.words);
    last_.raw = end.raw;
    last_.work = end.work;
    last_.result = end.result;
    last_.result.setTotalVolume(total);
    last_.record = end.record;
}

}  // namespace kavro
