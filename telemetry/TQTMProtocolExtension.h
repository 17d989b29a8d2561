#pragma once

#include "telemetry/TQTMModelField.h"

#include <vector>

// The protocol part of a common-schema log: ticket keys and the device's make and model. Always
// valid.
class TQTMProtocolExtension final : public TQTMSerializableObject {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMProtocolExtension";

    const std::optional<std::vector<std::string>>& ticketKeys() const { return ticketKeys_; }
    void setTicketKeys(std::optional<std::vector<std::string>> value)
    {
        ticketKeys_ = std::move(value);
    }
    const std::optional<std::string>& devMake() const { return devMake_; }
    void setDevMake(std::optional<std::string> value) { devMake_ = std::move(value); }
    const std::optional<std::string>& devModel() const { return devModel_; }
    void setDevModel(std::optional<std::string> value) { devModel_ = std::move(value); }

    // Null when no field is set.
    TQTMJson serializeToDictionary() const override;
    bool isEqual(const TQTMSerializableObject& other) const override;

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    std::optional<std::vector<std::string>> ticketKeys_;
    std::optional<std::string> devMake_;
    std::optional<std::string> devModel_;

    static constexpr auto kFields = std::tuple{
        TQTMModelField{"ticketKeys", &TQTMProtocolExtension::ticketKeys_},
        TQTMModelField{"devMake", &TQTMProtocolExtension::devMake_},
        TQTMModelField{"devModel", &TQTMProtocolExtension::devModel_},
    };
};
