#pragma once

#include "telemetry/TQTMChannelUnitConfiguration.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class TQTMChannelGroupProtocol;

// What the SDK entry point needs of a service to start it. A service is one process-wide object;
// the SDK keeps the started ones.
class TQTMServiceCommon {
public:
    virtual ~TQTMServiceCommon() = default;

    // The name in the start-service log and in "TELEMETRY_DISABLE".
    virtual std::string serviceName() const = 0;
    virtual std::string groupId() const = 0;
    // The service's own channel unit, if it has one.
    virtual std::optional<TQTMChannelUnitConfiguration> channelUnitConfiguration() const
    {
        return std::nullopt;
    }
    // Higher priorities start first.
    virtual int64_t initializationPriority() const = 0;
    virtual bool isAppSecretRequired() const = 0;

    virtual void applyEnabledState(bool enabled) = 0;
    virtual bool canBeUsed() = 0;
    virtual void startWithChannelGroupAppSecretTransmissionTargetTokenFromApplication(
        std::shared_ptr<TQTMChannelGroupProtocol> channelGroup, std::optional<std::string> appSecret,
        std::optional<std::string> transmissionTargetToken, bool fromApplication) = 0;
    virtual void
    updateConfigurationWithAppSecretTransmissionTargetToken(std::optional<std::string> appSecret,
                                                            std::optional<std::string> token) = 0;
    virtual bool isStartedFromApplication() const = 0;
    virtual bool isAvailable() = 0;
    // The stored switch, without checks.
    virtual bool isEnabled() = 0;
    virtual void setEnabled(bool enabled) = 0;
    // The switch as the application uses it: refused before the start and while the SDK is off.
    virtual bool serviceIsEnabled() = 0;
    virtual void serviceSetEnabled(bool enabled) = 0;
};
