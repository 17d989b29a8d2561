#pragma once

#include <atomic>
#include <functional>

class QObject;

// A call to the main thread that is queued at most once at a time: requests made while it waits
// are answered by the one queued run. For renders that read the latest state when they run, so
// that engine threads reporting faster than the window can draw never build a backlog of them.
// Requests from the main thread queue too. Lives as long as `context` (make it a member of it);
// a run still queued when `context` dies is dropped.
class TQKitCoalescedCall final {
public:
    TQKitCoalescedCall(QObject* context, std::function<void()> call);
    TQKitCoalescedCall(const TQKitCoalescedCall&) = delete;
    TQKitCoalescedCall& operator=(const TQKitCoalescedCall&) = delete;

    // Safe from any thread; never waits.
    void request();

private:
    QObject* const context_;
    const std::function<void()> call_;
    std::atomic<bool> queued_{false};
};
