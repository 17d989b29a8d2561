#pragma once

#include "telemetry/TQTMChannelDelegate.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace sonvale::test {

// A channel delegate that records the outcome of every log, by the log's type, and lets a test
// wait for a number of outcomes (with a generous safety limit, not a timing).
class RecordingChannelDelegate final : public TQTMChannelDelegate {
public:
    struct Failure {
        std::string type;
        int code = 0; // 0 without an error
    };

    void channelDidSucceedSendingLog(TQTMChannelProtocol&,
                                     const std::shared_ptr<TQTMAbstractLog>& log) override;
    void channelDidFailSendingLogWithError(TQTMChannelProtocol&,
                                           const std::shared_ptr<TQTMAbstractLog>& log,
                                           const std::optional<TQTMError>& error) override;

    size_t succeeded() const;
    std::vector<Failure> failures() const;
    bool waitForOutcomes(size_t count) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    size_t succeeded_ = 0;
    std::vector<Failure> failures_;
};

} // namespace sonvale::test
