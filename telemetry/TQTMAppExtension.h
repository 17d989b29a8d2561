#pragma once

#include "telemetry/TQTMSerializableObject.h"

// The application part of a common-schema log. Always valid.
class TQTMAppExtension final : public TQTMSerializableObject {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMAppExtension";

    const std::optional<std::string>& appId() const { return appId_; }
    void setAppId(std::optional<std::string> value) { appId_ = std::move(value); }
    const std::optional<std::string>& ver() const { return ver_; }
    void setVer(std::optional<std::string> value) { ver_ = std::move(value); }
    const std::optional<std::string>& name() const { return name_; }
    void setName(std::optional<std::string> value) { name_ = std::move(value); }
    const std::optional<std::string>& locale() const { return locale_; }
    void setLocale(std::optional<std::string> value) { locale_ = std::move(value); }
    const std::optional<std::string>& userId() const { return userId_; }
    void setUserId(std::optional<std::string> value) { userId_ = std::move(value); }

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
        using Field = std::pair<const char*, decltype(&self.appId_)>;
        return std::array<Field, 5>{{
            {"id", &self.appId_},
            {"ver", &self.ver_},
            {"name", &self.name_},
            {"locale", &self.locale_},
            {"userId", &self.userId_},
        }};
    }

    std::optional<std::string> appId_;
    std::optional<std::string> ver_;
    std::optional<std::string> name_;
    std::optional<std::string> locale_;
    std::optional<std::string> userId_;
};
