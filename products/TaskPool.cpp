#include "products/TaskPool.h"

#include <algorithm>

namespace kavro {

TaskPool::TaskPool(unsigned threads)
{
    for (unsigned i = 0; i < std::max(1u, threads); ++i)
        threads_.emplace_back([this] { loop(); });
}

TaskPool::~TaskPool()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    ready_.notify_all();
    for (std::thread& t : threads_)
        t.join();
}

TaskPool& TaskPool::shared()
{
    // Never destroyed: a thread still waiting at the program's end is simply ended
    // with it, and no task runs after main has returned.
    static TaskPool* pool = new TaskPool(std::max(2u, std::thread::hardware_concurrency()));
    return *pool;
}

void TaskPool::post(std::function<void()> job)
{
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    ready_.notify_one();
}

void TaskPool::loop()
{
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex_);
            ready_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (jobs_.empty())
                return;  // stopping, and every task handed over is done
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job();
    }
}

}  // namespace kavro
