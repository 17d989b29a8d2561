#pragma once

#include "platform/system/Executor.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace sonvale {

// One worker thread that runs posted closures one at a time, in the order they were posted. The
// owner keeps the queue alive while it posts; destruction runs what is still queued and joins the
// thread, so it must not happen on the queue's own thread.
class SerialQueue final : public Executor {
public:
    explicit SerialQueue(std::string label);
    ~SerialQueue() override;
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    const std::string& label() const { return label_; }

    void post(std::function<void()> task) override;

    // Runs the closure on the queue and waits for it. Called on the queue itself, it runs the
    // closure at once instead of waiting for itself.
    void sync(const std::function<void()>& task);

    // Posts the closure and waits at most `timeout` for it to finish; the closure still runs
    // later when the wait gives up. Answers whether it finished in time.
    bool syncWithTimeout(std::chrono::nanoseconds timeout, std::function<void()> task);

    // True on the queue's own thread.
    bool isCurrent() const;

private:
    void run();

    const std::string label_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    bool stopping_ = false;
    std::thread worker_;
};

} // namespace sonvale
