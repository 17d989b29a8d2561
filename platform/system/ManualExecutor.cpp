#include "platform/system/ManualExecutor.h"

namespace sonvale {

void ManualExecutor::post(std::function<void()> task)
{
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
}

size_t ManualExecutor::runPending()
{
    size_t ran = 0;
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(mutex_);
            if (tasks_.empty())
                return ran;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
        ++ran;
    }
}

size_t ManualExecutor::pendingCount() const
{
    std::lock_guard lock(mutex_);
    return tasks_.size();
}

} // namespace sonvale
