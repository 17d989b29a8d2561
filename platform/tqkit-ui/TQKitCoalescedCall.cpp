#include "platform/tqkit-ui/TQKitCoalescedCall.h"

#include "platform/tqkit-ui/TQKitMainThread.h"

TQKitCoalescedCall::TQKitCoalescedCall(QObject* context, std::function<void()> call)
    : context_(context), call_(std::move(call))
{
}

void TQKitCoalescedCall::request()
{
    if (queued_.exchange(true))
        return;
    TQKitPerformOnMainThread(context_, [this] {
        // Cleared before the run: a request made during it is served by a run of its own.
        queued_ = false;
        call_();
    });
}
