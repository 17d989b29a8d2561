#pragma once

#include "platform/system/Uuid.h"
#include "telemetry/TQTMChannelDelegate.h"

#include <map>
#include <mutex>

class TQTMCommonSchemaLog;
class TQTMCSEpochAndSeq;
class TQTMHttpClientProtocol;
class TQTMOneCollectorIngestion;

// Delivers logs that carry transmission target tokens to the one-collector service: for every
// ordinary channel unit it adds a twin unit (group id + "/one") that sends through the
// one-collector ingestion, converts such logs into common-schema logs for the twin and keeps them
// out of the ordinary unit. Without target tokens (as in this program) every log passes through
// unchanged and the twins stay empty. Registered on the channel group before any unit is added;
// called on the threads the channel reports from, with one lock of its own for its tables.
class TQTMOneCollectorChannelDelegate final
    : public TQTMChannelDelegate,
      public std::enable_shared_from_this<TQTMOneCollectorChannelDelegate> {
public:
    static constexpr const char* kOneCollectorGroupIdSuffix = "/one";

    // A missing base URL means the one-collector service's own.
    static std::shared_ptr<TQTMOneCollectorChannelDelegate>
    create(std::shared_ptr<TQTMHttpClientProtocol> httpClient, sonvale::Uuid installId,
           const std::optional<std::string>& baseUrl);

    void setLogUrl(const std::string& logUrl);

    void channelGroupDidAddChannelUnit(TQTMChannelGroupProtocol& group,
                                       const std::shared_ptr<TQTMChannelUnitProtocol>& unit) override;
    void channelPrepareLog(TQTMChannelProtocol& channel,
                           const std::shared_ptr<TQTMAbstractLog>& log) override;
    void channelDidPrepareLogInternalIdFlags(TQTMChannelProtocol& channel,
                                             const std::shared_ptr<TQTMAbstractLog>& log,
                                             const std::string& internalId,
                                             uint32_t flags) override;
    bool channelUnitShouldFilterLog(TQTMChannelUnitProtocol& unit,
                                    const std::shared_ptr<TQTMAbstractLog>& log) override;
    void channelDidSetEnabledAndDeleteDataOnDisabled(TQTMChannelProtocol& channel, bool enabled,
                                                     bool deleteData) override;
    void channelDidPauseWithIdentifyingObject(TQTMChannelProtocol& channel,
                                              const void* object) override;
    void channelDidResumeWithIdentifyingObject(TQTMChannelProtocol& channel,
                                               const void* object) override;

    static bool isOneCollectorGroup(const std::string& groupId);
    static bool shouldSendLogToOneCollector(const TQTMAbstractLog& log);
    static bool validateLog(const TQTMCommonSchemaLog& log);
    static bool validateLogName(const std::optional<std::string>& name);

    std::shared_ptr<TQTMChannelUnitProtocol> twinOfGroup(const std::string& groupId) const;
    const std::shared_ptr<TQTMOneCollectorIngestion>& oneCollectorIngestion() const
    {
        return oneCollectorIngestion_;
    }

private:
    TQTMOneCollectorChannelDelegate(std::shared_ptr<TQTMOneCollectorIngestion> ingestion,
                                    sonvale::Uuid installId);
    // The twin of an ordinary unit, or nothing.
    std::shared_ptr<TQTMChannelUnitProtocol> twinOf(TQTMChannelProtocol& channel) const;

    const std::shared_ptr<TQTMOneCollectorIngestion> oneCollectorIngestion_;
    const sonvale::Uuid installId_;
    mutable std::mutex mutex_;
    std::map<std::string, std::shared_ptr<TQTMChannelUnitProtocol>> oneCollectorChannels_;
    std::map<std::string, std::shared_ptr<TQTMCSEpochAndSeq>> epochsAndSeqsByIKey_;
};
