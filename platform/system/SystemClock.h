#pragma once

#include "platform/system/Clock.h"
#include "platform/system/TimerScheduler.h"

namespace sonvale {

// The real wall clock; timers are measured on the steady clock, so a change of the system time
// neither hurries nor delays them.
class SystemClock final : public Clock {
public:
    TimePoint now() const override;
    TimerId callAfter(std::chrono::nanoseconds delay, std::function<void()> callback) override;
    bool cancelTimer(TimerId id) override;

private:
    TimerScheduler scheduler_;
};

} // namespace sonvale
