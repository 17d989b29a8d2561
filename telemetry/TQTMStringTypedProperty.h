#pragma once

#include "telemetry/TQTMTypedProperty.h"

// A typed property holding a text; its kind name is "string".
class TQTMStringTypedProperty final : public TQTMTypedProperty {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMStringTypedProperty";

    TQTMStringTypedProperty();

    const std::optional<std::string>& value() const { return value_; }
    void setValue(std::optional<std::string> value) { value_ = std::move(value); }

    TQTMJson serializeToDictionary() const override;
    bool isEqual(const TQTMSerializableObject& other) const override;

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    std::optional<std::string> value_;
};
