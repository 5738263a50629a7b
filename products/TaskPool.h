#pragma once
// Threads kept for the whole run that take short tasks in turn (the compressing of
// a block's columns).  Starting a thread for every task costs a new stack and, with
// glibc, often a fresh memory arena whose pages are faulted in again each time.
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace kavro {

class TaskPool {
public:
    explicit TaskPool(unsigned threads);
    // Waits for the tasks handed over, then ends the threads.
    ~TaskPool();
    TaskPool(const TaskPool&) = delete;
    TaskPool& operator=(const TaskPool&) = delete;

    // One pool for the program, as many threads as the processor runs at once,
    // started on first use and kept until the program ends.
    static TaskPool& shared();

    // Runs task on one of the threads; its result or exception comes through the future.
    template <class Task>
    auto submit(Task task) -> std::future<decltype(task())>
    {
        using Result = decltype(task());
        auto packaged = std::make_shared<std::packaged_task<Result()>>(std::move(task));
        std::future<Result> result = packaged->get_future();
        post([packaged] { (*packaged)(); });
        return result;
    }

private:
    void post(std::function<void()> job);
    void loop();

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace kavro
