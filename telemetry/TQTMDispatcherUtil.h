#pragma once

#include <functional>
#include <memory>

namespace sonvale {
class MainThreadExecutor;
class SerialQueue;
} // namespace sonvale

// Hands work to the application's main thread and waits for queues with a time limit.
class TQTMDispatcherUtil final {
public:
    TQTMDispatcherUtil() = delete;

    // The application installs its main-thread executor at start-up. Until then (and in programs
    // without one) main-thread work runs on one serial stand-in queue, still one closure at a time.
    static void setMainThreadExecutor(std::shared_ptr<sonvale::MainThreadExecutor> executor);

    // Runs the block later on the main thread, never before returning, also when called there.
    static void performBlockOnMainThread(std::function<void()> block);
    static void runBlock(const std::function<void()>& block);

    // Runs the block on the queue and waits at most `timeoutSeconds` for it; the caller cannot
    // tell a time-out from completion.
    static void dispatchSyncWithTimeoutOnQueueWithBlock(double timeoutSeconds,
                                                        sonvale::SerialQueue& queue,
                                                        std::function<void()> block);
};
