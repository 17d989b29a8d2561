#pragma once

#include "telemetry/TQTMSerializableObject.h"

// The user part of a common-schema log. Always valid.
class TQTMUserExtension final : public TQTMSerializableObject {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMUserExtension";

    const std::optional<std::string>& localId() const { return localId_; }
    void setLocalId(std::optional<std::string> value) { localId_ = std::move(value); }
    const std::optional<std::string>& locale() const { return locale_; }
    void setLocale(std::optional<std::string> value) { locale_ = std::move(value); }

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
        return std::array<Field, 2>{{
            {"localId", &self.localId_},
            {"locale", &self.locale_},
        }};
    }

    std::optional<std::string> localId_;
    std::optional<std::string> locale_;
};
