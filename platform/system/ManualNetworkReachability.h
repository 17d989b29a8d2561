#pragma once

#include "platform/system/NetworkReachability.h"

#include <map>
#include <mutex>

namespace sonvale {

// Reachability that the owner sets by hand, for tests and tools: setStatus() calls the listeners
// on the calling thread. Starts reachable.
class ManualNetworkReachability final : public NetworkReachability {
public:
    Status currentStatus() const override;
    ListenerId addListener(Listener listener) override;
    void removeListener(ListenerId id) override;

    void setStatus(Status status);
    size_t listenerCount() const;

private:
    mutable std::mutex mutex_;
    std::recursive_mutex callMutex_; // held while listeners run
    Status status_ = Status::Reachable;
    std::map<ListenerId, Listener> listeners_;
    ListenerId nextId_ = 1;
};

} // namespace sonvale
