#pragma once

#include "telemetry/TQTMTextFieldRecord.h"

// The device part of a common-schema log. Always valid.
class TQTMDeviceExtension final : public TQTMTextFieldRecord<TQTMDeviceExtension> {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMDeviceExtension";

    const std::optional<std::string>& localId() const { return localId_; }
    void setLocalId(std::optional<std::string> value) { localId_ = std::move(value); }

private:
    friend TQTMTextFieldRecord<TQTMDeviceExtension>;

    std::optional<std::string> localId_;

    static constexpr TextField kTextFields[] = {
        {"localId", &TQTMDeviceExtension::localId_},
    };
};
