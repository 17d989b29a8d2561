#include "telemetry/TQTMDevice.h"

#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"
#include "telemetry/TQTMUtility.h"

TQTMJson TQTMDevice::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMWrapperSdk::serializeToDictionary();
    TQTMPutFields(dictionary, *this, kFields);
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
    return device && TQTMWrapperSdk::isEqual(other) && TQTMFieldsEqual(*this, *device, kFields);
}

std::string TQTMDevice::description() const
{
    return TQTMUtility::jsonText(serializeToDictionary(), true);
}

void TQTMDevice::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMWrapperSdk::encodeWithCoder(coder);
    TQTMEncodeFields(coder, *this, kFields);
}

void TQTMDevice::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMWrapperSdk::initWithCoder(coder);
    TQTMDecodeFields(coder, *this, kFields);
}
