#pragma once

#include "telemetry/TQTMTypedProperty.h"

// A typed property holding a floating-point number; its kind name is "double".
class TQTMDoubleTypedProperty final : public TQTMTypedProperty {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMDoubleTypedProperty";

    TQTMDoubleTypedProperty();

    double value() const { return value_; }
    void setValue(double value) { value_ = value; }

    TQTMJson serializeToDictionary() const override;
    bool isEqual(const TQTMSerializableObject& other) const override;

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    double value_ = 0;
};
