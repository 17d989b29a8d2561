#include "telemetry/TQTMDispatcherUtil.h"

#include "platform/system/Executor.h"
#include "platform/system/SerialQueue.h"

#include <chrono>
#include <mutex>

namespace {

std::mutex executorMutex;
std::shared_ptr<sonvale::MainThreadExecutor> mainThreadExecutor;

sonvale::Executor& fallbackMainQueue()
{
    // Never destroyed: work may be posted while the process exits.
    static sonvale::SerialQueue* const queue =
        new sonvale::SerialQueue("com.telquor.telemetry.mainQueue");
    return *queue;
}

} // namespace

void TQTMDispatcherUtil::setMainThreadExecutor(
    std::shared_ptr<sonvale::MainThreadExecutor> executor)
{
    std::lock_guard lock(executorMutex);
    mainThreadExecutor = std::move(executor);
}

void TQTMDispatcherUtil::performBlockOnMainThread(std::function<void()> block)
{
    std::shared_ptr<sonvale::MainThreadExecutor> executor;
    {
        std::lock_guard lock(executorMutex);
        executor = mainThreadExecutor;
    }
    auto run = [block = std::move(block)] { runBlock(block); };
    if (executor)
        executor->post(std::move(run));
    else
        fallbackMainQueue().post(std::move(run));
}

void TQTMDispatcherUtil::runBlock(const std::function<void()>& block)
{
    if (block)
        block();
}

void TQTMDispatcherUtil::dispatchSyncWithTimeoutOnQueueWithBlock(double timeoutSeconds,
                                                                 sonvale::SerialQueue& queue,
                                                                 std::function<void()> block)
{
    const auto timeout = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::duration<double>(timeoutSeconds));
    (void)queue.syncWithTimeout(timeout, std::move(block));
}
