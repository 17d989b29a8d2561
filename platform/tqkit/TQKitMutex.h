#pragma once

#include <mutex>

// The lock each source file keeps for its shared state (one static TQKitMutex per file). Not
// recursive. It meets the standard Lockable requirements, so std::lock_guard and std::unique_lock
// work with it.
class TQKitMutex final {
public:
    TQKitMutex() = default;
    TQKitMutex(const TQKitMutex&) = delete;
    TQKitMutex& operator=(const TQKitMutex&) = delete;

    void lock() { mutex_.lock(); }
    void unlock() { mutex_.unlock(); }
    bool try_lock() { return mutex_.try_lock(); }

private:
    std::mutex mutex_;
};
