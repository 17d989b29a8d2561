#pragma once

#include "telemetry/TQTMTextFieldRecord.h"

// The location part of a common-schema log (the time zone). Always valid.
class TQTMLocExtension final : public TQTMTextFieldRecord<TQTMLocExtension> {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMLocExtension";

    const std::optional<std::string>& tz() const { return tz_; }
    void setTz(std::optional<std::string> value) { tz_ = std::move(value); }

private:
    friend TQTMTextFieldRecord<TQTMLocExtension>;

    std::optional<std::string> tz_;

    static constexpr TextField kTextFields[] = {
        {"tz", &TQTMLocExtension::tz_},
    };
};
