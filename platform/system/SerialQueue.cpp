#include "platform/system/SerialQueue.h"

#include <memory>
#include <pthread.h>

namespace sonvale {

SerialQueue::SerialQueue(std::string label) : label_(std::move(label))
{
    worker_ = std::thread([this] { run(); });
    // Thread names are limited to 15 bytes; the tail of a reverse-DNS label is the telling part.
    const std::string name = label_.size() > 15 ? label_.substr(label_.size() - 15) : label_;
    ::pthread_setname_np(worker_.native_handle(), name.c_str());
}

SerialQueue::~SerialQueue()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    worker_.join();
}

void SerialQueue::post(std::function<void()> task)
{
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
}

void SerialQueue::sync(const std::function<void()>& task)
{
    if (isCurrent()) {
        task();
        return;
    }
    std::mutex doneMutex;
    std::condition_variable doneSignal;
    bool done = false;
    post([&] {
        task();
        std::lock_guard lock(doneMutex);
        done = true;
        doneSignal.notify_one();
    });
    std::unique_lock lock(doneMutex);
    doneSignal.wait(lock, [&] { return done; });
}

bool SerialQueue::syncWithTimeout(std::chrono::nanoseconds timeout, std::function<void()> task)
{
    // The closure may outlive this call, so the completion flag is shared with it.
    struct Completion {
        std::mutex mutex;
        std::condition_variable signal;
        bool done = false;
    };
    auto completion = std::make_shared<Completion>();
    post([completion, task = std::move(task)] {
        task();
        std::lock_guard lock(completion->mutex);
        completion->done = true;
        completion->signal.notify_one();
    });
    std::unique_lock lock(completion->mutex);
    return completion->signal.wait_for(lock, timeout, [&] { return completion->done; });
}

bool SerialQueue::isCurrent() const
{
    return std::this_thread::get_id() == worker_.get_id();
}

void SerialQueue::run()
{
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
            if (tasks_.empty())
                return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
}

} // namespace sonvale
