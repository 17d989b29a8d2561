#include "tests/telemetry/RecordingChannelDelegate.h"

#include "telemetry/TQTMAbstractLog.h"

#include <chrono>

namespace sonvale::test {

void RecordingChannelDelegate::channelDidSucceedSendingLog(TQTMChannelProtocol&,
                                                           const std::shared_ptr<TQTMAbstractLog>&)
{
    std::lock_guard lock(mutex_);
    ++succeeded_;
    changed_.notify_all();
}

void RecordingChannelDelegate::channelDidFailSendingLogWithError(
    TQTMChannelProtocol&, const std::shared_ptr<TQTMAbstractLog>& log,
    const std::optional<TQTMError>& error)
{
    std::lock_guard lock(mutex_);
    failures_.push_back({log->type().value_or(""), error ? error->code : 0});
    changed_.notify_all();
}

size_t RecordingChannelDelegate::succeeded() const
{
    std::lock_guard lock(mutex_);
    return succeeded_;
}

std::vector<RecordingChannelDelegate::Failure> RecordingChannelDelegate::failures() const
{
    std::lock_guard lock(mutex_);
    return failures_;
}

bool RecordingChannelDelegate::waitForOutcomes(size_t count) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(60),
                             [&] { return succeeded_ + failures_.size() >= count; });
}

} // namespace sonvale::test
