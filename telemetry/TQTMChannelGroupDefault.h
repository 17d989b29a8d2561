#pragma once

#include "platform/system/Clock.h"
#include "telemetry/TQTMChannelDelegate.h"
#include "telemetry/TQTMChannelDelegateTable.h"
#include "telemetry/TQTMChannelProtocol.h"
#include "telemetry/TQTMHttpIngestion.h"

#include <mutex>
#include <vector>

class TQTMChannelUnitDefault;
class TQTMHttpClientProtocol;
class TQTMLogsDispatchQueue;
class TQTMStorage;
class TQTMTelemetryIngestion;

// The hub of the log pipeline: owns the one serial queue all log work runs on, the one log store
// and the one ingestion, makes a channel unit per log group, and passes every unit event on to
// its own delegates. Enabling, pausing and resuming fan out to the ingestion (at once) and to the
// units (through their queued steps). Made with create() and shared; lives as long as the SDK.
// The add and fan-out methods may be called from any thread; the delegate hooks run where the
// units call them.
class TQTMChannelGroupDefault final : public TQTMChannelGroupProtocol,
                                      public TQTMChannelDelegate,
                                      public std::enable_shared_from_this<TQTMChannelGroupDefault> {
public:
    // The Telemetry ingestion at `logUrl` and a store in "Logs.sqlite". The clock times the units
    // and must outlive the group.
    static std::shared_ptr<TQTMChannelGroupDefault>
    create(std::shared_ptr<TQTMHttpClientProtocol> httpClient, const std::string& installId,
           const std::string& logUrl, TQTMHttpIngestion::NetworkRequestsAllowed networkRequestsAllowed,
           sonvale::Clock& clock);
    static std::shared_ptr<TQTMChannelGroupDefault>
    createWithIngestion(std::shared_ptr<TQTMTelemetryIngestion> ingestion, sonvale::Clock& clock);
    ~TQTMChannelGroupDefault() override;

    std::shared_ptr<TQTMChannelUnitProtocol>
    addChannelUnitWithConfiguration(const TQTMChannelUnitConfiguration& configuration) override;
    std::shared_ptr<TQTMChannelUnitProtocol> addChannelUnitWithConfigurationWithIngestion(
        const TQTMChannelUnitConfiguration& configuration,
        std::shared_ptr<TQTMIngestionProtocol> ingestion) override;
    std::shared_ptr<TQTMChannelUnitProtocol>
    channelUnitForGroupId(const std::string& groupId) const override;
    void addDelegate(const std::shared_ptr<TQTMChannelDelegate>& delegate) override;
    void removeDelegate(const std::shared_ptr<TQTMChannelDelegate>& delegate) override;
    void setEnabledAndDeleteDataOnDisabled(bool enabled, bool deleteData) override;
    void pauseWithIdentifyingObject(const void* object) override;
    void resumeWithIdentifyingObject(const void* object) override;
    std::optional<std::string> logUrl() const override;
    void setLogUrl(const std::string& logUrl) override;
    std::optional<std::string> appSecret() const override;
    void setAppSecret(std::optional<std::string> appSecret) override;
    void setMaxStorageSizeCompletionHandler(int64_t sizeInBytes,
                                            std::function<void(bool)> completion) override;

    // The unit events, passed on unchanged to the group's delegates.
    void channelPrepareLog(TQTMChannelProtocol& channel,
                           const std::shared_ptr<TQTMAbstractLog>& log) override;
    void channelDidPrepareLogInternalIdFlags(TQTMChannelProtocol& channel,
                                             const std::shared_ptr<TQTMAbstractLog>& log,
                                             const std::string& internalId,
                                             uint32_t flags) override;
    void channelDidCompleteEnqueueingLogInternalId(TQTMChannelProtocol& channel,
                                                   const std::shared_ptr<TQTMAbstractLog>& log,
                                                   const std::string& internalId) override;
    void channelWillSendLog(TQTMChannelProtocol& channel,
                            const std::shared_ptr<TQTMAbstractLog>& log) override;
    void channelDidSucceedSendingLog(TQTMChannelProtocol& channel,
                                     const std::shared_ptr<TQTMAbstractLog>& log) override;
    void channelDidFailSendingLogWithError(TQTMChannelProtocol& channel,
                                           const std::shared_ptr<TQTMAbstractLog>& log,
                                           const std::optional<TQTMError>& error) override;
    void channelDidSetEnabledAndDeleteDataOnDisabled(TQTMChannelProtocol& channel, bool enabled,
                                                     bool deleteData) override;
    void channelDidPauseWithIdentifyingObject(TQTMChannelProtocol& channel,
                                              const void* object) override;
    void channelDidResumeWithIdentifyingObject(TQTMChannelProtocol& channel,
                                               const void* object) override;
    bool channelUnitShouldFilterLog(TQTMChannelUnitProtocol& unit,
                                    const std::shared_ptr<TQTMAbstractLog>& log) override;

    const std::shared_ptr<TQTMTelemetryIngestion>& ingestion() const { return ingestion_; }
    const std::shared_ptr<TQTMStorage>& storage() const override { return storage_; }
    const std::shared_ptr<TQTMLogsDispatchQueue>& logsDispatchQueue() const
    {
        return logsDispatchQueue_;
    }
    std::vector<std::shared_ptr<TQTMChannelUnitProtocol>> channels() const;

private:
    TQTMChannelGroupDefault(std::shared_ptr<TQTMTelemetryIngestion> ingestion,
                            sonvale::Clock& clock);

    sonvale::Clock& clock_;
    const std::shared_ptr<TQTMTelemetryIngestion> ingestion_;
    const std::shared_ptr<TQTMLogsDispatchQueue> logsDispatchQueue_;
    const std::shared_ptr<TQTMStorage> storage_;
    TQTMChannelDelegateTable delegates_;
    mutable std::mutex channelsMutex_;
    std::vector<std::shared_ptr<TQTMChannelUnitProtocol>> channels_;
};
