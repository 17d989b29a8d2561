#pragma once

#include "platform/system/Uuid.h"
#include "telemetry/TQTMTextFieldRecord.h"

#include <cstdint>

// The client part of a common-schema log: library version, epoch, sequence number and the
// installation id. Always valid.
class TQTMSDKExtension final : public TQTMTextFieldRecord<TQTMSDKExtension> {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMSDKExtension";

    const std::optional<std::string>& libVer() const { return libVer_; }
    void setLibVer(std::optional<std::string> value) { libVer_ = std::move(value); }
    const std::optional<std::string>& epoch() const { return epoch_; }
    void setEpoch(std::optional<std::string> value) { epoch_ = std::move(value); }
    int64_t seq() const { return seq_; }
    void setSeq(int64_t seq) { seq_ = seq; }
    const std::optional<sonvale::Uuid>& installId() const { return installId_; }
    void setInstallId(std::optional<sonvale::Uuid> value) { installId_ = std::move(value); }

    // Null when no field is set; "seq" only when not 0.
    TQTMJson serializeToDictionary() const override;
    bool isEqual(const TQTMSerializableObject& other) const override;

    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    friend TQTMTextFieldRecord<TQTMSDKExtension>;

    std::optional<std::string> libVer_;
    std::optional<std::string> epoch_;
    int64_t seq_ = 0;
    std::optional<sonvale::Uuid> installId_;

    static constexpr TextField kTextFields[] = {
        {"libVer", &TQTMSDKExtension::libVer_},
        {"epoch", &TQTMSDKExtension::epoch_},
    };
};
