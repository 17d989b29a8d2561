#include "platform/system/FakeClock.h"

namespace sonvale {

FakeClock::FakeClock(TimePoint start) : now_(start) {}

TimePoint FakeClock::now() const
{
    std::lock_guard lock(mutex_);
    return now_;
}

Clock::TimerId FakeClock::callAfter(std::chrono::nanoseconds delay, std::function<void()> callback)
{
    std::lock_guard lock(mutex_);
    const TimerId id = nextId_++;
    timers_.emplace(Due{now_ + std::chrono::duration_cast<TimePoint::duration>(delay), id},
                    std::move(callback));
    return id;
}

bool FakeClock::cancelTimer(TimerId id)
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

void FakeClock::advance(std::chrono::nanoseconds by)
{
    std::unique_lock lock(mutex_);
    const TimePoint end = now_ + std::chrono::duration_cast<TimePoint::duration>(by);
    while (!timers_.empty() && timers_.begin()->first.first <= end) {
        now_ = std::max(now_, timers_.begin()->first.first);
        auto callback = std::move(timers_.begin()->second);
        timers_.erase(timers_.begin());
        lock.unlock();
        callback();
        lock.lock();
    }
    now_ = end;
}

void FakeClock::setNow(TimePoint time)
{
    std::lock_guard lock(mutex_);
    now_ = time;
}

size_t FakeClock::pendingTimerCount() const
{
    std::lock_guard lock(mutex_);
    return timers_.size();
}

} // namespace sonvale
