#pragma once

#include "telemetry/TQTMAbstractLog.h"

// Tells the ingestion which services the application started ("Crashes" here). Its session id is
// never filled in automatically.
class TQTMStartServiceLog final : public TQTMAbstractLog {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMStartServiceLog";

    TQTMStartServiceLog();

    const std::optional<std::vector<std::string>>& services() const { return services_; }
    void setServices(std::optional<std::vector<std::string>> services)
    {
        services_ = std::move(services);
    }
    bool isOneCollectorEnabled() const { return isOneCollectorEnabled_; }
    void setIsOneCollectorEnabled(bool enabled) { isOneCollectorEnabled_ = enabled; }

    // Adds "services" and "isOneCollectorEnabled" when there are services.
    TQTMJson serializeToDictionary() const override;
    // isOneCollectorEnabled takes no part.
    bool isEqual(const TQTMSerializableObject& other) const override;

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    std::optional<std::vector<std::string>> services_;
    bool isOneCollectorEnabled_ = false;
};
