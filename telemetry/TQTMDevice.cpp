#include "telemetry/TQTMDevice.h"

#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"
#include "telemetry/TQTMUtility.h"

TQTMJson TQTMDevice::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMWrapperSdk::serializeToDictionary();
    const TQTMJson own = TQTMSerializeTextFields(*this, kTextFields);
    if (own.is_object())
        dictionary.update(own);
    if (osApiLevel_)
        dictionary["osApiLevel"] = *osApiLevel_;
    if (timeZoneOffset_)
        dictionary["timeZoneOffset"] = *timeZoneOffset_;
    return dictionary;
}

bool TQTMDevice::isValid() const
{
    const std::pair<const char*, bool> required[] = {
        {"sdkName", sdkName_.has_value()},       {"sdkVersion", sdkVersion_.has_value()},
        {"osName", osName_.has_value()},         {"osVersion", osVersion_.has_value()},
        {"locale", locale_.has_value()},         {"timeZoneOffset", timeZoneOffset_.has_value()},
        {"appVersion", appVersion_.has_value()}, {"appBuild", appBuild_.has_value()},
    };
    for (const auto& [field, present] : required)
        if (!present)
            return TQTMReportInvalidField(kArchiveClassName, field);
    return true;
}

bool TQTMDevice::isEqual(const TQTMSerializableObject& other) const
{
    const auto* device = dynamic_cast<const TQTMDevice*>(&other);
    return device && TQTMWrapperSdk::isEqual(other) &&
           TQTMTextFieldsEqual(*this, *device, kTextFields) &&
           osApiLevel_ == device->osApiLevel_ && timeZoneOffset_ == device->timeZoneOffset_;
}

std::string TQTMDevice::description() const
{
    return TQTMUtility::jsonText(serializeToDictionary(), true);
}

void TQTMDevice::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMWrapperSdk::encodeWithCoder(coder);
    TQTMEncodeTextFields(coder, *this, kTextFields);
    if (osApiLevel_)
        coder.encodeInt64("osApiLevel", *osApiLevel_);
    if (timeZoneOffset_)
        coder.encodeInt64("timeZoneOffset", *timeZoneOffset_);
}

void TQTMDevice::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMWrapperSdk::initWithCoder(coder);
    TQTMDecodeTextFields(coder, *this, kTextFields);
    if (coder.containsValueForKey("osApiLevel"))
        osApiLevel_ = coder.decodeInt64("osApiLevel");
    if (coder.containsValueForKey("timeZoneOffset"))
        timeZoneOffset_ = coder.decodeInt64("timeZoneOffset");
}
