#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace sonvale {

// Wall-clock time as the telemetry client stores it (nanosecond resolution).
using TimePoint = std::chrono::system_clock::time_point;

// The time and one-shot timers, injected wherever a Qt-free library reads the time, so that tests
// can run on a FakeClock. Safe from any thread.
class Clock {
public:
    using TimerId = uint64_t;

    virtual ~Clock() = default;

    virtual TimePoint now() const = 0;

    // Calls `callback` once, `delay` from now, on a thread of the clock's choosing; callbacks
    // should hand real work to their own queue. Answers an id for cancelTimer().
    virtual TimerId callAfter(std::chrono::nanoseconds delay, std::function<void()> callback) = 0;

    // Answers whether the timer was still pending; a cancelled timer never fires. A callback that
    // is already running is not waited for.
    virtual bool cancelTimer(TimerId id) = 0;
};

// The real clock, shared by the process; its timers run on one timer thread.
Clock& systemClock();

} // namespace sonvale
