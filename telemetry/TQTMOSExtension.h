#pragma once

#include "telemetry/TQTMSerializableObject.h"

// The operating-system part of a common-schema log. Always valid.
class TQTMOSExtension final : public TQTMSerializableObject {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMOSExtension";

    const std::optional<std::string>& ver() const { return ver_; }
    void setVer(std::optional<std::string> value) { ver_ = std::move(value); }
    const std::optional<std::string>& name() const { return name_; }
    void setName(std::optional<std::string> value) { name_ = std::move(value); }

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
        using Field = std::pair<const char*, decltype(&self.ver_)>;
        return std::array<Field, 2>{{
            {"ver", &self.ver_},
            {"name", &self.name_},
        }};
    }

    std::optional<std::string> ver_;
    std::optional<std::string> name_;
};
