#include "telemetry/TQTMChannelUnitConfiguration.h"

#include <utility>

TQTMChannelUnitConfiguration::TQTMChannelUnitConfiguration(std::string groupId, int64_t priority,
                                                           uint64_t flushInterval,
                                                           uint64_t batchSizeLimit,
                                                           uint64_t pendingBatchesLimit)
    : groupId_(std::move(groupId)), priority_(priority), batchSizeLimit_(batchSizeLimit),
      pendingBatchesLimit_(pendingBatchesLimit), flushInterval_(flushInterval)
{
}

TQTMChannelUnitConfiguration
TQTMChannelUnitConfiguration::defaultConfigurationWithGroupIdFlushInterval(std::string groupId,
                                                                         uint64_t flushInterval)
{
    return TQTMChannelUnitConfiguration(std::move(groupId), 1, flushInterval, 50, 3);
}

TQTMChannelUnitConfiguration
TQTMChannelUnitConfiguration::defaultConfigurationWithGroupId(std::string groupId)
{
    return defaultConfigurationWithGroupIdFlushInterval(std::move(groupId), kDefaultFlushInterval);
}
