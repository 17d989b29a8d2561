#pragma once

#include "platform/system/Clock.h"
#include "telemetry/TQTMTypedProperty.h"

// A typed property holding a date, written as ISO 8601 text in UTC with milliseconds; its kind name
// is "dateTime".
class TQTMDateTimeTypedProperty final : public TQTMTypedProperty {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMDateTimeTypedProperty";

    TQTMDateTimeTypedProperty();

    const std::optional<sonvale::TimePoint>& value() const { return value_; }
    void setValue(std::optional<sonvale::TimePoint> value) { value_ = std::move(value); }

    TQTMJson serializeToDictionary() const override;
    bool isEqual(const TQTMSerializableObject& other) const override;

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    std::optional<sonvale::TimePoint> value_;
};
