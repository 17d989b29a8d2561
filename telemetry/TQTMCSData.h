#pragma once

#include "telemetry/TQTMSerializableObject.h"

// The payload of a common-schema log: its properties, with "baseType" and "baseData" written
// first. Always valid.
class TQTMCSData final : public TQTMSerializableObject {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMCSData";

    const std::optional<TQTMJson>& properties() const { return properties_; }
    void setProperties(std::optional<TQTMJson> value) { properties_ = std::move(value); }

    // Null without a dictionary.
    TQTMJson serializeToDictionary() const override;
    bool isEqual(const TQTMSerializableObject& other) const override;

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    // The dictionary is the object's one unkeyed value.
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    std::optional<TQTMJson> properties_;
};
