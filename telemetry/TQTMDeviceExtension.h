#pragma once

#include "telemetry/TQTMSerializableObject.h"

// The device part of a common-schema log. Always valid.
class TQTMDeviceExtension final : public TQTMSerializableObject {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMDeviceExtension";

    const std::optional<std::string>& localId() const { return localId_; }
    void setLocalId(std::optional<std::string> value) { localId_ = std::move(value); }

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
        using Field = std::pair<const char*, decltype(&self.localId_)>;
        return std::array<Field, 1>{{
            {"localId", &self.localId_},
        }};
    }

    std::optional<std::string> localId_;
};
