#include "telemetry/TQTMCSExtensions.h"

#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"
#include "telemetry/TQTMAppExtension.h"
#include "telemetry/TQTMDeviceExtension.h"
#include "telemetry/TQTMLocExtension.h"
#include "telemetry/TQTMMetadataExtension.h"
#include "telemetry/TQTMNetExtension.h"
#include "telemetry/TQTMOSExtension.h"
#include "telemetry/TQTMProtocolExtension.h"
#include "telemetry/TQTMSDKExtension.h"
#include "telemetry/TQTMUserExtension.h"

namespace {

void addPart(TQTMJson& dictionary, const char* key, const TQTMSerializableObject* part)
{
    if (!part)
        return;
    TQTMJson serialized = part->serializeToDictionary();
    if (!serialized.is_null())
        dictionary[key] = std::move(serialized);
}

} // namespace

TQTMJson TQTMCSExtensions::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMJson::object();
    addPart(dictionary, "metadata", metadataExt_.get());
    addPart(dictionary, "protocol", protocolExt_.get());
    addPart(dictionary, "user", userExt_.get());
    addPart(dictionary, "device", deviceExt_.get());
    addPart(dictionary, "os", osExt_.get());
    addPart(dictionary, "app", appExt_.get());
    addPart(dictionary, "net", netExt_.get());
    addPart(dictionary, "sdk", sdkExt_.get());
    addPart(dictionary, "loc", locExt_.get());
    return dictionary;
}

bool TQTMCSExtensions::isValid() const
{
    if (metadataExt_ && !metadataExt_->isValid())
        return TQTMReportInvalidField(kArchiveClassName, "metadataExt");
    if (protocolExt_ && !protocolExt_->isValid())
        return TQTMReportInvalidField(kArchiveClassName, "protocolExt");
    if (userExt_ && !userExt_->isValid())
        return TQTMReportInvalidField(kArchiveClassName, "userExt");
    if (deviceExt_ && !deviceExt_->isValid())
        return TQTMReportInvalidField(kArchiveClassName, "deviceExt");
    if (osExt_ && !osExt_->isValid())
        return TQTMReportInvalidField(kArchiveClassName, "osExt");
    if (appExt_ && !appExt_->isValid())
        return TQTMReportInvalidField(kArchiveClassName, "appExt");
    if (netExt_ && !netExt_->isValid())
        return TQTMReportInvalidField(kArchiveClassName, "netExt");
    if (sdkExt_ && !sdkExt_->isValid())
        return TQTMReportInvalidField(kArchiveClassName, "sdkExt");
    if (locExt_ && !locExt_->isValid())
        return TQTMReportInvalidField(kArchiveClassName, "locExt");
    return true;
}

bool TQTMCSExtensions::isEqual(const TQTMSerializableObject& other) const
{
    const auto* part = dynamic_cast<const TQTMCSExtensions*>(&other);
    return part && TQTMObjectsEqual(metadataExt_, part->metadataExt_) &&
           TQTMObjectsEqual(protocolExt_, part->protocolExt_) &&
           TQTMObjectsEqual(userExt_, part->userExt_) &&
           TQTMObjectsEqual(deviceExt_, part->deviceExt_) &&
           TQTMObjectsEqual(osExt_, part->osExt_) && TQTMObjectsEqual(appExt_, part->appExt_) &&
           TQTMObjectsEqual(netExt_, part->netExt_) && TQTMObjectsEqual(sdkExt_, part->sdkExt_) &&
           TQTMObjectsEqual(locExt_, part->locExt_);
}

void TQTMCSExtensions::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    coder.encodeObject("metadata", metadataExt_.get());
    coder.encodeObject("protocol", protocolExt_.get());
    coder.encodeObject("user", userExt_.get());
    coder.encodeObject("device", deviceExt_.get());
    coder.encodeObject("os", osExt_.get());
    coder.encodeObject("app", appExt_.get());
    coder.encodeObject("net", netExt_.get());
    coder.encodeObject("sdk", sdkExt_.get());
    coder.encodeObject("loc", locExt_.get());
}

void TQTMCSExtensions::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    metadataExt_ = coder.decodeObjectOfClass<TQTMMetadataExtension>("metadata");
    protocolExt_ = coder.decodeObjectOfClass<TQTMProtocolExtension>("protocol");
    userExt_ = coder.decodeObjectOfClass<TQTMUserExtension>("user");
    deviceExt_ = coder.decodeObjectOfClass<TQTMDeviceExtension>("device");
    osExt_ = coder.decodeObjectOfClass<TQTMOSExtension>("os");
    appExt_ = coder.decodeObjectOfClass<TQTMAppExtension>("app");
    netExt_ = coder.decodeObjectOfClass<TQTMNetExtension>("net");
    sdkExt_ = coder.decodeObjectOfClass<TQTMSDKExtension>("sdk");
    locExt_ = coder.decodeObjectOfClass<TQTMLocExtension>("loc");
}
