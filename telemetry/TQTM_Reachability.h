#pragma once

#include "platform/system/NetworkReachability.h"
#include "platform/system/SerialQueue.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

// The HTTP client's view of the network: a status (0 not reachable, 1 reachable) and the change
// notification "kTMNetworkReachabilityChangedNotification" to its observers while the notifier
// runs. Starting the notifier posts one notification at once, so observers read the first status.
// Notifications, starts and stops run in order on the wrapper's own queue, never inside the
// caller's call. Safe from any thread.
class TQTM_Reachability final {
public:
    static constexpr const char* kChangedNotification = "kTMNetworkReachabilityChangedNotification";
    // The reachability flags the status is computed from.
    static constexpr uint32_t kFlagReachable = 2;
    static constexpr uint32_t kFlagConnectionRequired = 4;
    static constexpr uint32_t kFlagConnectionOnTraffic = 8;
    static constexpr uint32_t kFlagInterventionRequired = 16;
    static constexpr uint32_t kFlagConnectionOnDemand = 32;

    using Observer = std::function<void(TQTM_Reachability&)>;
    using ObserverId = uint64_t;

    explicit TQTM_Reachability(std::shared_ptr<sonvale::NetworkReachability> monitor);
    ~TQTM_Reachability();
    TQTM_Reachability(const TQTM_Reachability&) = delete;
    TQTM_Reachability& operator=(const TQTM_Reachability&) = delete;

    // Over the machine's shared monitor.
    static std::shared_ptr<TQTM_Reachability> reachabilityForInternetConnection();

    void startNotifier();
    void stopNotifier();
    int currentReachabilityStatus() const;
    static int networkStatusForFlags(uint32_t flags);

    ObserverId addObserver(Observer observer);
    // After it returns the observer is not running and is not called again.
    void removeObserver(ObserverId id);

private:
    void post();

    const std::shared_ptr<sonvale::NetworkReachability> monitor_;
    std::mutex mutex_;
    std::map<ObserverId, Observer> observers_;
    ObserverId nextId_ = 1;
    std::optional<sonvale::NetworkReachability::ListenerId> listener_; // on the queue only
    sonvale::SerialQueue queue_{"TQTM_Reachability"};
};
