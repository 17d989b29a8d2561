#include "telemetry/TQTMWrapperSdk.h"

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
    TQTMJson dictionary = TQTMTextFieldRecord::serializeToDictionary();
    return dictionary.is_null() ? TQTMJson::object() : dictionary;
}
