#pragma once

#include "telemetry/TQTMServiceCommon.h"

#include <mutex>

class TQTMChannelUnitProtocol;

// The base of every telemetry service: its start state and configuration, its enabled flag
// (persisted under "<group id>IsEnabled", absent meaning enabled) and its channel unit. The SDK
// entry point starts it under the SDK's lock; the application switches it through
// serviceSetEnabled(). Safe from any thread: the switch takes the service's own lock.
class TQTMServiceAbstract : public TQTMServiceCommon {
public:
    int64_t initializationPriority() const override { return 500; }
    bool isAppSecretRequired() const override { return true; }

    void applyEnabledState(bool enabled) override;
    bool canBeUsed() override;
    void startWithChannelGroupAppSecretTransmissionTargetTokenFromApplication(
        std::shared_ptr<TQTMChannelGroupProtocol> channelGroup, std::optional<std::string> appSecret,
        std::optional<std::string> transmissionTargetToken, bool fromApplication) override;
    void updateConfigurationWithAppSecretTransmissionTargetToken(
        std::optional<std::string> appSecret, std::optional<std::string> token) override;
    bool isStartedFromApplication() const override;
    bool isAvailable() override;
    bool isEnabled() override;
    void setEnabled(bool enabled) override;
    bool serviceIsEnabled() override;
    void serviceSetEnabled(bool enabled) override;

    std::string isEnabledKey() const { return groupId() + "IsEnabled"; }
    bool isStarted() const;
    std::shared_ptr<TQTMChannelGroupProtocol> channelGroup() const;
    std::shared_ptr<TQTMChannelUnitProtocol> channelUnit() const;
    std::optional<std::string> appSecret() const;
    std::optional<std::string> defaultTransmissionTargetToken() const;

protected:
    // The class name as the service's messages show it ("Crashes").
    virtual std::string displayName() const = 0;

    mutable std::recursive_mutex mutex_;

private:
    bool startedFromApplication_ = false;
    bool started_ = false;
    std::shared_ptr<TQTMChannelGroupProtocol> channelGroup_;
    std::shared_ptr<TQTMChannelUnitProtocol> channelUnit_;
    std::optional<std::string> appSecret_;
    std::optional<std::string> defaultTransmissionTargetToken_;
};
