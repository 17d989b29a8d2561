#pragma once

#include "telemetry/TQTMError.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class TQTMAbstractLog;
class TQTMChannelGroupProtocol;
class TQTMChannelProtocol;
class TQTMChannelUnitProtocol;

// What a channel tells those who watch its logs. Every method does nothing by default, so a
// delegate overrides only what it cares about. The prepare calls come on the enqueuing thread,
// the others on the channel group's queue (see TQTMChannelUnitDefault); the channel is the unit or
// the group that reports.
class TQTMChannelDelegate {
public:
    virtual ~TQTMChannelDelegate() = default;

    virtual void channelGroupDidAddChannelUnit(TQTMChannelGroupProtocol&,
                                               const std::shared_ptr<TQTMChannelUnitProtocol>&)
    {
    }
    virtual void channelPrepareLog(TQTMChannelProtocol&, const std::shared_ptr<TQTMAbstractLog>&) {}
    virtual void channelDidPrepareLogInternalIdFlags(TQTMChannelProtocol&,
                                                     const std::shared_ptr<TQTMAbstractLog>&,
                                                     const std::string& /*internalId*/,
                                                     uint32_t /*flags*/)
    {
    }
    virtual void channelDidCompleteEnqueueingLogInternalId(TQTMChannelProtocol&,
                                                           const std::shared_ptr<TQTMAbstractLog>&,
                                                           const std::string& /*internalId*/)
    {
    }
    virtual void channelWillSendLog(TQTMChannelProtocol&, const std::shared_ptr<TQTMAbstractLog>&) {}
    virtual void channelDidSucceedSendingLog(TQTMChannelProtocol&,
                                             const std::shared_ptr<TQTMAbstractLog>&)
    {
    }
    virtual void channelDidFailSendingLogWithError(TQTMChannelProtocol&,
                                                   const std::shared_ptr<TQTMAbstractLog>&,
                                                   const std::optional<TQTMError>&)
    {
    }
    virtual void channelDidSetEnabledAndDeleteDataOnDisabled(TQTMChannelProtocol&, bool /*enabled*/,
                                                             bool /*deleteData*/)
    {
    }
    virtual void channelDidPauseWithIdentifyingObject(TQTMChannelProtocol&, const void* /*object*/) {}
    virtual void channelDidResumeWithIdentifyingObject(TQTMChannelProtocol&, const void* /*object*/)
    {
    }
    // True drops the log before it is stored.
    virtual bool channelUnitShouldFilterLog(TQTMChannelUnitProtocol&,
                                            const std::shared_ptr<TQTMAbstractLog>&)
    {
        return false;
    }
};
