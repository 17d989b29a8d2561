#include "telemetry/TQTMOneCollectorChannelDelegate.h"

#include "telemetry/TQTMCSEpochAndSeq.h"
#include "telemetry/TQTMCSExtensions.h"
#include "telemetry/TQTMChannelProtocol.h"
#include "telemetry/TQTMChannelUnitConfiguration.h"
#include "telemetry/TQTMCommonSchemaLog.h"
#include "telemetry/TQTMLogger.h"
#include "telemetry/TQTMOneCollectorIngestion.h"
#include "telemetry/TQTMSDKExtension.h"

#include <cctype>

namespace {

constexpr const char* kValidationFailed = "Log validation failed.";
constexpr const char* kNamePattern = "^[a-zA-Z0-9]((\\.(?!(\\.|$)))|[_a-zA-Z0-9]){3,99}$";

bool isAlnum(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

// The name pattern, checked in one pass: 4 to 100 characters, a letter or digit first, then
// letters, digits, underscores and single dots, never a dot at the end.
bool matchesNamePattern(const std::string& name)
{
    if (name.size() < 4 || name.size() > 100 || !isAlnum(name.front()) || name.back() == '.')
        return false;
    for (size_t i = 1; i < name.size(); ++i) {
        const char c = name[i];
        if (c == '.' && name[i - 1] == '.')
            return false;
        if (c != '.' && c != '_' && !isAlnum(c))
            return false;
    }
    return true;
}

} // namespace

std::shared_ptr<TQTMOneCollectorChannelDelegate>
TQTMOneCollectorChannelDelegate::create(std::shared_ptr<TQTMHttpClientProtocol> httpClient,
                                        sonvale::Uuid installId,
                                        const std::optional<std::string>& baseUrl)
{
    return std::shared_ptr<TQTMOneCollectorChannelDelegate>(new TQTMOneCollectorChannelDelegate(
        TQTMOneCollectorIngestion::create(
            std::move(httpClient), baseUrl.value_or(TQTMOneCollectorIngestion::kDefaultBaseUrl)),
        installId));
}

TQTMOneCollectorChannelDelegate::TQTMOneCollectorChannelDelegate(
    std::shared_ptr<TQTMOneCollectorIngestion> ingestion, sonvale::Uuid installId)
    : oneCollectorIngestion_(std::move(ingestion)), installId_(installId)
{
}

void TQTMOneCollectorChannelDelegate::setLogUrl(const std::string& logUrl)
{
    oneCollectorIngestion_->setBaseURL(logUrl);
}

void TQTMOneCollectorChannelDelegate::channelGroupDidAddChannelUnit(
    TQTMChannelGroupProtocol& group, const std::shared_ptr<TQTMChannelUnitProtocol>& unit)
{
    const TQTMChannelUnitConfiguration& configuration = unit->configuration();
    if (isOneCollectorGroup(configuration.groupId()))
        return;
    auto twin = group.addChannelUnitWithConfigurationWithIngestion(
        TQTMChannelUnitConfiguration::defaultConfigurationWithGroupIdFlushInterval(
            configuration.groupId() + kOneCollectorGroupIdSuffix, configuration.flushInterval()),
        oneCollectorIngestion_);
    std::lock_guard lock(mutex_);
    oneCollectorChannels_[configuration.groupId()] = std::move(twin);
}

void TQTMOneCollectorChannelDelegate::channelPrepareLog(TQTMChannelProtocol&,
                                                        const std::shared_ptr<TQTMAbstractLog>& log)
{
    auto* schemaLog = dynamic_cast<TQTMCommonSchemaLog*>(log.get());
    if (!schemaLog)
        return;
    std::lock_guard lock(mutex_);
    auto& record = epochsAndSeqsByIKey_[schemaLog->iKey().value_or("")];
    if (!record)
        record = std::make_shared<TQTMCSEpochAndSeq>(sonvale::Uuid::random().toString());
    if (!schemaLog->ext())
        schemaLog->setExt(std::make_shared<TQTMCSExtensions>());
    if (!schemaLog->ext()->sdkExt())
        schemaLog->ext()->setSdkExt(std::make_shared<TQTMSDKExtension>());
    auto& sdk = *schemaLog->ext()->sdkExt();
    sdk.setEpoch(record->epoch());
    record->setSeq(record->seq() + 1);
    sdk.setSeq(static_cast<int64_t>(record->seq()));
    sdk.setInstallId(installId_);
}

void TQTMOneCollectorChannelDelegate::channelDidPrepareLogInternalIdFlags(
    TQTMChannelProtocol& channel, const std::shared_ptr<TQTMAbstractLog>& log, const std::string&,
    uint32_t flags)
{
    const auto twin = twinOf(channel);
    if (std::dynamic_pointer_cast<TQTMCommonSchemaLog>(log)) {
        if (twin)
            twin->enqueueItemFlags(log, flags);
        return;
    }
    if (!twin || !shouldSendLogToOneCollector(*log))
        return;
    for (const auto& converted : log->toCommonSchemaLogsWithFlags(flags).value_or(
             std::vector<std::shared_ptr<TQTMCommonSchemaLog>>{}))
        twin->enqueueItemFlags(converted, flags);
}

bool TQTMOneCollectorChannelDelegate::channelUnitShouldFilterLog(
    TQTMChannelUnitProtocol& unit, const std::shared_ptr<TQTMAbstractLog>& log)
{
    if (const auto* schemaLog = dynamic_cast<const TQTMCommonSchemaLog*>(log.get())) {
        if (isOneCollectorGroup(unit.configuration().groupId()))
            return !validateLog(*schemaLog);
        return true;
    }
    const auto tokens = log->transmissionTargetTokens();
    return tokens && !tokens->empty();
}

void TQTMOneCollectorChannelDelegate::channelDidSetEnabledAndDeleteDataOnDisabled(
    TQTMChannelProtocol& channel, bool enabled, bool deleteData)
{
    if (dynamic_cast<TQTMChannelUnitProtocol*>(&channel)) {
        if (const auto twin = twinOf(channel))
            twin->setEnabledAndDeleteDataOnDisabled(enabled, deleteData);
        return;
    }
    if (!enabled && deleteData) {
        std::lock_guard lock(mutex_);
        epochsAndSeqsByIKey_.clear();
    }
}

void TQTMOneCollectorChannelDelegate::channelDidPauseWithIdentifyingObject(
    TQTMChannelProtocol& channel, const void* object)
{
    if (const auto twin = twinOf(channel))
        twin->pauseWithIdentifyingObject(object);
}

void TQTMOneCollectorChannelDelegate::channelDidResumeWithIdentifyingObject(
    TQTMChannelProtocol& channel, const void* object)
{
    if (const auto twin = twinOf(channel))
        twin->resumeWithIdentifyingObject(object);
}

bool TQTMOneCollectorChannelDelegate::isOneCollectorGroup(const std::string& groupId)
{
    const std::string suffix = kOneCollectorGroupIdSuffix;
    return groupId.size() >= suffix.size() &&
           groupId.compare(groupId.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Every log class of this client converts to common-schema logs.
bool TQTMOneCollectorChannelDelegate::shouldSendLogToOneCollector(const TQTMAbstractLog& log)
{
    if (dynamic_cast<const TQTMCommonSchemaLog*>(&log))
        return false;
    const auto tokens = log.transmissionTargetTokens();
    return tokens && !tokens->empty();
}

bool TQTMOneCollectorChannelDelegate::validateLog(const TQTMCommonSchemaLog& log)
{
    return validateLogName(log.name());
}

bool TQTMOneCollectorChannelDelegate::validateLogName(const std::optional<std::string>& name)
{
    if (!name || name->empty()) {
        TQTMLogError(kTQTMCoreLogTag,
                     std::string(kValidationFailed) + " Name must not be nil or empty.");
        return false;
    }
    if (!matchesNamePattern(*name)) {
        TQTMLogError(kTQTMCoreLogTag, std::string(kValidationFailed) + " Name must match '" +
                                          kNamePattern + "' but was '" + *name + "'");
        return false;
    }
    return true;
}

std::shared_ptr<TQTMChannelUnitProtocol>
TQTMOneCollectorChannelDelegate::twinOfGroup(const std::string& groupId) const
{
    std::lock_guard lock(mutex_);
    const auto found = oneCollectorChannels_.find(groupId);
    return found == oneCollectorChannels_.end() ? nullptr : found->second;
}

std::shared_ptr<TQTMChannelUnitProtocol>
TQTMOneCollectorChannelDelegate::twinOf(TQTMChannelProtocol& channel) const
{
    const auto* unit = dynamic_cast<TQTMChannelUnitProtocol*>(&channel);
    return unit ? twinOfGroup(unit->configuration().groupId()) : nullptr;
}
