#pragma once

#include "telemetry/TQTMTypedProperty.h"

#include <cstdint>

// A typed property holding a signed 64-bit integer; its kind name is "long".
class TQTMLongTypedProperty final : public TQTMTypedProperty {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMLongTypedProperty";

    TQTMLongTypedProperty();

    int64_t value() const { return value_; }
    void setValue(int64_t value) { value_ = value; }

    TQTMJson serializeToDictionary() const override;
    bool isEqual(const TQTMSerializableObject& other) const override;

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    int64_t value_ = 0;
};
