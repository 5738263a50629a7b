// The read-ahead pipeline of the exports (order, errors, early stops) and the pool of
// threads their compressing runs on.
#include "products/BlockPipeline.h"
#include "products/TaskPool.h"

#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace kavro;

namespace {

struct PipelineCase {
    const char* name;
    int blocks;        // blocks the producer has (-1: never ends)
    std::size_t ahead;
    int failAt;        // the producer throws when asked for this block (-1: never)
    int stopAt;        // the consumer returns false on this block (-1: never)
    int throwAt;       // the consumer throws on this block (-1: never)
    int consumed;      // blocks the consumer sees, in order 0, 1, ...
    const char* error; // the message that reaches the caller; "" when none
};

}  // namespace

TEST(BlockPipeline, BlocksArriveInOrderAndEveryEndIsClean)
{
    const std::vector<PipelineCase> cases = {
        {"all blocks", 50, 2, -1, -1, -1, 50, ""},
        {"no blocks at all", 0, 2, -1, -1, -1, 0, ""},
        {"one block ahead", 17, 1, -1, -1, -1, 17, ""},
        {"zero ahead counts as one", 5, 0, -1, -1, -1, 5, ""},
        {"a read error after the blocks before it", 30, 2, 12, -1, -1, 12, "read failed at 12"},
        {"a read error on the first block", 30, 2, 0, -1, -1, 0, "read failed at 0"},
        {"the consumer stops early", 30, 2, -1, 7, -1, 8, ""},
        {"the consumer stops a producer that never ends", -1, 3, -1, 20, -1, 21, ""},
        {"the consumer fails", -1, 2, -1, -1, 4, 5, "write failed at 4"},
        {"the consumer stops before the producer's error", 30, 2, 12, 3, -1, 4, ""},
    };
    for (const PipelineCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::atomic<int> produced{0};
        std::atomic<bool> producing{false};
        std::vector<int> seen;
        std::string error;
        try {
            readAhead<std::vector<int>>(
                c.ahead,
                [&](std::vector<int>& block) {
                    producing = true;
                    const int n = produced;
                    if (n == c.failAt) {
                        producing = false;
                        throw std::runtime_error("read failed at " + std::to_string(n));
                    }
                    // A recycled block holds an earlier block's values: it is refilled.
                    block.assign(3, n);
                    const bool more = c.blocks < 0 || n < c.blocks;
                    if (more)
                        ++produced;
                    producing = false;
                    return more;
                },
                [&](std::vector<int>& block) {
                    EXPECT_EQ(block, std::vector<int>(3, block.at(0)));
                    seen.push_back(block[0]);
                    const int n = static_cast<int>(seen.size()) - 1;
                    if (n == c.throwAt)
                        throw std::runtime_error("write failed at " + std::to_string(n));
                    return n != c.stopAt;
                });
        } catch (const std::runtime_error& e) {
            error = e.what();
        }
        EXPECT_EQ(error, c.error);
        ASSERT_EQ(static_cast<int>(seen.size()), c.consumed);
        for (int i = 0; i < c.consumed; ++i)
            EXPECT_EQ(seen[static_cast<std::size_t>(i)], i);
        // Once it has returned, the producer has finished and reads no more.
        EXPECT_FALSE(producing);
        const int after = produced;
        EXPECT_LE(after, c.consumed + static_cast<int>(std::max<std::size_t>(c.ahead, 1)) + 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_EQ(produced, after);
    }
}

// The threads the compressing runs on: every task handed over runs once, a task's
// exception reaches its caller and not the thread, and the pool ends only after
// the tasks it holds.
TEST(TaskPool, EveryTaskRunsOnceAndEndsBeforeThePool)
{
    std::atomic<int> ran{0};
    std::vector<std::future<int>> results;
    std::future<int> failing;
    {
        TaskPool pool(2);
        for (int i = 0; i < 200; ++i)
            results.push_back(pool.submit([i, &ran] {
                ++ran;
                return i * i;
            }));
        failing = pool.submit([]() -> int { throw std::runtime_error("chunk too large"); });
    }
    EXPECT_EQ(ran.load(), 200);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(results[static_cast<std::size_t>(i)].get(), i * i);
    EXPECT_THROW(failing.get(), std::runtime_error);
    // The shared pool takes tasks as well, from several threads at once.
    std::vector<std::future<int>> shared;
    std::thread other([&] { shared.push_back(TaskPool::shared().submit([] { return 7; })); });
    other.join();
    shared.push_back(TaskPool::shared().submit([] { return 8; }));
    EXPECT_EQ(shared[0].get() + shared[1].get(), 15);
}
