#include "telemetry/TQTMAbstractLog.h"

#include "platform/system/AppInfo.h"
#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"
#include "telemetry/TQTMAppExtension.h"
#include "telemetry/TQTMCSExtensions.h"
#include "telemetry/TQTMCommonSchemaLog.h"
#include "telemetry/TQTMDevice.h"
#include "telemetry/TQTMDeviceExtension.h"
#include "telemetry/TQTMLocExtension.h"
#include "telemetry/TQTMNetExtension.h"
#include "telemetry/TQTMOSExtension.h"
#include "telemetry/TQTMProtocolExtension.h"
#include "telemetry/TQTMSDKExtension.h"
#include "telemetry/TQTMUserExtension.h"
#include "telemetry/TQTMUserIdContext.h"
#include "telemetry/TQTMUtility.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

std::optional<std::set<std::string>> TQTMAbstractLog::transmissionTargetTokens() const
{
    std::lock_guard lock(tokensMutex_);
    return transmissionTargetTokens_;
}

void TQTMAbstractLog::setTransmissionTargetTokens(std::optional<std::set<std::string>> tokens)
{
    std::lock_guard lock(tokensMutex_);
    transmissionTargetTokens_ = std::move(tokens);
}

void TQTMAbstractLog::addTransmissionTargetToken(const std::string& token)
{
    std::lock_guard lock(tokensMutex_);
    if (!transmissionTargetTokens_)
        transmissionTargetTokens_.emplace();
    transmissionTargetTokens_->insert(token);
}

TQTMJson TQTMAbstractLog::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMJson::object();
    TQTMPutFields(dictionary, *this, kFields);
    return dictionary;
}

std::optional<std::string> TQTMAbstractLog::serializeLogWithPrettyPrinting(bool prettyPrint) const
{
    const TQTMJson dictionary = serializeToDictionary();
    if (dictionary.is_null())
        return std::nullopt;
    return TQTMUtility::jsonText(dictionary, prettyPrint);
}

bool TQTMAbstractLog::isValid() const
{
    if (!type_)
        return TQTMReportInvalidField(archiveClassName(), "type");
    if (!timestamp_)
        return TQTMReportInvalidField(archiveClassName(), "timestamp");
    if (!device_ || !device_->isValid())
        return TQTMReportInvalidField(archiveClassName(), "device");
    return true;
}

bool TQTMAbstractLog::isEqual(const TQTMSerializableObject& other) const
{
    const auto* log = dynamic_cast<const TQTMAbstractLog*>(&other);
    return log && tag_ == log->tag_ && TQTMFieldsEqual(*this, *log, kFields);
}

std::optional<std::vector<std::shared_ptr<TQTMCommonSchemaLog>>>
TQTMAbstractLog::toCommonSchemaLogsWithFlags(int64_t flags) const
{
    std::vector<std::shared_ptr<TQTMCommonSchemaLog>> logs;
    for (const std::string& token : transmissionTargetTokens().value_or(std::set<std::string>{}))
        if (auto log = toCommonSchemaLogForTargetTokenFlags(token, flags))
            logs.push_back(std::move(log));
    if (logs.empty())
        return std::nullopt;
    return logs;
}

std::shared_ptr<TQTMCommonSchemaLog>
TQTMAbstractLog::toCommonSchemaLogForTargetTokenFlags(const std::string& token, int64_t flags) const
{
    auto log = std::make_shared<TQTMCommonSchemaLog>();
    log->setTransmissionTargetTokens(std::set<std::string>{token});
    log->setVer("3.0");
    log->setTimestamp(timestamp_);
    log->setIKey(TQTMUtility::iKeyFromTargetToken(token));
    log->setFlags(flags);

    const TQTMDevice empty;
    const TQTMDevice& device = device_ ? *device_ : empty;
    auto ext = std::make_shared<TQTMCSExtensions>();

    auto protocolExt = std::make_shared<TQTMProtocolExtension>();
    protocolExt->setDevMake(device.oemName());
    protocolExt->setDevModel(device.model());
    ext->setProtocolExt(protocolExt);

    auto userExt = std::make_shared<TQTMUserExtension>();
    userExt->setLocalId(TQTMUserIdContext::prefixedUserIdFromUserId(userId_));
    if (std::optional<std::string> locale = device.locale()) {
        std::replace(locale->begin(), locale->end(), '_', '-');
        userExt->setLocale(std::move(locale));
    }
    ext->setUserExt(userExt);

    auto osExt = std::make_shared<TQTMOSExtension>();
    osExt->setName(device.osName());
    osExt->setVer(combineOsVersionWithBuild(device.osVersion(), device.osBuild()));
    ext->setOsExt(osExt);

    auto appExt = std::make_shared<TQTMAppExtension>();
    if (device.appNamespace())
        appExt->setAppId("I:" + *device.appNamespace());
    appExt->setVer(device.appVersion());
    appExt->setLocale(
        sonvale::AppInfo::main().stringForInfoDictionaryKey("CFBundleDevelopmentRegion"));
    ext->setAppExt(appExt);

    auto netExt = std::make_shared<TQTMNetExtension>();
    netExt->setProvider(device.carrierName());
    ext->setNetExt(netExt);

    auto sdkExt = std::make_shared<TQTMSDKExtension>();
    sdkExt->setLibVer(combineSDKLibVerWithVersion(device.sdkName(), device.sdkVersion()));
    ext->setSdkExt(sdkExt);

    auto locExt = std::make_shared<TQTMLocExtension>();
    if (device.timeZoneOffset())
        locExt->setTz(convertTimeZoneOffsetToISO8601(*device.timeZoneOffset()));
    ext->setLocExt(locExt);

    ext->setDeviceExt(std::make_shared<TQTMDeviceExtension>());
    log->setExt(ext);
    return log;
}

std::optional<std::string>
TQTMAbstractLog::combineOsVersionWithBuild(const std::optional<std::string>& version,
                                           const std::optional<std::string>& build)
{
    std::optional<std::string> text;
    if (version && !version->empty())
        text = "Version " + *version;
    if (build && !build->empty())
        text = (text ? *text + " " : std::string()) + "(Build " + *build + ")";
    return text;
}

std::optional<std::string>
TQTMAbstractLog::combineSDKLibVerWithVersion(const std::optional<std::string>& name,
                                             const std::optional<std::string>& version)
{
    if (!name || name->empty() || !version || version->empty())
        return std::nullopt;
    return *name + "-" + *version;
}

std::string TQTMAbstractLog::convertTimeZoneOffsetToISO8601(int64_t minutes)
{
    // The sign comes from the whole offset, so that -30 minutes reads -00:30.
    const long long magnitude = std::llabs(minutes);
    char text[32];
    std::snprintf(text, sizeof text, "%c%02lld:%02lld", minutes < 0 ? '-' : '+', magnitude / 60,
                  magnitude % 60);
    return text;
}

void TQTMAbstractLog::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMEncodeFields(coder, *this, kFields);
}

void TQTMAbstractLog::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMDecodeFields(coder, *this, kFields);
}
