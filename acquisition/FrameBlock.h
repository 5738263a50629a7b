#pragma once
// Blocks of raw records processed by several threads at once: the threads take the
// contiguous pieces of a block in turn, each piece with its own copy of the frame
// result and its own output buffers.  The threads live as long as the processor and
// wait between blocks; the pieces of one block are kept while the next block fills
// another set, so that one block can be written while the next one is processed.
// The buffers live from block to block, so a long run does not keep asking the
// system for fresh memory.
#include "core/CRawSource.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kavro {

struct FrameBlockJob {
    const FrameProcessor& processor;
    bool multiScan;
    // Appends one frame's .psd record, .asc line and .log line (safe from several threads).
    std::function<void(const OutputRecord&, const std::uint16_t*, FrameOutputs&)> format;
};

// One piece of a block: its outputs, and the state its last frame left.  On a cache
// line of its own, so that two threads working on neighbouring pieces do not keep
// taking the line from each other.
struct alignas(64) FrameShare {
    FrameOutputs outputs;
    std::uint16_t words[kFrameValues] = {};
    std::array<double, kFrameValues> raw{};
    FrameWork work;
    CFrameResult result;
    OutputRecord record{};
};

// One frame through the processing read next frame gives it: share.words (as
// stored, in host order) into its raw values, work, result and .psd record.  The
// result carries from the frame before what a frame without statistics keeps.
void processFrameWords(const FrameProcessor& processor, bool multiScan, FrameShare& share);

// The records and lines of the pieces, in frame order, into out (emptied first, its
// memory kept).
void joinOutputs(const std::vector<FrameShare>& pieces, FrameOutputs& out);

// One thread that runs one task at a time in the background, kept from task to task
// (starting a thread for every block costs more than the block's write).
class BackgroundTask {
public:
    BackgroundTask();
    // Waits for the task running, if any, then ends the thread.
    ~BackgroundTask();
    BackgroundTask(const BackgroundTask&) = delete;
    BackgroundTask& operator=(const BackgroundTask&) = delete;

    // Waits for the task before, then hands task to the thread; when the task before
    // threw, its exception is thrown here instead and task is not started.
    void start(std::function<void()> task);
    // Waits until the task handed over last is done; an exception it threw is thrown here.
    void wait();

private:
    void loop();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> task_;
    bool running_ = false;
    bool stopping_ = false;
    std::exception_ptr error_;
    std::thread thread_;
};

class FrameBlockProcessor {
public:
    // start: the frame result before the first block (diameters, volume conversion,
    // the total volume a frame without statistics keeps).
    FrameBlockProcessor(FrameBlockJob job, int threads, const CFrameResult& start);
    ~FrameBlockProcessor();
    FrameBlockProcessor(const FrameBlockProcessor&) = delete;
    FrameBlockProcessor& operator=(const FrameBlockProcessor&) = delete;

    // Processes count records (80 bytes each, as stored).  meanwhile, when given, is
    // run by the calling thread once no piece is left for it to take, while the other
    // threads finish theirs (reading the next block, say).  An exception of a piece or
    // of meanwhile is thrown again once every thread is done with the block.
    void process(const unsigned char* records, int count, const std::function<void()>& meanwhile = {});
    // The pieces of the block processed last, in frame order.  They stay untouched
    // while the next block is processed (which fills the other set) and are reused by
    // the block after that.
    const std::vector<FrameShare>& pieces() const { return sets_[current_]; }
    // Hands over the block's records and lines in frame order (joined into out).
    void takeOutputs(FrameOutputs& out) const { joinOutputs(pieces(), out); }
    // The state the block's last frame left, as reading the frames one by one would
    // have left it (total volume included).
    const FrameShare& last() const { return last_; }

private:
    void helperLoop();
    // Takes pieces of the current block until none is left.
    void takePieces();

    FrameBlockJob job_;
    int threads_;
    std::vector<FrameShare> sets_[2];
    int current_ = 0;
    FrameShare last_;

    // The block being processed, shared with the helper threads.
    const unsigned char* records_ = nullptr;
    int count_ = 0;
    int pieceCount_ = 0;
    std::atomic<int> nextPiece_{0};
    std::vector<std::exception_ptr> errors_;

    std::mutex mutex_;
    std::condition_variable wake_;  // a new block, or the end
    std::condition_variable idle_;  // every helper done with the block
    long long block_ = 0;           // blocks handed to the helpers so far
    int busy_ = 0;                  // helpers still on the current block
    bool stopping_ = false;
    std::vector<std::thread> helpers_;  // threads - 1 of them; the caller is the other
};

}  // namespace kavro
