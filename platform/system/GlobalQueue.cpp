#include "platform/system/GlobalQueue.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace sonvale {
namespace {

class ThreadPool final : public Executor {
public:
    explicit ThreadPool(unsigned threadCount)
    {
        for (unsigned i = 0; i < threadCount; ++i)
            workers_.emplace_back([this] { run(); });
    }

    void post(std::function<void()> task) override
    {
        {
            std::lock_guard lock(mutex_);
            tasks_.push_back(std::move(task));
        }
        wake_.notify_one();
    }

private:
    void run()
    {
        for (;;) {
            std::function<void()> task;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return !tasks_.empty(); });
                task = std::move(tasks_.front());
                tasks_.pop_front();
            }
            task();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    std::vector<std::thread> workers_;
};

} // namespace

Executor& globalQueue()
{
    // Never destroyed: closures may still be running at exit, and joining them from a static
    // destructor could wait on work that itself waits for the exiting thread.
    static ThreadPool* const pool = new ThreadPool(4);
    return *pool;
}

} // namespace sonvale
