#pragma once

#include "platform/system/Clock.h"
#include "platform/system/TimerQueue.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace sonvale {

// One thread that fires one-shot timers at their due time on the steady clock, earliest first.
// Callbacks run on that thread one at a time, so they should be short. Destruction drops pending
// timers and joins the thread.
class TimerScheduler final {
public:
    TimerScheduler();
    ~TimerScheduler();
    TimerScheduler(const TimerScheduler&) = delete;
    TimerScheduler& operator=(const TimerScheduler&) = delete;

    Clock::TimerId callAfter(std::chrono::nanoseconds delay, std::function<void()> callback);
    bool cancel(Clock::TimerId id);

private:
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    detail::TimerQueue<std::chrono::steady_clock::time_point> timers_;
    bool stopping_ = false;
    std::thread worker_;
};

} // namespace sonvale
