#pragma once

#include "telemetry/TQTMSerializableObject.h"

class TQTMMetadataExtension;
class TQTMProtocolExtension;
class TQTMUserExtension;
class TQTMDeviceExtension;
class TQTMOSExtension;
class TQTMAppExtension;
class TQTMNetExtension;
class TQTMSDKExtension;
class TQTMLocExtension;

// The nine optional extension parts of a common-schema log.
class TQTMCSExtensions final : public TQTMSerializableObject {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMCSExtensions";

    const std::shared_ptr<TQTMMetadataExtension>& metadataExt() const { return metadataExt_; }
    void setMetadataExt(std::shared_ptr<TQTMMetadataExtension> value)
    {
        metadataExt_ = std::move(value);
    }
    const std::shared_ptr<TQTMProtocolExtension>& protocolExt() const { return protocolExt_; }
    void setProtocolExt(std::shared_ptr<TQTMProtocolExtension> value)
    {
        protocolExt_ = std::move(value);
    }
    const std::shared_ptr<TQTMUserExtension>& userExt() const { return userExt_; }
    void setUserExt(std::shared_ptr<TQTMUserExtension> value) { userExt_ = std::move(value); }
    const std::shared_ptr<TQTMDeviceExtension>& deviceExt() const { return deviceExt_; }
    void setDeviceExt(std::shared_ptr<TQTMDeviceExtension> value) { deviceExt_ = std::move(value); }
    const std::shared_ptr<TQTMOSExtension>& osExt() const { return osExt_; }
    void setOsExt(std::shared_ptr<TQTMOSExtension> value) { osExt_ = std::move(value); }
    const std::shared_ptr<TQTMAppExtension>& appExt() const { return appExt_; }
    void setAppExt(std::shared_ptr<TQTMAppExtension> value) { appExt_ = std::move(value); }
    const std::shared_ptr<TQTMNetExtension>& netExt() const { return netExt_; }
    void setNetExt(std::shared_ptr<TQTMNetExtension> value) { netExt_ = std::move(value); }
    const std::shared_ptr<TQTMSDKExtension>& sdkExt() const { return sdkExt_; }
    void setSdkExt(std::shared_ptr<TQTMSDKExtension> value) { sdkExt_ = std::move(value); }
    const std::shared_ptr<TQTMLocExtension>& locExt() const { return locExt_; }
    void setLocExt(std::shared_ptr<TQTMLocExtension> value) { locExt_ = std::move(value); }

    // Each present part under its key; a part that serializes to nothing leaves no key.
    TQTMJson serializeToDictionary() const override;
    // Every present part valid, checked in the order of the parts.
    bool isValid() const override;
    bool isEqual(const TQTMSerializableObject& other) const override;

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    // Calls visit(key, name, member) for each part, in the order the parts are written: the key
    // names it in the JSON and in the archive, the name in the log of an invalid part.
    template <class Visit>
    static void forEachPart(Visit&& visit);

    std::shared_ptr<TQTMMetadataExtension> metadataExt_;
    std::shared_ptr<TQTMProtocolExtension> protocolExt_;
    std::shared_ptr<TQTMUserExtension> userExt_;
    std::shared_ptr<TQTMDeviceExtension> deviceExt_;
    std::shared_ptr<TQTMOSExtension> osExt_;
    std::shared_ptr<TQTMAppExtension> appExt_;
    std::shared_ptr<TQTMNetExtension> netExt_;
    std::shared_ptr<TQTMSDKExtension> sdkExt_;
    std::shared_ptr<TQTMLocExtension> locExt_;
};
