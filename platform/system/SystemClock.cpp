#include "platform/system/SystemClock.h"

namespace sonvale {

TimePoint SystemClock::now() const
{
    return std::chrono::system_clock::now();
}

Clock::TimerId SystemClock::callAfter(std::chrono::nanoseconds delay,
                                      std::function<void()> callback)
{
    return scheduler_.callAfter(delay, std::move(callback));
}

bool SystemClock::cancelTimer(TimerId id)
{
    return scheduler_.cancel(id);
}

Clock& systemClock()
{
    // Never destroyed, so timers may still be cancelled from static destructors.
    static SystemClock* const clock = new SystemClock;
    return *clock;
}

} // namespace sonvale
