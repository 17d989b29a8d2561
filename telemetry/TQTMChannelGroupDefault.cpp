#include "telemetry/TQTMChannelGroupDefault.h"

#include "telemetry/TQTMChannelUnitDefault.h"
#include "telemetry/TQTMLogDBStorage.h"
#include "telemetry/TQTMLogsDispatchQueue.h"
#include "telemetry/TQTMTelemetryIngestion.h"

std::shared_ptr<TQTMChannelGroupDefault> TQTMChannelGroupDefault::create(
    std::shared_ptr<TQTMHttpClientProtocol> httpClient, const std::string& installId,
    const std::string& logUrl, TQTMHttpIngestion::NetworkRequestsAllowed networkRequestsAllowed,
    sonvale::Clock& clock)
{
    return createWithIngestion(TQTMTelemetryIngestion::create(std::move(httpClient), logUrl,
                                                              installId,
                                                              std::move(networkRequestsAllowed)),
                               clock);
}

std::shared_ptr<TQTMChannelGroupDefault>
TQTMChannelGroupDefault::createWithIngestion(std::shared_ptr<TQTMTelemetryIngestion> ingestion,
                                             sonvale::Clock& clock)
{
    return std::shared_ptr<TQTMChannelGroupDefault>(
        new TQTMChannelGroupDefault(std::move(ingestion), clock));
}

TQTMChannelGroupDefault::TQTMChannelGroupDefault(std::shared_ptr<TQTMTelemetryIngestion> ingestion,
                                                 sonvale::Clock& clock)
    : clock_(clock), ingestion_(std::move(ingestion)),
      logsDispatchQueue_(std::make_shared<TQTMLogsDispatchQueue>("com.telquor.telemetry.logs")),
      storage_(std::make_shared<TQTMLogDBStorage>())
{
}

// Runs the queued work first (units that outlive the group find their queue closed), then lets
// the units go.
TQTMChannelGroupDefault::~TQTMChannelGroupDefault() { logsDispatchQueue_->close(); }

std::shared_ptr<TQTMChannelUnitProtocol> TQTMChannelGroupDefault::addChannelUnitWithConfiguration(
    const TQTMChannelUnitConfiguration& configuration)
{
    return addChannelUnitWithConfigurationWithIngestion(configuration, nullptr);
}

std::shared_ptr<TQTMChannelUnitProtocol>
TQTMChannelGroupDefault::addChannelUnitWithConfigurationWithIngestion(
    const TQTMChannelUnitConfiguration& configuration,
    std::shared_ptr<TQTMIngestionProtocol> ingestion)
{
    auto unit = TQTMChannelUnitDefault::create(ingestion ? std::move(ingestion) : ingestion_,
                                               storage_, configuration, logsDispatchQueue_, clock_);
    unit->addDelegate(shared_from_this());
    // Logs left from an earlier run start their timer, or go at once.
    logsDispatchQueue_->post([unit] { unit->checkPendingLogs(); });
    {
        std::lock_guard lock(channelsMutex_);
        channels_.push_back(unit);
    }
    for (const auto& delegate : delegates_.snapshot())
        delegate->channelGroupDidAddChannelUnit(*this, unit);
    return unit;
}

std::shared_ptr<TQTMChannelUnitProtocol>
TQTMChannelGroupDefault::channelUnitForGroupId(const std::string& groupId) const
{
    std::lock_guard lock(channelsMutex_);
    for (const auto& unit : channels_)
        if (unit->configuration().groupId() == groupId)
            return unit;
    return nullptr;
}

std::vector<std::shared_ptr<TQTMChannelUnitProtocol>> TQTMChannelGroupDefault::channels() const
{
    std::lock_guard lock(channelsMutex_);
    return channels_;
}

void TQTMChannelGroupDefault::addDelegate(const std::shared_ptr<TQTMChannelDelegate>& delegate)
{
    delegates_.add(delegate);
}

void TQTMChannelGroupDefault::removeDelegate(const std::shared_ptr<TQTMChannelDelegate>& delegate)
{
    delegates_.remove(delegate);
}

void TQTMChannelGroupDefault::setEnabledAndDeleteDataOnDisabled(bool enabled, bool deleteData)
{
    ingestion_->setEnabledAndDeleteDataOnDisabled(enabled, deleteData);
    for (const auto& unit : channels())
        unit->setEnabledAndDeleteDataOnDisabled(enabled, deleteData);
    for (const auto& delegate : delegates_.snapshot())
        delegate->channelDidSetEnabledAndDeleteDataOnDisabled(*this, enabled, deleteData);
}

void TQTMChannelGroupDefault::pauseWithIdentifyingObject(const void* object)
{
    ingestion_->setEnabledAndDeleteDataOnDisabled(false, false);
    for (const auto& unit : channels())
        unit->pauseWithIdentifyingObject(object);
}

void TQTMChannelGroupDefault::resumeWithIdentifyingObject(const void* object)
{
    ingestion_->setEnabledAndDeleteDataOnDisabled(true, false);
    for (const auto& unit : channels())
        unit->resumeWithIdentifyingObject(object);
}

std::optional<std::string> TQTMChannelGroupDefault::logUrl() const { return ingestion_->baseURL(); }

void TQTMChannelGroupDefault::setLogUrl(const std::string& logUrl)
{
    ingestion_->setBaseURL(logUrl);
}

std::optional<std::string> TQTMChannelGroupDefault::appSecret() const
{
    return ingestion_->appSecret();
}

void TQTMChannelGroupDefault::setAppSecret(std::optional<std::string> appSecret)
{
    ingestion_->setAppSecret(std::move(appSecret));
}

void TQTMChannelGroupDefault::setMaxStorageSizeCompletionHandler(
    int64_t sizeInBytes, std::function<void(bool)> completion)
{
    logsDispatchQueue_->post([storage = storage_, sizeInBytes, completion = std::move(completion)] {
        storage->setMaxStorageSizeCompletionHandler(sizeInBytes, completion);
    });
}

void TQTMChannelGroupDefault::channelPrepareLog(TQTMChannelProtocol& channel,
                                                const std::shared_ptr<TQTMAbstractLog>& log)
{
    for (const auto& delegate : delegates_.snapshot())
        delegate->channelPrepareLog(channel, log);
}

void TQTMChannelGroupDefault::channelDidPrepareLogInternalIdFlags(
    TQTMChannelProtocol& channel, const std::shared_ptr<TQTMAbstractLog>& log,
    const std::string& internalId, uint32_t flags)
{
    for (const auto& delegate : delegates_.snapshot())
        delegate->channelDidPrepareLogInternalIdFlags(channel, log, internalId, flags);
}

void TQTMChannelGroupDefault::channelDidCompleteEnqueueingLogInternalId(
    TQTMChannelProtocol& channel, const std::shared_ptr<TQTMAbstractLog>& log,
    const std::string& internalId)
{
    for (const auto& delegate : delegates_.snapshot())
        delegate->channelDidCompleteEnqueueingLogInternalId(channel, log, internalId);
}

void TQTMChannelGroupDefault::channelWillSendLog(TQTMChannelProtocol& channel,
                                                 const std::shared_ptr<TQTMAbstractLog>& log)
{
    for (const auto& delegate : delegates_.snapshot())
        delegate->channelWillSendLog(channel, log);
}

void TQTMChannelGroupDefault::channelDidSucceedSendingLog(
    TQTMChannelProtocol& channel, const std::shared_ptr<TQTMAbstractLog>& log)
{
    for (const auto& delegate : delegates_.snapshot())
        delegate->channelDidSucceedSendingLog(channel, log);
}

void TQTMChannelGroupDefault::channelDidFailSendingLogWithError(
    TQTMChannelProtocol& channel, const std::shared_ptr<TQTMAbstractLog>& log,
    const std::optional<TQTMError>& error)
{
    for (const auto& delegate : delegates_.snapshot())
        delegate->channelDidFailSendingLogWithError(channel, log, error);
}

void TQTMChannelGroupDefault::channelDidSetEnabledAndDeleteDataOnDisabled(
    TQTMChannelProtocol& channel, bool enabled, bool deleteData)
{
    for (const auto& delegate : delegates_.snapshot())
        delegate->channelDidSetEnabledAndDeleteDataOnDisabled(channel, enabled, deleteData);
}

void TQTMChannelGroupDefault::channelDidPauseWithIdentifyingObject(TQTMChannelProtocol& channel,
                                                                   const void* object)
{
    for (const auto& delegate : delegates_.snapshot())
        delegate->channelDidPauseWithIdentifyingObject(channel, object);
}

void TQTMChannelGroupDefault::channelDidResumeWithIdentifyingObject(TQTMChannelProtocol& channel,
                                                                    const void* object)
{
    for (const auto& delegate : delegates_.snapshot())
        delegate->channelDidResumeWithIdentifyingObject(channel, object);
}

bool TQTMChannelGroupDefault::channelUnitShouldFilterLog(TQTMChannelUnitProtocol& unit,
                                                         const std::shared_ptr<TQTMAbstractLog>& log)
{
    for (const auto& delegate : delegates_.snapshot())
        if (delegate->channelUnitShouldFilterLog(unit, log))
            return true;
    return false;
}
