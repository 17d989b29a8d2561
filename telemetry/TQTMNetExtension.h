#pragma once

#include "telemetry/TQTMTextFieldRecord.h"

// The network part of a common-schema log. Always valid.
class TQTMNetExtension final : public TQTMTextFieldRecord<TQTMNetExtension> {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMNetExtension";

    const std::optional<std::string>& provider() const { return provider_; }
    void setProvider(std::optional<std::string> value) { provider_ = std::move(value); }

private:
    friend TQTMTextFieldRecord<TQTMNetExtension>;

    std::optional<std::string> provider_;

    static constexpr TextField kTextFields[] = {
        {"provider", &TQTMNetExtension::provider_},
    };
};
