#pragma once

#include <QString>

#include <chrono>
#include <functional>
#include <memory>

class QObject;

// Calls to run later on the owner's thread (its event loop), each cancellable by tag, all cancelled
// when this object is destroyed. An object that defers work to itself keeps one as a member, so no
// deferred call outlives it. Use it from the thread that created it only.
class TQKitDelayedCalls final {
public:
    TQKitDelayedCalls();
    ~TQKitDelayedCalls();
    TQKitDelayedCalls(const TQKitDelayedCalls&) = delete;
    TQKitDelayedCalls& operator=(const TQKitDelayedCalls&) = delete;

    // Runs `call` once after `delay`. A call may perform or cancel further calls.
    void perform(std::chrono::milliseconds delay, std::function<void()> call, const QString& tag = {});
    // Cancels the pending calls performed with `tag`.
    void cancel(const QString& tag);
    void cancelAll();
    // Calls that have not run and were not cancelled.
    int pendingCount() const;

private:
    std::unique_ptr<QObject> timers_; // one single-shot timer per pending call
};
