#include "acquisition/FrameBlock.h"

#include "acquisition/RawRecordFile.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <thread>
#include <vector>

namespace kavro {
namespace {

// One thread's share [first, end) of the block.
void processShare(const unsigned char* records, int first, int end, const FrameBlockJob& job,
                  FrameBlockResult& share)
{
    for (int n = first; n < end; ++n) {
        decodeRawRecord(records + static_cast<std::size_t>(n) * kRawRecordBytes, share.words);
        rawValuesOfWords(share.words, job.multiScan, share.raw.data());
        // The laser test takes the word as stored; the raw values are divided already.
        job.processor.correct(share.raw.data(), share.words[kLaserPowerIndex], false, share.work, share.result);
        job.processor.invert(share.work, share.result);
        share.record = buildOutputRecord(share.result);
        job.format(share.record, share.words, share.outputs);
    }
}

}  // namespace

FrameBlockResult processFrameBlock(const unsigned char* records, int count, int threads, const FrameBlockJob& job)
{
    const int shares = std::clamp(threads, 1, std::max(count, 1));
    std::vector<FrameBlockResult> results(static_cast<std::size_t>(shares));
    for (int t = 0; t < shares; ++t) {
        results[static_cast<std::size_t>(t)].result = job.start;
        // A frame without statistics leaves the total volume as the frame before set
        // it; the shares after the first cannot know it yet and start without one.
        if (t > 0)
            results[static_cast<std::size_t>(t)].result.setTotalVolume(std::numeric_limits<double>::quiet_NaN());
    }
    auto bounds = [&](int t) { return static_cast<int>(static_cast<long long>(count) * t / shares); };

    std::vector<std::exception_ptr> errors(static_cast<std::size_t>(shares));
    auto run = [&](int t) {
        try {
            processShare(records, bounds(t), bounds(t + 1), job, results[static_cast<std::size_t>(t)]);
        } catch (...) {
            errors[static_cast<std::size_t>(t)] = std::current_exception();
        }
    };
    std::vector<std::thread> helpers;
    for (int t = 1; t < shares; ++t)
        helpers.emplace_back(run, t);
    run(0);
    for (std::thread& helper : helpers)
        helper.join();
    for (const std::exception_ptr& error : errors)
        if (error)
            std::rethrow_exception(error);

    FrameBlockResult joined = std::move(results.back());
    std::size_t psd = 0, asc = 0, log = 0;
    for (const FrameBlockResult& r : results) {
        psd += r.outputs.psd.size();
        asc += r.outputs.asc.size();
        log += r.outputs.log.size();
    }
    FrameOutputs outputs;
    outputs.psd.reserve(psd);
    outputs.asc.reserve(asc);
    outputs.log.reserve(log);
    double total = job.start.totalVolume();
    for (int t = 0; t < shares; ++t) {
        const FrameBlockResult& r = t + 1 < shares ? results[static_cast<std::size_t>(t)] : joined;
        outputs.psd += r.outputs.psd;
        outputs.asc += r.outputs.asc;
        outputs.log += r.outputs.log;
        if (!std::isnan(r.result.totalVolume()))
            total = r.result.totalVolume();
    }
    joined.outputs = std::move(outputs);
    joined.result.setTotalVolume(total);
    return joined;
}

}  // namespace kavro
