#pragma once

#include "telemetry/TQTMTextFieldRecord.h"

// The application part of a common-schema log. Always valid.
class TQTMAppExtension final : public TQTMTextFieldRecord<TQTMAppExtension> {
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

private:
    friend TQTMTextFieldRecord<TQTMAppExtension>;

    std::optional<std::string> appId_;
    std::optional<std::string> ver_;
    std::optional<std::string> name_;
    std::optional<std::string> locale_;
    std::optional<std::string> userId_;

    static constexpr TextField kTextFields[] = {
        {"id", &TQTMAppExtension::appId_},
        {"ver", &TQTMAppExtension::ver_},
        {"name", &TQTMAppExtension::name_},
        {"locale", &TQTMAppExtension::locale_},
        {"userId", &TQTMAppExtension::userId_},
    };
};
