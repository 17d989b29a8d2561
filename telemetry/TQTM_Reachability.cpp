#include "telemetry/TQTM_Reachability.h"

TQTM_Reachability::TQTM_Reachability(std::shared_ptr<sonvale::NetworkReachability> monitor)
    : monitor_(std::move(monitor))
{}

TQTM_Reachability::~TQTM_Reachability()
{
    queue_.sync([this] {
        if (listener_)
            monitor_->removeListener(*listener_);
        listener_.reset();
    });
}

std::shared_ptr<TQTM_Reachability> TQTM_Reachability::reachabilityForInternetConnection()
{
    return std::make_shared<TQTM_Reachability>(sonvale::NetworkReachability::internet());
}

void TQTM_Reachability::startNotifier()
{
    queue_.post([this] {
        if (!listener_)
            listener_ = monitor_->addListener([this] { queue_.post([this] { post(); }); });
        post();
    });
}

void TQTM_Reachability::stopNotifier()
{
    queue_.post([this] {
        if (listener_)
            monitor_->removeListener(*listener_);
        listener_.reset();
    });
}

int TQTM_Reachability::currentReachabilityStatus() const
{
    const bool reachable =
        monitor_->currentStatus() == sonvale::NetworkReachability::Status::Reachable;
    return networkStatusForFlags(reachable ? kFlagReachable : 0);
}

int TQTM_Reachability::networkStatusForFlags(uint32_t flags)
{
    if (!(flags & kFlagReachable))
        return 0;
    if (!(flags & kFlagConnectionRequired))
        return 1;
    if ((flags & (kFlagConnectionOnTraffic | kFlagConnectionOnDemand)) &&
        !(flags & kFlagInterventionRequired))
        return 1;
    return 0;
}

TQTM_Reachability::ObserverId TQTM_Reachability::addObserver(Observer observer)
{
    std::lock_guard lock(mutex_);
    observers_[nextId_] = std::move(observer);
    return nextId_++;
}

void TQTM_Reachability::removeObserver(ObserverId id)
{
    // Observers run on the queue: waiting for it waits for a running call (from the queue
    // itself, sync runs at once).
    queue_.sync([this, id] {
        std::lock_guard lock(mutex_);
        observers_.erase(id);
    });
}

void TQTM_Reachability::post()
{
    if (!listener_)
        return; // stopped after the change was queued
    std::map<ObserverId, Observer> observers;
    {
        std::lock_guard lock(mutex_);
        observers = observers_;
    }
    for (const auto& [id, observer] : observers)
        observer(*this);
}
