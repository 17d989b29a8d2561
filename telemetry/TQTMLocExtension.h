#pragma once

#include "telemetry/TQTMSerializableObject.h"

// The location part of a common-schema log (the time zone). Always valid.
class TQTMLocExtension final : public TQTMSerializableObject {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMLocExtension";

    const std::optional<std::string>& tz() const { return tz_; }
    void setTz(std::optional<std::string> value) { tz_ = std::move(value); }

    // Null when no field is set.
    TQTMJson serializeToDictionary() const override;
    bool isEqual(const TQTMSerializableObject& other) const override;

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    // The text fields as (key, pointer) pairs; const for a const object.
    template <class Self>
    static auto stringFields(Self& self)
    {
        using Field = std::pair<const char*, decltype(&self.tz_)>;
        return std::array<Field, 1>{{
            {"tz", &self.tz_},
        }};
    }

    std::optional<std::string> tz_;
};
