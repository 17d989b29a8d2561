#include "platform/system/FakeClock.h"

namespace sonvale {

FakeClock::FakeClock(TimePoint start) : now_(start)
{}

TimePoint FakeClock::now() const
{
    std::lock_guard lock(mutex_);
    return now_;
}

Clock::TimerId FakeClock::callAfter(std::chrono::nanoseconds delay, std::function<void()> callback)
{
    std::lock_guard lock(mutex_);
    return timers_.add(now_ + std::chrono::duration_cast<TimePoint::duration>(delay),
                       std::move(callback));
}

bool FakeClock::cancelTimer(TimerId id)
{
    std::lock_guard lock(mutex_);
    return timers_.cancel(id);
}

void FakeClock::advance(std::chrono::nanoseconds by)
{
    std::unique_lock lock(mutex_);
    const TimePoint end = now_ + std::chrono::duration_cast<TimePoint::duration>(by);
    while (!timers_.empty() && timers_.nextDue() <= end) {
        now_ = std::max(now_, timers_.nextDue());
        auto callback = timers_.takeNext();
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
