#include "platform/system/TimerScheduler.h"

namespace sonvale {

TimerScheduler::TimerScheduler() : worker_([this] { run(); }) {}

TimerScheduler::~TimerScheduler()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    worker_.join();
}

Clock::TimerId TimerScheduler::callAfter(std::chrono::nanoseconds delay,
                                         std::function<void()> callback)
{
    std::lock_guard lock(mutex_);
    const Clock::TimerId id = nextId_++;
    timers_.emplace(Due{std::chrono::steady_clock::now() + delay, id}, std::move(callback));
    wake_.notify_one();
    return id;
}

bool TimerScheduler::cancel(Clock::TimerId id)
{
    std::lock_guard lock(mutex_);
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->first.second == id) {
            timers_.erase(it);
            return true;
        }
    }
    return false;
}

void TimerScheduler::run()
{
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (timers_.empty()) {
            wake_.wait(lock);
            continue;
        }
        const auto due = timers_.begin()->first.first;
        if (std::chrono::steady_clock::now() < due) {
            wake_.wait_until(lock, due);
            continue;
        }
        auto callback = std::move(timers_.begin()->second);
        timers_.erase(timers_.begin());
        lock.unlock();
        callback();
        lock.lock();
    }
}

} // namespace sonvale
