#pragma once
// Read-ahead in blocks: one thread reads and prepares the next blocks while the
// caller writes the current one.  The exports read a cast through this, so that
// reading and analysing overlap with the compressing and writing.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <stop_token>
#include <thread>
#include <utility>
#include <vector>

namespace kavro {

// Runs produce on a thread of its own, at most `ahead` blocks ahead of consume,
// and hands the blocks to consume in the order they were produced.
//   bool produce(Block& block): fills the block (a recycled one: it may hold an
//     earlier block's content); false at the end (that block is not handed on).
//   bool consume(Block& block): false stops the reading early.
// An exception of produce ends the reading: the blocks produced before it are
// still consumed, then it is rethrown here.  An exception of consume stops the
// producer and goes on to the caller.  However it ends, the producer thread has
// finished when this returns.
template <typename Block, typename Produce, typename Consume>
void readAhead(std::size_t ahead, Produce&& produce, Consume&& consume)
{
    if (ahead == 0)
        ahead = 1;
    std::mutex mutex;
    std::condition_variable_any changed;
    std::deque<Block> ready;
    std::vector<Block> spare;  // blocks consumed, kept for their memory
    bool end = false;
    std::exception_ptr error;
    auto run = [&](std::stop_token stop) {
        try {
            for (;;) {
                Block block{};
                {
                    std::unique_lock lock(mutex);
                    changed.wait(lock, stop, [&] { return ready.size() < ahead; });
                    if (stop.stop_requested())
                        return;
                    if (!spare.empty()) {
                        block = std::move(spare.back());
                        spare.pop_back();
                    }
                }
                const bool more = produce(block);
                std::lock_guard lock(mutex);
                if (!more || stop.stop_requested()) {
                    end = true;
                    changed.notify_all();
                    return;
                }
                ready.push_back(std::move(block));
                changed.notify_all();
            }
        } catch (...) {
            std::lock_guard lock(mutex);
            error = std::current_exception();
            end = true;
            changed.notify_all();
        }
    };
    // Declared after everything it uses: however the consuming ends, the producer
    // is asked to stop and waited for before those go.
    std::jthread producer(run);
    for (;;) {
        Block block;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return end || !ready.empty(); });
            if (ready.empty()) {
                if (error)
                    std::rethrow_exception(error);
                return;
            }
            block = std::move(ready.front());
            ready.pop_front();
        }
        changed.notify_all();
        if (!consume(block))
            return;  // the producer is stopped and joined as producer goes
        std::lock_guard lock(mutex);
        spare.push_back(std::move(block));
    }
}

}  // namespace kavro
