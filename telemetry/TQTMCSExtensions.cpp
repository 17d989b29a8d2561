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

template <class Part>
void decodePart(sonvale::KeyedUnarchiver& coder, const char* key, std::shared_ptr<Part>& part)
{
    part = coder.decodeObjectOfClass<Part>(key);
}

} // namespace

template <class Visit>
void TQTMCSExtensions::forEachPart(Visit&& visit)
{
    visit("metadata", "metadataExt", &TQTMCSExtensions::metadataExt_);
    visit("protocol", "protocolExt", &TQTMCSExtensions::protocolExt_);
    visit("user", "userExt", &TQTMCSExtensions::userExt_);
    visit("device", "deviceExt", &TQTMCSExtensions::deviceExt_);
    visit("os", "osExt", &TQTMCSExtensions::osExt_);
    visit("app", "appExt", &TQTMCSExtensions::appExt_);
    visit("net", "netExt", &TQTMCSExtensions::netExt_);
    visit("sdk", "sdkExt", &TQTMCSExtensions::sdkExt_);
    visit("loc", "locExt", &TQTMCSExtensions::locExt_);
}

TQTMJson TQTMCSExtensions::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMJson::object();
    forEachPart([&](const char* key, const char*, auto member) {
        addPart(dictionary, key, (this->*member).get());
    });
    return dictionary;
}

bool TQTMCSExtensions::isValid() const
{
    bool valid = true;
    forEachPart([&](const char*, const char* name, auto member) {
        const auto& part = this->*member;
        if (valid && part && !part->isValid())
            valid = TQTMReportInvalidField(kArchiveClassName, name);
    });
    return valid;
}

bool TQTMCSExtensions::isEqual(const TQTMSerializableObject& other) const
{
    const auto* extensions = dynamic_cast<const TQTMCSExtensions*>(&other);
    if (!extensions)
        return false;
    bool equal = true;
    forEachPart([&](const char*, const char*, auto member) {
        equal = equal && TQTMObjectsEqual(this->*member, extensions->*member);
    });
    return equal;
}

void TQTMCSExtensions::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    forEachPart([&](const char* key, const char*, auto member) {
        coder.encodeObject(key, (this->*member).get());
    });
}

void TQTMCSExtensions::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    forEachPart([&](const char* key, const char*, auto member) {
        decodePart(coder, key, this->*member);
    });
}
