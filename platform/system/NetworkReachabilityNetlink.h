#pragma once

#include "platform/system/NetworkReachability.h"

#include <map>
#include <mutex>
#include <thread>

namespace sonvale {

// Reachability from the kernel's routing table: reachable while a default route exists (IPv4 or
// IPv6). A route socket subscribed to link, address and route changes wakes the listeners; its
// thread starts with the first listener and ends with the object.
class NetworkReachabilityNetlink final : public NetworkReachability {
public:
    NetworkReachabilityNetlink();
    ~NetworkReachabilityNetlink() override;
    NetworkReachabilityNetlink(const NetworkReachabilityNetlink&) = delete;
    NetworkReachabilityNetlink& operator=(const NetworkReachabilityNetlink&) = delete;

    Status currentStatus() const override;
    ListenerId addListener(Listener listener) override;
    void removeListener(ListenerId id) override;

private:
    void watch();
    void notifyListeners();

    std::mutex mutex_;          // listeners_, nextId_, the thread's start
    // Held while listeners run, so that removal waits for a running call (a listener may remove
    // itself).
    std::recursive_mutex callMutex_;
    std::map<ListenerId, Listener> listeners_;
    ListenerId nextId_ = 1;
    int wakeFd_ = -1;           // eventfd that ends the watch
    std::thread watcher_;
};

} // namespace sonvale
