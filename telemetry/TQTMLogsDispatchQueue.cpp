#include "telemetry/TQTMLogsDispatchQueue.h"

#include "platform/system/SerialQueue.h"

#include <thread>

TQTMLogsDispatchQueue::TQTMLogsDispatchQueue(const std::string& label)
    : queue_(std::make_unique<sonvale::SerialQueue>(label))
{
}

TQTMLogsDispatchQueue::~TQTMLogsDispatchQueue() { close(); }

void TQTMLogsDispatchQueue::post(std::function<void()> task)
{
    std::lock_guard lock(mutex_);
    if (queue_)
        queue_->post(std::move(task));
}

void TQTMLogsDispatchQueue::sync(const std::function<void()>& task)
{
    sonvale::SerialQueue* queue = nullptr;
    {
        std::lock_guard lock(mutex_);
        queue = queue_.get();
    }
    // The queue lives until close(), which no task on it may call, so it outlives this wait.
    if (queue)
        queue->sync(task);
}

bool TQTMLogsDispatchQueue::isCurrent() const
{
    std::lock_guard lock(mutex_);
    return queue_ && queue_->isCurrent();
}

void TQTMLogsDispatchQueue::close()
{
    std::unique_ptr<sonvale::SerialQueue> closing;
    {
        std::lock_guard lock(mutex_);
        closing = std::move(queue_);
    }
    if (!closing)
        return;
    // A queue cannot join its own thread: closed from one of its tasks (the last owner let go
    // there), it drains and stops on a helper thread instead.
    if (closing->isCurrent())
        std::thread([queue = std::move(closing)]() mutable { queue.reset(); }).detach();
    else
        closing.reset(); // runs what is queued; its own posts find the queue closed
}
