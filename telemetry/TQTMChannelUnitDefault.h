#pragma once

#include "platform/system/Clock.h"
#include "telemetry/TQTMChannelDelegateTable.h"
#include "telemetry/TQTMChannelProtocol.h"
#include "telemetry/TQTMChannelUnitConfiguration.h"
#include "telemetry/TQTMError.h"

#include <set>
#include <vector>

namespace sonvale {
struct HttpResponse;
}
class TQTMLogContainer;
class TQTMLogsDispatchQueue;
class TQTMStorage;
class TQTMTelemetryUserDefaults;

// Carries the logs of one group from the services to the ingestion. An enqueued log is completed
// and handed to the delegates on the caller's thread, then filtered and stored on the group's
// queue. A flush timer (or a full batch, for the default 6-second interval) loads up to
// `batchSizeLimit` stored logs as one batch; at most `pendingBatchesLimit` batches are in flight.
// A batch the service accepted is deleted; one it refused as malformed is deleted alone; one
// that failed on the way stays stored and goes out on a later launch.
//
// Any number of objects may pause the unit; disabling pauses it, and disabling with deletion
// deletes the group's logs and fails new ones to the delegates (code 100).
//
// Everything but the first half of enqueueItemFlags() and the delegate table runs on the group's
// serial queue, so the fields need no lock. Made with create(); shared with the group, the
// services that use it and its own queued work.
class TQTMChannelUnitDefault final : public TQTMChannelUnitProtocol,
                                     public std::enable_shared_from_this<TQTMChannelUnitDefault> {
public:
    // Its first work on the queue counts the stored logs (of every group) as its items count.
    static std::shared_ptr<TQTMChannelUnitDefault>
    create(std::shared_ptr<TQTMIngestionProtocol> ingestion, std::shared_ptr<TQTMStorage> storage,
           TQTMChannelUnitConfiguration configuration,
           std::shared_ptr<TQTMLogsDispatchQueue> logsDispatchQueue, sonvale::Clock& clock);
    ~TQTMChannelUnitDefault() override;

    void addDelegate(const std::shared_ptr<TQTMChannelDelegate>& delegate) override;
    void removeDelegate(const std::shared_ptr<TQTMChannelDelegate>& delegate) override;
    void enqueueItemFlags(const std::shared_ptr<TQTMAbstractLog>& item, uint32_t flags) override;
    void checkPendingLogs() override;
    void setEnabledAndDeleteDataOnDisabled(bool enabled, bool deleteData) override;
    void pauseWithIdentifyingObject(const void* object) override;
    void resumeWithIdentifyingObject(const void* object) override;
    void pauseSendingLogsWithToken(const std::string& token) override;
    void resumeSendingLogsWithToken(const std::string& token) override;
    const TQTMChannelUnitConfiguration& configuration() const override { return configuration_; }

    // The user-defaults key of the oldest pending log's time (longer intervals only).
    std::string oldestPendingLogTimestampKey() const;
    // Seconds to wait before the next flush; 0 means now. On the queue.
    uint64_t resolveFlushInterval();
    void deleteAllLogsWithError(const TQTMError& error);

    // State, for the queue and for tests that look from the queue.
    bool isEnabled() const { return enabled_; }
    bool isPaused() const { return paused_; }
    bool discardLogs() const { return discardLogs_; }
    uint64_t itemsCount() const { return itemsCount_; }
    const std::vector<std::string>& pendingBatchIds() const { return pendingBatchIds_; }

private:
    TQTMChannelUnitDefault(std::shared_ptr<TQTMIngestionProtocol> ingestion,
                           std::shared_ptr<TQTMStorage> storage,
                           TQTMChannelUnitConfiguration configuration,
                           std::shared_ptr<TQTMLogsDispatchQueue> logsDispatchQueue,
                           sonvale::Clock& clock);

    void enqueueOnQueue(const std::shared_ptr<TQTMAbstractLog>& item, const std::string& internalId,
                        uint32_t flags);
    void flushQueue();
    void sendLogContainer(const std::shared_ptr<TQTMLogContainer>& container);
    void handleSendResult(const std::string& batchId,
                          const std::optional<sonvale::HttpResponse>& response,
                          const std::optional<TQTMError>& error,
                          const std::shared_ptr<TQTMLogContainer>& container);
    void startTimer(uint64_t seconds);
    void timerFired(uint64_t generation);
    void resetTimer();
    void setEnabledSync(bool enabled, bool deleteData);
    void pauseWithIdentifyingObjectSync(const void* object);
    void resumeWithIdentifyingObjectSync(const void* object);
    void deleteAllLogsWithErrorSync(const TQTMError& error);
    void notifyFailureBeforeSendingForItemWithError(const std::shared_ptr<TQTMAbstractLog>& item,
                                                    const TQTMError& error);
    void postToQueue(std::function<void(TQTMChannelUnitDefault&)> work);

    const std::shared_ptr<TQTMIngestionProtocol> ingestion_;
    const std::shared_ptr<TQTMStorage> storage_;
    const TQTMChannelUnitConfiguration configuration_;
    const std::shared_ptr<TQTMLogsDispatchQueue> logsDispatchQueue_;
    sonvale::Clock& clock_;
    const std::shared_ptr<TQTMTelemetryUserDefaults> defaults_;
    TQTMChannelDelegateTable delegates_;

    bool availableBatchFromStorage_ = false;
    bool pendingBatchQueueFull_ = false;
    bool enabled_ = true;
    bool paused_ = false;
    bool discardLogs_ = false;
    uint64_t itemsCount_ = 0;
    std::vector<std::string> pendingBatchIds_;
    std::set<const void*> pausedIdentifyingObjects_;
    std::set<std::string> pausedTargetKeys_;
    // The flush timer; a firing that arrives after a reset carries an older generation and is
    // ignored.
    std::optional<sonvale::Clock::TimerId> timerId_;
    uint64_t timerGeneration_ = 0;
};
