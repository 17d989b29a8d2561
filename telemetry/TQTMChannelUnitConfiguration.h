#pragma once

#include <cstdint>
#include <string>

// The group id and the limits of one channel unit. Immutable once made.
class TQTMChannelUnitConfiguration final {
public:
    static constexpr uint64_t kDefaultFlushInterval = 6;

    TQTMChannelUnitConfiguration(std::string groupId, int64_t priority, uint64_t flushInterval,
                                 uint64_t batchSizeLimit, uint64_t pendingBatchesLimit);
    // Priority 1, batches of 50, 3 batches in flight.
    static TQTMChannelUnitConfiguration defaultConfigurationWithGroupIdFlushInterval(
        std::string groupId, uint64_t flushInterval);
    static TQTMChannelUnitConfiguration defaultConfigurationWithGroupId(std::string groupId);

    const std::string& groupId() const { return groupId_; }
    // Carried along; a log's storage priority comes from the flags it is enqueued with.
    int64_t priority() const { return priority_; }
    uint64_t batchSizeLimit() const { return batchSizeLimit_; }
    uint64_t pendingBatchesLimit() const { return pendingBatchesLimit_; }
    // Seconds between the first pending log and the send.
    uint64_t flushInterval() const { return flushInterval_; }

private:
    std::string groupId_;
    int64_t priority_;
    uint64_t batchSizeLimit_;
    uint64_t pendingBatchesLimit_;
    uint64_t flushInterval_;
};
