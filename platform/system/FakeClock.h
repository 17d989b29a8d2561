#pragma once

#include "platform/system/Clock.h"
#include "platform/system/TimerQueue.h"

#include <mutex>

namespace sonvale {

// A clock for tests: time stands still until advance() moves it, and advance() fires every timer
// that falls due on the way, on the calling thread, in due order, each with now() at its due time.
// Timers set by a callback fire in the same advance() when they fall due within it.
class FakeClock final : public Clock {
public:
    explicit FakeClock(TimePoint start = TimePoint(std::chrono::seconds(1'600'000'000)));

    TimePoint now() const override;
    TimerId callAfter(std::chrono::nanoseconds delay, std::function<void()> callback) override;
    bool cancelTimer(TimerId id) override;

    void advance(std::chrono::nanoseconds by);
    void setNow(TimePoint time); // moves time without firing timers (a launch at another time)
    size_t pendingTimerCount() const;

private:
    mutable std::mutex mutex_;
    TimePoint now_;
    detail::TimerQueue<TimePoint> timers_;
};

} // namespace sonvale
