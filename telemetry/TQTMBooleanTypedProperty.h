#pragma once

#include "telemetry/TQTMTypedProperty.h"

// A typed property holding a truth value; its kind name is "boolean".
class TQTMBooleanTypedProperty final : public TQTMTypedProperty {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMBooleanTypedProperty";

    TQTMBooleanTypedProperty();

    bool value() const { return value_; }
    void setValue(bool value) { value_ = value; }

    TQTMJson serializeToDictionary() const override;
    bool isEqual(const TQTMSerializableObject& other) const override;

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    bool value_ = false;
};
