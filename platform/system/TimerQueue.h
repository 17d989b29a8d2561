#pragma once

#include "platform/system/Clock.h"

#include <functional>
#include <map>
#include <utility>

namespace sonvale::detail {

// Pending one-shot timers ordered by due time (then by id, so equal times keep their order).
// Not thread-safe: its owner (a scheduler or a fake clock) locks.
template <class Time>
class TimerQueue final {
public:
    Clock::TimerId add(Time due, std::function<void()> callback)
    {
        const Clock::TimerId id = nextId_++;
        timers_.emplace(std::make_pair(due, id), std::move(callback));
        return id;
    }

    bool cancel(Clock::TimerId id)
    {
        for (auto it = timers_.begin(); it != timers_.end(); ++it) {
            if (it->first.second == id) {
                timers_.erase(it);
                return true;
            }
        }
        return false;
    }

    bool empty() const { return timers_.empty(); }
    size_t size() const { return timers_.size(); }
    // The earliest due time; only when not empty.
    Time nextDue() const { return timers_.begin()->first.first; }

    // Removes the earliest timer and answers its callback; only when not empty.
    std::function<void()> takeNext()
    {
        auto callback = std::move(timers_.begin()->second);
        timers_.erase(timers_.begin());
        return callback;
    }

private:
    std::map<std::pair<Time, Clock::TimerId>, std::function<void()>> timers_;
    Clock::TimerId nextId_ = 1;
};

} // namespace sonvale::detail
