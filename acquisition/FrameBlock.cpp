#include "acquisition/FrameBlock.h"

#include "acquisition/RawRecordFile.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <limits>
#include <thread>

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
        rawValuesOfWords(share.words, job.multiScan, share.raw.data());
        // The laser test takes the word as stored; the raw values are divided already.
        job.processor.correct(share.raw.data(), share.words[kLaserPowerIndex], false, share.work, share.result);
        job.processor.invert(share.work, share.result);
        share.record = buildOutputRecord(share.result);
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

FrameBlockProcessor::FrameBlockProcessor(FrameBlockJob job, int threads, const CFrameResult& start)
    : job_(std::move(job)), threads_(std::max(threads, 1))
{
    last_.result = start;
}

void FrameBlockProcessor::process(const unsigned char* records, int count)
{
    clearKeepingMemory(joined_);
    if (count <= 0)
        return;
    // More pieces than threads, taken one after another by whichever thread is
    // free: frames without laser light cost almost nothing and lie unevenly, so two
    // fixed halves leave one thread idle while the other still inverts.
    const int pieces = threads_ == 1 ? 1 : std::clamp(threads_ * kPiecesPerThread, 1, count);
    const int threads = std::min(threads_, pieces);
    shares_.resize(static_cast<std::size_t>(pieces));
    for (int p = 0; p < pieces; ++p) {
        FrameShare& share = shares_[static_cast<std::size_t>(p)];
        clearKeepingMemory(share.outputs);
        share.result = last_.result;
        // A frame without statistics keeps the total volume the frame before it
        // left; the pieces after the first cannot know it yet and start without one.
        if (p > 0)
            share.result.setTotalVolume(std::numeric_limits<double>::quiet_NaN());
    }
    auto bounds = [&](int p) { return static_cast<int>(static_cast<long long>(count) * p / pieces); };

    std::vector<std::exception_ptr> errors(static_cast<std::size_t>(pieces));
    std::atomic<int> nextPiece{0};
    auto run = [&] {
        for (int p = nextPiece++; p < pieces; p = nextPiece++) {
            try {
                processShare(records, bounds(p), bounds(p + 1), job_, shares_[static_cast<std::size_t>(p)]);
            } catch (...) {
                errors[static_cast<std::size_t>(p)] = std::current_exception();
            }
        }
    };
    std::vector<std::thread> helpers;
    for (int t = 1; t < threads; ++t)
        helpers.emplace_back(run);
    run();
    for (std::thread& helper : helpers)
        helper.join();
    for (const std::exception_ptr& error : errors)
        if (error)
            std::rethrow_exception(error);

    double total = last_.result.totalVolume();
    for (const FrameShare& share : shares_) {
        joined_.psd += share.outputs.psd;
        joined_.asc += share.outputs.asc;
        joined_.log += share.outputs.log;
        if (!std::isnan(share.result.totalVolume()))
            total = share.result.totalVolume();
    }
    const FrameShare& end = shares_.back();
    std::copy(std::begin(end.words), std::end(end.words), last_.words);
    last_.raw = end.raw;
    last_.work = end.work;
    last_.result = end.result;
    last_.result.setTotalVolume(total);
    last_.record = end.record;
}

}  // namespace kavro
