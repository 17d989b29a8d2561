#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace sonvale {

// Whether this machine can reach the internet, and a call when that may have changed: the
// stand-in for the platform's reachability service. "Unknown" (the system cannot be asked) counts
// as reachable, so a failing monitor never silences the network.
//
// Listeners run on the monitor's own thread, one call at a time, after each change of the
// machine's links, addresses or routes (more calls than real changes are possible: read
// currentStatus() in the call). Safe from any thread.
class NetworkReachability {
public:
    enum class Status { NotReachable = 0, Reachable = 1 };
    using Listener = std::function<void()>;
    using ListenerId = uint64_t;

    virtual ~NetworkReachability() = default;

    virtual Status currentStatus() const = 0;
    virtual ListenerId addListener(Listener listener) = 0;
    // After it returns, the listener is not running and will not be called again.
    virtual void removeListener(ListenerId id) = 0;

    // The machine's monitor, shared by everyone in the process while someone holds it.
    static std::shared_ptr<NetworkReachability> internet();
};

} // namespace sonvale
