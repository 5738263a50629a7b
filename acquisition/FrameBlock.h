#pragma once
// Blocks of raw records processed by several threads at once: the threads take the
// contiguous pieces of a block in turn, each piece with its own copy of the frame
// result, and the records and lines come back joined in frame order.  The buffers live from block
// to block, so a long run does not keep asking the system for fresh memory.
#include "core/CRawSource.h"

#include <functional>
#include <vector>

namespace kavro {

struct FrameBlockJob {
    const FrameProcessor& processor;
    bool multiScan;
    // Appends one frame's .psd record, .asc line and .log line (safe from several threads).
    std::function<void(const OutputRecord&, const std::uint16_t*, FrameOutputs&)> format;
};

// One piece of a block: its outputs, and the state its last frame left.
struct FrameShare {
    FrameOutputs outputs;
    std::uint16_t words[kFrameValues] = {};
    std::array<double, kFrameValues> raw{};
    FrameWork work;
    CFrameResult result;
    OutputRecord record{};
};

class FrameBlockProcessor {
public:
    // start: the frame result before the first block (diameters, volume conversion,
    // the total volume a frame without statistics keeps).
    FrameBlockProcessor(FrameBlockJob job, int threads, const CFrameResult& start);

    // Processes count records (80 bytes each, as stored).
    void process(const unsigned char* records, int count);
    // Hands over the block's records and lines in frame order (swapped with out, so
    // both keep their memory).
    void takeOutputs(FrameOutputs& out) { std::swap(joined_, out); }
    // The state the block's last frame left, as reading the frames one by one would
    // have left it (total volume included).
    const FrameShare& last() const { return last_; }

private:
    FrameBlockJob job_;
    int threads_;
    std::vector<FrameShare> shares_;
    FrameOutputs joined_;
    FrameShare last_;
};

}  // namespace kavro
