#pragma once

#include <memory>
#include <mutex>
#include <vector>

class TQTMChannelDelegate;

// The weakly held delegates of a channel. Callers take a snapshot and call the delegates outside
// the lock, so a delegate may add or remove delegates while it is called. Safe from any thread.
class TQTMChannelDelegateTable final {
public:
    void add(const std::shared_ptr<TQTMChannelDelegate>& delegate);
    void remove(const std::shared_ptr<TQTMChannelDelegate>& delegate);
    // The delegates still alive, in the order they were added.
    std::vector<std::shared_ptr<TQTMChannelDelegate>> snapshot() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::weak_ptr<TQTMChannelDelegate>> delegates_;
};
