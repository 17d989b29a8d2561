#pragma once

#include "telemetry/TQTMTextFieldRecord.h"

// The user part of a common-schema log. Always valid.
class TQTMUserExtension final : public TQTMTextFieldRecord<TQTMUserExtension> {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMUserExtension";

    const std::optional<std::string>& localId() const { return localId_; }
    void setLocalId(std::optional<std::string> value) { localId_ = std::move(value); }
    const std::optional<std::string>& locale() const { return locale_; }
    void setLocale(std::optional<std::string> value) { locale_ = std::move(value); }

private:
    friend TQTMTextFieldRecord<TQTMUserExtension>;

    std::optional<std::string> localId_;
    std::optional<std::string> locale_;

    static constexpr TextField kTextFields[] = {
        {"localId", &TQTMUserExtension::localId_},
        {"locale", &TQTMUserExtension::locale_},
    };
};
