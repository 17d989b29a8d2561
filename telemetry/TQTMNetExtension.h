#pragma once

#include "telemetry/TQTMSerializableObject.h"

// The network part of a common-schema log. Always valid.
class TQTMNetExtension final : public TQTMSerializableObject {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMNetExtension";

    const std::optional<std::string>& provider() const { return provider_; }
    void setProvider(std::optional<std::string> value) { provider_ = std::move(value); }

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
        using Field = std::pair<const char*, decltype(&self.provider_)>;
        return std::array<Field, 1>{{
            {"provider", &self.provider_},
        }};
    }

    std::optional<std::string> provider_;
};
