#include "telemetry/TQTMChannelUnitDefault.h"

#include "platform/system/Uuid.h"
#include "telemetry/TQTMAbstractLog.h"
#include "telemetry/TQTMChannelDelegate.h"
#include "telemetry/TQTMDeviceTracker.h"
#include "telemetry/TQTMHttpUtil.h"
#include "telemetry/TQTMIngestionProtocol.h"
#include "telemetry/TQTMLogContainer.h"
#include "telemetry/TQTMLogger.h"
#include "telemetry/TQTMLogsDispatchQueue.h"
#include "telemetry/TQTMStorage.h"
#include "telemetry/TQTMTelemetry.h"
#include "telemetry/TQTMTelemetryUserDefaults.h"
#include "telemetry/TQTMUtility.h"

#include <algorithm>
#include <cstdio>

namespace
{

constexpr const char* kStartTimerPrefix = "ChannelStartTimer";

std::string objectText(const void* object)
{
    char text[32];
    std::snprintf(text, sizeof text, "%p", object);
    return text;
}

std::string statusCodeText(const std::optional<sonvale::HttpResponse>& response)
{
    return std::to_string(response ? response->statusCode : 0);
}

} // namespace

std::shared_ptr<TQTMChannelUnitDefault> TQTMChannelUnitDefault::create(
    std::shared_ptr<TQTMIngestionProtocol> ingestion, std::shared_ptr<TQTMStorage> storage,
    TQTMChannelUnitConfiguration configuration,
    std::shared_ptr<TQTMLogsDispatchQueue> logsDispatchQueue, sonvale::Clock& clock)
{
    std::shared_ptr<TQTMChannelUnitDefault> unit(
        new TQTMChannelUnitDefault(std::move(ingestion), std::move(storage),
                                   std::move(configuration), std::move(logsDispatchQueue), clock));
    // The store belongs to the queue, so the unit counts its logs there, before any other work.
    unit->postToQueue([](TQTMChannelUnitDefault& self) {
        self.itemsCount_ = self.storage_ ? self.storage_->countLogs() : 0;
    });
    return unit;
}

TQTMChannelUnitDefault::TQTMChannelUnitDefault(
    std::shared_ptr<TQTMIngestionProtocol> ingestion, std::shared_ptr<TQTMStorage> storage,
    TQTMChannelUnitConfiguration configuration,
    std::shared_ptr<TQTMLogsDispatchQueue> logsDispatchQueue, sonvale::Clock& clock)
    : ingestion_(std::move(ingestion)), storage_(std::move(storage)),
      configuration_(std::move(configuration)), logsDispatchQueue_(std::move(logsDispatchQueue)),
      clock_(clock), defaults_(TQTMTelemetryUserDefaults::shared())
{
}

TQTMChannelUnitDefault::~TQTMChannelUnitDefault()
{
    if (timerId_)
        clock_.cancelTimer(*timerId_);
}

void TQTMChannelUnitDefault::postToQueue(std::function<void(TQTMChannelUnitDefault&)> work)
{
    logsDispatchQueue_->post([self = shared_from_this(), work = std::move(work)] { work(*self); });
}

void TQTMChannelUnitDefault::addDelegate(const std::shared_ptr<TQTMChannelDelegate>& delegate)
{
    delegates_.add(delegate);
}

void TQTMChannelUnitDefault::removeDelegate(const std::shared_ptr<TQTMChannelDelegate>& delegate)
{
    delegates_.remove(delegate);
}

// Algorithm 1, first half: on the caller's thread.
void TQTMChannelUnitDefault::enqueueItemFlags(const std::shared_ptr<TQTMAbstractLog>& item,
                                              uint32_t flags)
{
    if (!item) {
        TQTMLogWarning(kTQTMCoreLogTag, "Log is not valid.");
        return;
    }
    if (!item->timestamp())
        item->setTimestamp(clock_.now());
    if (!item->device())
        item->setDevice(TQTMDeviceTracker::sharedInstance()->device());
    if (!item->dataResidencyRegion())
        item->setDataResidencyRegion(TQTMTelemetry::dataResidencyRegion());
    if (!item->isValid()) {
        TQTMLogWarning(kTQTMCoreLogTag, "Log is not valid.");
        return;
    }
    const std::string internalId = sonvale::Uuid::random().toString();
    const auto delegates = delegates_.snapshot();
    for (const auto& delegate : delegates)
        delegate->channelPrepareLog(*this, item);
    for (const auto& delegate : delegates)
        delegate->channelDidPrepareLogInternalIdFlags(*this, item, internalId, flags);
    postToQueue([item, internalId, flags](TQTMChannelUnitDefault& unit) {
        unit.enqueueOnQueue(item, internalId, flags);
    });
}

// Algorithm 1, second half: on the queue.
void TQTMChannelUnitDefault::enqueueOnQueue(const std::shared_ptr<TQTMAbstractLog>& item,
                                            const std::string& internalId, uint32_t flags)
{
    const auto delegates = delegates_.snapshot();
    const auto completeEnqueueing = [&] {
        for (const auto& delegate : delegates)
            delegate->channelDidCompleteEnqueueingLogInternalId(*this, item, internalId);
    };
    const std::string type = item->type().value_or("");
    const bool filtered =
        std::any_of(delegates.begin(), delegates.end(), [&](const auto& delegate) {
            return delegate->channelUnitShouldFilterLog(*this, item);
        });
    if (filtered) {
        TQTMLogDebug(kTQTMCoreLogTag,
                     (std::string("Log of type '") + type + "' was filtered out by delegate(s)"));
        completeEnqueueing();
        return;
    }
    if (!ingestion_ || !ingestion_->isReadyToSend()) {
        TQTMLogDebug(
            kTQTMCoreLogTag,
            (std::string("Log of type '") + type +
             "' was not filtered out by delegate(s) but ingestion is not ready to send it."));
        completeEnqueueing();
        return;
    }
    if (discardLogs_) {
        TQTMLogWarning(kTQTMCoreLogTag, (std::string("Channel ") + configuration_.groupId() +
                                         " disabled in log discarding mode, discard this log."));
        notifyFailureBeforeSendingForItemWithError(item,
                                                   TQTMError::ofCode(TQTMError::kConnectionPaused));
        completeEnqueueing();
        return;
    }
    TQTMLogDebug(kTQTMCoreLogTag, (std::string("Saving log, type: ") + type +
                                   ", flags: " + std::to_string(flags) + "."));
    const bool saved = storage_->saveLogWithGroupIdFlags(item, configuration_.groupId(), flags);
    completeEnqueueing();
    if (saved) {
        ++itemsCount_;
        checkPendingLogs();
    }
}

// Algorithm 2.
void TQTMChannelUnitDefault::checkPendingLogs()
{
    if (!paused_ &&
        configuration_.flushInterval() == TQTMChannelUnitConfiguration::kDefaultFlushInterval &&
        itemsCount_ >= configuration_.batchSizeLimit()) {
        flushQueue();
        return;
    }
    if (itemsCount_ == 0)
        return;
    const uint64_t interval = resolveFlushInterval();
    if (paused_)
        return;
    if (interval > 0)
        startTimer(interval);
    else
        flushQueue();
}

std::string TQTMChannelUnitDefault::oldestPendingLogTimestampKey() const
{
    return (std::string(kStartTimerPrefix) + ":" + configuration_.groupId());
}

uint64_t TQTMChannelUnitDefault::resolveFlushInterval()
{
    const uint64_t interval = configuration_.flushInterval();
    if (interval <= TQTMChannelUnitConfiguration::kDefaultFlushInterval)
        return interval;
    const std::string key = oldestPendingLogTimestampKey();
    const auto now = clock_.now();
    std::optional<sonvale::TimePoint> start;
    if (const auto stored = defaults_->objectForKey(key); stored && stored->is_string())
        start = TQTMUtility::dateFromISO8601(stored->get<std::string>());
    if (!start || *start > now) {
        defaults_->setObjectForKey(TQTMUtility::dateToISO8601(now), key);
        return interval;
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(now - *start).count();
    if (now > *start + std::chrono::seconds(interval)) {
        defaults_->removeObjectForKey(key);
        return 0;
    }
    return interval - static_cast<uint64_t>(elapsed);
}

// Algorithm 3.
void TQTMChannelUnitDefault::startTimer(uint64_t seconds)
{
    if (!enabled_)
        return;
    resetTimer();
    const uint64_t generation = ++timerGeneration_;
    std::weak_ptr<TQTMChannelUnitDefault> weak = weak_from_this();
    const std::shared_ptr<TQTMLogsDispatchQueue> queue = logsDispatchQueue_;
    timerId_ = clock_.callAfter(std::chrono::seconds(seconds), [weak, queue, generation] {
        queue->post([weak, generation] {
            if (auto unit = weak.lock())
                unit->timerFired(generation);
        });
    });
}

void TQTMChannelUnitDefault::timerFired(uint64_t generation)
{
    if (generation != timerGeneration_)
        return;
    timerId_.reset();
    if (itemsCount_ > 0)
        flushQueue();
    resetTimer();
    defaults_->removeObjectForKey(oldestPendingLogTimestampKey());
}

void TQTMChannelUnitDefault::resetTimer()
{
    ++timerGeneration_;
    if (timerId_) {
        clock_.cancelTimer(*timerId_);
        timerId_.reset();
    }
}

// Algorithm 4.
void TQTMChannelUnitDefault::flushQueue()
{
    if (!ingestion_ || !ingestion_->isEnabled()) {
        TQTMLogDebug(kTQTMCoreLogTag, (std::string("Telemetry SDK is offline, groupId:") +
                                       configuration_.groupId() + "."));
        return;
    }
    if (!enabled_ || !ingestion_->isReadyToSend())
        return;
    resetTimer();
    if (paused_ || pendingBatchQueueFull_) {
        if (itemsCount_ >= configuration_.batchSizeLimit()) {
            availableBatchFromStorage_ = true;
            itemsCount_ = 0;
        }
        return;
    }
    itemsCount_ = 0;
    const std::vector<std::string> excluded(pausedTargetKeys_.begin(), pausedTargetKeys_.end());
    const bool more = storage_->loadLogsWithGroupIdLimitExcludedTargetKeysCompletionHandler(
        configuration_.groupId(), configuration_.batchSizeLimit(), excluded,
        [this](std::vector<std::shared_ptr<TQTMAbstractLog>> logs,
               std::optional<std::string> batchId) {
            if (!logs.empty() && batchId)
                sendLogContainer(std::make_shared<TQTMLogContainer>(batchId, std::move(logs)));
        });
    availableBatchFromStorage_ = more;
    if (availableBatchFromStorage_ && !pendingBatchQueueFull_)
        flushQueue();
}

// Algorithm 5.
void TQTMChannelUnitDefault::sendLogContainer(const std::shared_ptr<TQTMLogContainer>& container)
{
    const std::string batchId = container->batchId().value_or("");
    pendingBatchIds_.push_back(batchId);
    if (pendingBatchIds_.size() >= configuration_.pendingBatchesLimit())
        pendingBatchQueueFull_ = true;
    const auto& logs = container->logs();
    if (TQTMLogger::currentLogLevel() <= TQTMLogLevelDebug) {
        for (size_t i = 0; i < logs.size(); ++i) {
            TQTMLogDebug(kTQTMCoreLogTag,
                         (std::string("Sending ") + std::to_string(i + 1) + "/" +
                          std::to_string(logs.size()) +
                          " log, group Id: " + configuration_.groupId() + ", batch Id: " + batchId +
                          ", session Id: " + logs[i]->sid().value_or("(null)") + ", payload:\n" +
                          logs[i]->serializeLogWithPrettyPrinting(true).value_or("")));
        }
    }
    for (const auto& delegate : delegates_.snapshot())
        for (const auto& log : logs)
            delegate->channelWillSendLog(*this, log);
    std::weak_ptr<TQTMChannelUnitDefault> weak = weak_from_this();
    const std::shared_ptr<TQTMLogsDispatchQueue> queue = logsDispatchQueue_;
    ingestion_->sendAsyncCompletionHandler(
        container, [weak, queue, container](
                       const std::string& callId, std::optional<sonvale::HttpResponse> response,
                       std::optional<std::vector<uint8_t>>, std::optional<TQTMError> error) {
            queue->post([weak, callId, response, error, container] {
                if (auto unit = weak.lock())
                    unit->handleSendResult(callId, response, error, container);
            });
        });
}

// Algorithm 6. A refused batch (an answer not worth repeating, such as 400) is deleted alone: it
// says nothing about the other stored logs of the group, which go out as usual.
void TQTMChannelUnitDefault::handleSendResult(const std::string& batchId,
                                              const std::optional<sonvale::HttpResponse>& response,
                                              const std::optional<TQTMError>& error,
                                              const std::shared_ptr<TQTMLogContainer>& container)
{
    const auto pending = std::find(pendingBatchIds_.begin(), pendingBatchIds_.end(), batchId);
    if (pending == pendingBatchIds_.end()) {
        TQTMLogWarning(kTQTMCoreLogTag,
                       (std::string("Batch Id ") + batchId + " not expected, ignore."));
        return;
    }
    const long statusCode = response ? response->statusCode : 0;
    const bool succeeded = TQTMHttpUtil::isSuccessStatusCode(statusCode);
    const bool recoverable = !succeeded && TQTMHttpUtil::isRecoverableError(statusCode);
    const auto delegates = delegates_.snapshot();
    if (succeeded) {
        TQTMLogDebug(kTQTMCoreLogTag,
                     (std::string("Log(s) sent with success, batch Id:") + batchId + "."));
        for (const auto& delegate : delegates)
            for (const auto& log : container->logs())
                delegate->channelDidSucceedSendingLog(*this, log);
    } else {
        TQTMLogError(kTQTMCoreLogTag, (std::string("Log(s) sent with failure, batch Id:") +
                                       batchId + ", status code:" + statusCodeText(response)));
        for (const auto& delegate : delegates)
            for (const auto& log : container->logs())
                delegate->channelDidFailSendingLogWithError(*this, log, error);
    }
    if (!recoverable) {
        if (!succeeded)
            TQTMLogError(kTQTMCoreLogTag,
                         (std::string("The service refused batch Id ") + batchId + " of group Id " +
                          configuration_.groupId() + "; its logs are deleted."));
        storage_->deleteLogsWithBatchIdGroupId(batchId, configuration_.groupId());
    }
    pendingBatchIds_.erase(pending);
    if (pendingBatchQueueFull_ && pendingBatchIds_.size() < configuration_.pendingBatchesLimit()) {
        pendingBatchQueueFull_ = false;
        if (!recoverable && availableBatchFromStorage_)
            flushQueue();
    }
}

// Algorithm 7.
void TQTMChannelUnitDefault::setEnabledAndDeleteDataOnDisabled(bool enabled, bool deleteData)
{
    postToQueue([enabled, deleteData](TQTMChannelUnitDefault& unit) {
        unit.setEnabledSync(enabled, deleteData);
    });
}

void TQTMChannelUnitDefault::setEnabledSync(bool enabled, bool deleteData)
{
    if (enabled_ != enabled) {
        enabled_ = enabled;
        if (enabled)
            resumeWithIdentifyingObjectSync(this);
        else
            pauseWithIdentifyingObjectSync(this);
    }
    if (!enabled_ && deleteData) {
        TQTMLogDebug(kTQTMCoreLogTag,
                     (std::string("Delete all logs for group Id ") + configuration_.groupId()));
        deleteAllLogsWithErrorSync(TQTMError::ofCode(TQTMError::kConnectionPaused));
        itemsCount_ = 0;
        availableBatchFromStorage_ = false;
        pendingBatchQueueFull_ = false;
        defaults_->removeObjectForKey(oldestPendingLogTimestampKey());
        discardLogs_ = true;
    } else {
        discardLogs_ = false;
    }
    for (const auto& delegate : delegates_.snapshot())
        delegate->channelDidSetEnabledAndDeleteDataOnDisabled(*this, enabled, deleteData);
}

void TQTMChannelUnitDefault::deleteAllLogsWithError(const TQTMError& error)
{
    postToQueue([error](TQTMChannelUnitDefault& unit) { unit.deleteAllLogsWithErrorSync(error); });
}

void TQTMChannelUnitDefault::deleteAllLogsWithErrorSync(const TQTMError& error)
{
    for (const std::string& batchId : pendingBatchIds_)
        storage_->deleteLogsWithBatchIdGroupId(batchId, configuration_.groupId());
    pendingBatchIds_.clear();
    for (const auto& log : storage_->deleteLogsWithGroupId(configuration_.groupId()))
        notifyFailureBeforeSendingForItemWithError(log, error);
}

void TQTMChannelUnitDefault::notifyFailureBeforeSendingForItemWithError(
    const std::shared_ptr<TQTMAbstractLog>& item, const TQTMError& error)
{
    for (const auto& delegate : delegates_.snapshot()) {
        delegate->channelWillSendLog(*this, item);
        delegate->channelDidFailSendingLogWithError(*this, item, error);
    }
}

// Algorithm 8.
void TQTMChannelUnitDefault::pauseWithIdentifyingObject(const void* object)
{
    postToQueue(
        [object](TQTMChannelUnitDefault& unit) { unit.pauseWithIdentifyingObjectSync(object); });
}

void TQTMChannelUnitDefault::resumeWithIdentifyingObject(const void* object)
{
    postToQueue(
        [object](TQTMChannelUnitDefault& unit) { unit.resumeWithIdentifyingObjectSync(object); });
}

void TQTMChannelUnitDefault::pauseWithIdentifyingObjectSync(const void* object)
{
    pausedIdentifyingObjects_.insert(object);
    TQTMLogVerbose(kTQTMCoreLogTag,
                   (std::string("Identifying object ") + objectText(object) +
                    " added to pause lane for channel " + configuration_.groupId() + "."));
    if (!paused_) {
        TQTMLogDebug(kTQTMCoreLogTag,
                     (std::string("Pause channel ") + configuration_.groupId() + "."));
        paused_ = true;
        resetTimer();
    }
    for (const auto& delegate : delegates_.snapshot())
        delegate->channelDidPauseWithIdentifyingObject(*this, object);
}

void TQTMChannelUnitDefault::resumeWithIdentifyingObjectSync(const void* object)
{
    pausedIdentifyingObjects_.erase(object);
    TQTMLogVerbose(kTQTMCoreLogTag,
                   (std::string("Identifying object ") + objectText(object) +
                    " removed from pause lane for channel " + configuration_.groupId() + "."));
    if (pausedIdentifyingObjects_.empty()) {
        TQTMLogDebug(kTQTMCoreLogTag,
                     (std::string("Resume channel ") + configuration_.groupId() + "."));
        paused_ = false;
        checkPendingLogs();
    }
    for (const auto& delegate : delegates_.snapshot())
        delegate->channelDidResumeWithIdentifyingObject(*this, object);
}

// Algorithm 9.
void TQTMChannelUnitDefault::pauseSendingLogsWithToken(const std::string& token)
{
    const auto key = TQTMUtility::targetKeyFromTargetToken(token);
    postToQueue([key](TQTMChannelUnitDefault& unit) {
        TQTMLogDebug(kTQTMCoreLogTag,
                     (std::string("Pause channel for target key ") + key.value_or("(null)") + "."));
        if (key)
            unit.pausedTargetKeys_.insert(*key);
    });
}

void TQTMChannelUnitDefault::resumeSendingLogsWithToken(const std::string& token)
{
    const auto key = TQTMUtility::targetKeyFromTargetToken(token);
    postToQueue([key](TQTMChannelUnitDefault& unit) {
        TQTMLogDebug(kTQTMCoreLogTag, (std::string("Resume channel for target key ") +
                                       key.value_or("(null)") + "."));
        if (key)
            unit.pausedTargetKeys_.erase(*key);
        unit.itemsCount_ = unit.storage_->countLogs();
        unit.checkPendingLogs();
    });
}
