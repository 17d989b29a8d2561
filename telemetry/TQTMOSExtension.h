#pragma once

#include "telemetry/TQTMTextFieldRecord.h"

// The operating-system part of a common-schema log. Always valid.
class TQTMOSExtension final : public TQTMTextFieldRecord<TQTMOSExtension> {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMOSExtension";

    const std::optional<std::string>& ver() const { return ver_; }
    void setVer(std::optional<std::string> value) { ver_ = std::move(value); }
    const std::optional<std::string>& name() const { return name_; }
    void setName(std::optional<std::string> value) { name_ = std::move(value); }

private:
    friend TQTMTextFieldRecord<TQTMOSExtension>;

    std::optional<std::string> ver_;
    std::optional<std::string> name_;

    static constexpr TextField kTextFields[] = {
        {"ver", &TQTMOSExtension::ver_},
        {"name", &TQTMOSExtension::name_},
    };
};
