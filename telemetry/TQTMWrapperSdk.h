#pragma once

#include "telemetry/TQTMTextFieldRecord.h"

// An optional wrapper framework that embeds the telemetry client; the base of the device record.
class TQTMWrapperSdk : public TQTMTextFieldRecord<TQTMWrapperSdk> {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMWrapperSdk";

    TQTMWrapperSdk() = default;
    TQTMWrapperSdk(std::optional<std::string> wrapperSdkVersion,
                   std::optional<std::string> wrapperSdkName,
                   std::optional<std::string> wrapperRuntimeVersion,
                   std::optional<std::string> liveUpdateReleaseLabel,
                   std::optional<std::string> liveUpdateDeploymentKey,
                   std::optional<std::string> liveUpdatePackageHash);

    const std::optional<std::string>& wrapperSdkVersion() const { return wrapperSdkVersion_; }
    void setWrapperSdkVersion(std::optional<std::string> value)
    {
        wrapperSdkVersion_ = std::move(value);
    }
    const std::optional<std::string>& wrapperSdkName() const { return wrapperSdkName_; }
    void setWrapperSdkName(std::optional<std::string> value) { wrapperSdkName_ = std::move(value); }
    const std::optional<std::string>& wrapperRuntimeVersion() const
    {
        return wrapperRuntimeVersion_;
    }
    void setWrapperRuntimeVersion(std::optional<std::string> value)
    {
        wrapperRuntimeVersion_ = std::move(value);
    }
    const std::optional<std::string>& liveUpdateReleaseLabel() const
    {
        return liveUpdateReleaseLabel_;
    }
    void setLiveUpdateReleaseLabel(std::optional<std::string> value)
    {
        liveUpdateReleaseLabel_ = std::move(value);
    }
    const std::optional<std::string>& liveUpdateDeploymentKey() const
    {
        return liveUpdateDeploymentKey_;
    }
    void setLiveUpdateDeploymentKey(std::optional<std::string> value)
    {
        liveUpdateDeploymentKey_ = std::move(value);
    }
    const std::optional<std::string>& liveUpdatePackageHash() const
    {
        return liveUpdatePackageHash_;
    }
    void setLiveUpdatePackageHash(std::optional<std::string> value)
    {
        liveUpdatePackageHash_ = std::move(value);
    }

    // Always an object (possibly empty): the device adds its members to it.
    TQTMJson serializeToDictionary() const override;

private:
    friend TQTMTextFieldRecord<TQTMWrapperSdk>;

    std::optional<std::string> wrapperSdkVersion_;
    std::optional<std::string> wrapperSdkName_;
    std::optional<std::string> wrapperRuntimeVersion_;
    std::optional<std::string> liveUpdateReleaseLabel_;
    std::optional<std::string> liveUpdateDeploymentKey_;
    std::optional<std::string> liveUpdatePackageHash_;

    static constexpr TextField kTextFields[] = {
        {"wrapperSdkVersion", &TQTMWrapperSdk::wrapperSdkVersion_},
        {"wrapperSdkName", &TQTMWrapperSdk::wrapperSdkName_},
        {"wrapperRuntimeVersion", &TQTMWrapperSdk::wrapperRuntimeVersion_},
        {"liveUpdateReleaseLabel", &TQTMWrapperSdk::liveUpdateReleaseLabel_},
        {"liveUpdateDeploymentKey", &TQTMWrapperSdk::liveUpdateDeploymentKey_},
        {"liveUpdatePackageHash", &TQTMWrapperSdk::liveUpdatePackageHash_},
    };
};
