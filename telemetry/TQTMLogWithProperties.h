#pragma once

#include "telemetry/TQTMAbstractLog.h"

#include <map>

// A log with free-form text properties, the base of the error logs.
class TQTMLogWithProperties : public TQTMAbstractLog {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMLogWithProperties";
    using Properties = std::map<std::string, std::string>;

    const std::optional<Properties>& properties() const { return properties_; }
    void setProperties(std::optional<Properties> properties)
    {
        properties_ = std::move(properties);
    }

    // Adds "properties" when there is at least one.
    TQTMJson serializeToDictionary() const override;
    bool isEqual(const TQTMSerializableObject& other) const override;

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    std::optional<Properties> properties_;
};
