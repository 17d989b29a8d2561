#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace sonvale {
class SerialQueue;
}

// The channel group's serial queue as the units reach it. The group owns the queue and closes it
// when it goes: the queue then runs what was posted before and joins its thread on the closing
// thread, and later posts (a timer or an HTTP answer arriving late) are dropped, so a unit that
// outlives its group never touches a dead queue. Safe from any thread.
class TQTMLogsDispatchQueue final {
public:
    explicit TQTMLogsDispatchQueue(const std::string& label);
    ~TQTMLogsDispatchQueue();
    TQTMLogsDispatchQueue(const TQTMLogsDispatchQueue&) = delete;
    TQTMLogsDispatchQueue& operator=(const TQTMLogsDispatchQueue&) = delete;

    void post(std::function<void()> task);
    // Runs the task on the queue and waits for it (at once when called on the queue); nothing
    // once closed.
    void sync(const std::function<void()>& task);
    bool isCurrent() const;
    // Drains and stops the queue.
    void close();

private:
    mutable std::mutex mutex_;
    std::unique_ptr<sonvale::SerialQueue> queue_;
};
