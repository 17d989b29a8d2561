#include "platform/system/ManualNetworkReachability.h"

namespace sonvale {

NetworkReachability::Status ManualNetworkReachability::currentStatus() const
{
    std::lock_guard lock(mutex_);
    return status_;
}

NetworkReachability::ListenerId ManualNetworkReachability::addListener(Listener listener)
{
    std::lock_guard lock(mutex_);
    listeners_[nextId_] = std::move(listener);
    return nextId_++;
}

void ManualNetworkReachability::removeListener(ListenerId id)
{
    std::lock_guard calls(callMutex_);
    std::lock_guard lock(mutex_);
    listeners_.erase(id);
}

void ManualNetworkReachability::setStatus(Status status)
{
    std::lock_guard calls(callMutex_);
    std::map<ListenerId, Listener> listeners;
    {
        std::lock_guard lock(mutex_);
        status_ = status;
        listeners = listeners_;
    }
    for (const auto& [id, listener] : listeners)
        listener();
}

size_t ManualNetworkReachability::listenerCount() const
{
    std::lock_guard lock(mutex_);
    return listeners_.size();
}

} // namespace sonvale
