#include "telemetry/TQTMWrapperSdk.h"

#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"

TQTMWrapperSdk::TQTMWrapperSdk(std::optional<std::string> wrapperSdkVersion,
                               std::optional<std::string> wrapperSdkName,
                               std::optional<std::string> wrapperRuntimeVersion,
                               std::optional<std::string> liveUpdateReleaseLabel,
                               std::optional<std::string> liveUpdateDeploymentKey,
                               std::optional<std::string> liveUpdatePackageHash)
    : wrapperSdkVersion_(std::move(wrapperSdkVersion)), wrapperSdkName_(std::move(wrapperSdkName)),
      wrapperRuntimeVersion_(std::move(wrapperRuntimeVersion)),
      liveUpdateReleaseLabel_(std::move(liveUpdateReleaseLabel)),
      liveUpdateDeploymentKey_(std::move(liveUpdateDeploymentKey)),
      liveUpdatePackageHash_(std::move(liveUpdatePackageHash))
{}

TQTMJson TQTMWrapperSdk::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMSerializeStringFields(stringFields(*this));
    return dictionary.is_null() ? TQTMJson::object() : dictionary;
}

bool TQTMWrapperSdk::isEqual(const TQTMSerializableObject& other) const
{
    const auto* wrapper = dynamic_cast<const TQTMWrapperSdk*>(&other);
    return wrapper && TQTMStringFieldsEqual(stringFields(*this), stringFields(*wrapper));
}

void TQTMWrapperSdk::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMEncodeStringFields(coder, stringFields(*this));
}

void TQTMWrapperSdk::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMDecodeStringFields(coder, stringFields(*this));
}
