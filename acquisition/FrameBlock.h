#pragma once
// A block of raw records processed by several threads at once: each thread takes a
// contiguous share of the block with its own copy of the frame result, and the
// records and lines come back joined in frame order.
#include "core/CRawSource.h"

#include <functional>

namespace kavro {

struct FrameBlockJob {
    const FrameProcessor& processor;
    bool multiScan;
    // The frame result before the block: diameters, volume conversion, total volume.
    const CFrameResult& start;
    // Appends one frame's .psd record, .asc line and .log line (safe from several threads).
    std::function<void(const OutputRecord&, const std::uint16_t*, FrameOutputs&)> format;
};

// What a block leaves behind: its outputs, and the state of its last frame as
// reading the frames one by one would leave it.
struct FrameBlockResult {
    FrameOutputs outputs;
    std::uint16_t words[kFrameValues] = {};
    std::array<double, kFrameValues> raw{};
    FrameWork work;
    CFrameResult result;
    OutputRecord record{};
};

// Processes count records (80 bytes each, as stored) with up to threads threads.
FrameBlockResult processFrameBlock(const unsigned char* records, int count, int threads, const FrameBlockJob& job);

}  // namespace kavro
