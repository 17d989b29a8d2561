#include "platform/system/TimerScheduler.h"

namespace sonvale {

TimerScheduler::TimerScheduler() : worker_([this] { run(); })
{}

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
    const Clock::TimerId id =
        timers_.add(std::chrono::steady_clock::now() + delay, std::move(callback));
    wake_.notify_one();
    return id;
}

bool TimerScheduler::cancel(Clock::TimerId id)
{
    std::lock_guard lock(mutex_);
    return timers_.cancel(id);
}

void TimerScheduler::run()
{
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (timers_.empty()) {
            wake_.wait(lock);
            continue;
        }
        const auto due = timers_.nextDue();
        if (std::chrono::steady_clock::now() < due) {
            wake_.wait_until(lock, due);
            continue;
        }
        auto callback = timers_.takeNext();
        lock.unlock();
        callback();
        lock.lock();
    }
}

} // namespace sonvale
