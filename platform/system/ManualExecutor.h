#pragma once

#include "platform/system/Executor.h"

#include <deque>
#include <mutex>

namespace sonvale {

// A main-thread executor for tests and tools without an event loop: closures wait until the owner
// pumps them with runPending() on the thread that plays the main thread.
class ManualExecutor final : public MainThreadExecutor {
public:
    void post(std::function<void()> task) override;

    // Runs the closures posted so far, and those they post in turn; answers how many ran.
    size_t runPending();
    size_t pendingCount() const;

private:
    mutable std::mutex mutex_;
    std::deque<std::function<void()>> tasks_;
};

} // namespace sonvale
