#pragma once

#include "telemetry/TQTMWrapperSdk.h"

#include <cstdint>

// The machine and application that produced a log, written into every log under "device".
class TQTMDevice final : public TQTMWrapperSdk {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMDevice";

    const std::optional<std::string>& sdkName() const { return sdkName_; }
    void setSdkName(std::optional<std::string> value) { sdkName_ = std::move(value); }
    const std::optional<std::string>& sdkVersion() const { return sdkVersion_; }
    void setSdkVersion(std::optional<std::string> value) { sdkVersion_ = std::move(value); }
    const std::optional<std::string>& model() const { return model_; }
    void setModel(std::optional<std::string> value) { model_ = std::move(value); }
    const std::optional<std::string>& oemName() const { return oemName_; }
    void setOemName(std::optional<std::string> value) { oemName_ = std::move(value); }
    const std::optional<std::string>& osName() const { return osName_; }
    void setOsName(std::optional<std::string> value) { osName_ = std::move(value); }
    const std::optional<std::string>& osVersion() const { return osVersion_; }
    void setOsVersion(std::optional<std::string> value) { osVersion_ = std::move(value); }
    const std::optional<std::string>& osBuild() const { return osBuild_; }
    void setOsBuild(std::optional<std::string> value) { osBuild_ = std::move(value); }
    const std::optional<int64_t>& osApiLevel() const { return osApiLevel_; }
    void setOsApiLevel(std::optional<int64_t> value) { osApiLevel_ = std::move(value); }
    const std::optional<std::string>& locale() const { return locale_; }
    void setLocale(std::optional<std::string> value) { locale_ = std::move(value); }
    const std::optional<int64_t>& timeZoneOffset() const { return timeZoneOffset_; }
    void setTimeZoneOffset(std::optional<int64_t> value) { timeZoneOffset_ = std::move(value); }
    const std::optional<std::string>& screenSize() const { return screenSize_; }
    void setScreenSize(std::optional<std::string> value) { screenSize_ = std::move(value); }
    const std::optional<std::string>& appVersion() const { return appVersion_; }
    void setAppVersion(std::optional<std::string> value) { appVersion_ = std::move(value); }
    const std::optional<std::string>& carrierName() const { return carrierName_; }
    void setCarrierName(std::optional<std::string> value) { carrierName_ = std::move(value); }
    const std::optional<std::string>& carrierCountry() const { return carrierCountry_; }
    void setCarrierCountry(std::optional<std::string> value) { carrierCountry_ = std::move(value); }
    const std::optional<std::string>& appBuild() const { return appBuild_; }
    void setAppBuild(std::optional<std::string> value) { appBuild_ = std::move(value); }
    const std::optional<std::string>& appNamespace() const { return appNamespace_; }
    void setAppNamespace(std::optional<std::string> value) { appNamespace_ = std::move(value); }

    // The wrapper members, then the device members; each only when set.
    TQTMJson serializeToDictionary() const override;
    // Needs sdkName, sdkVersion, osName, osVersion, locale, timeZoneOffset, appVersion, appBuild.
    bool isValid() const override;
    bool isEqual(const TQTMSerializableObject& other) const override;
    std::string description() const;

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    std::optional<std::string> sdkName_;
    std::optional<std::string> sdkVersion_;
    std::optional<std::string> model_;
    std::optional<std::string> oemName_;
    std::optional<std::string> osName_;
    std::optional<std::string> osVersion_;
    std::optional<std::string> osBuild_;
    std::optional<int64_t> osApiLevel_;
    std::optional<std::string> locale_;
    std::optional<int64_t> timeZoneOffset_;
    std::optional<std::string> screenSize_;
    std::optional<std::string> appVersion_;
    std::optional<std::string> carrierName_;
    std::optional<std::string> carrierCountry_;
    std::optional<std::string> appBuild_;
    std::optional<std::string> appNamespace_;

    // The text fields, then the numbers osApiLevel and timeZoneOffset.
    static constexpr auto kFields = std::tuple{
        TQTMModelField{"sdkName", &TQTMDevice::sdkName_},
        TQTMModelField{"sdkVersion", &TQTMDevice::sdkVersion_},
        TQTMModelField{"model", &TQTMDevice::model_},
        TQTMModelField{"oemName", &TQTMDevice::oemName_},
        TQTMModelField{"osName", &TQTMDevice::osName_},
        TQTMModelField{"osVersion", &TQTMDevice::osVersion_},
        TQTMModelField{"osBuild", &TQTMDevice::osBuild_},
        TQTMModelField{"locale", &TQTMDevice::locale_},
        TQTMModelField{"screenSize", &TQTMDevice::screenSize_},
        TQTMModelField{"appVersion", &TQTMDevice::appVersion_},
        TQTMModelField{"carrierName", &TQTMDevice::carrierName_},
        TQTMModelField{"carrierCountry", &TQTMDevice::carrierCountry_},
        TQTMModelField{"appBuild", &TQTMDevice::appBuild_},
        TQTMModelField{"appNamespace", &TQTMDevice::appNamespace_},
        TQTMModelField{"osApiLevel", &TQTMDevice::osApiLevel_},
        TQTMModelField{"timeZoneOffset", &TQTMDevice::timeZoneOffset_},
    };
};
