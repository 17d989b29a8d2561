#include "telemetry/TQTMServiceAbstract.h"

#include "telemetry/TQTMChannelProtocol.h"
#include "telemetry/TQTMLogger.h"
#include "telemetry/TQTMTelemetry.h"
#include "telemetry/TQTMTelemetryUserDefaults.h"

void TQTMServiceAbstract::applyEnabledState(bool enabled)
{
    if (const auto unit = channelUnit())
        unit->setEnabledAndDeleteDataOnDisabled(enabled, true);
}

bool TQTMServiceAbstract::canBeUsed()
{
    if (TQTMTelemetry::sharedInstance().isSdkConfigured() && isStarted())
        return true;
    TQTMLogError(kTQTMCoreLogTag,
                 displayName() + " service hasn't been started. You need to call [TQTMTelemetry "
                                 "start:YOUR_APP_SECRET withServices:LIST_OF_SERVICES] first.");
    return false;
}

void TQTMServiceAbstract::startWithChannelGroupAppSecretTransmissionTargetTokenFromApplication(
    std::shared_ptr<TQTMChannelGroupProtocol> channelGroup, std::optional<std::string> appSecret,
    std::optional<std::string> transmissionTargetToken, bool fromApplication)
{
    {
        std::lock_guard lock(mutex_);
        startedFromApplication_ = fromApplication;
        channelGroup_ = channelGroup;
        appSecret_ = std::move(appSecret);
        defaultTransmissionTargetToken_ = std::move(transmissionTargetToken);
        started_ = true;
        if (const auto configuration = channelUnitConfiguration())
            channelUnit_ = channelGroup->addChannelUnitWithConfiguration(*configuration);
    }
    if (isEnabled())
        applyEnabledState(true);
}

void TQTMServiceAbstract::updateConfigurationWithAppSecretTransmissionTargetToken(
    std::optional<std::string> appSecret, std::optional<std::string> token)
{
    {
        std::lock_guard lock(mutex_);
        startedFromApplication_ = true;
        appSecret_ = std::move(appSecret);
        defaultTransmissionTargetToken_ = std::move(token);
    }
    if (isEnabled())
        applyEnabledState(true);
}

bool TQTMServiceAbstract::isStartedFromApplication() const
{
    std::lock_guard lock(mutex_);
    return startedFromApplication_;
}

bool TQTMServiceAbstract::isAvailable() { return isEnabled() && isStarted(); }

bool TQTMServiceAbstract::isEnabled()
{
    const auto stored = TQTMTelemetryUserDefaults::shared()->objectForKey(isEnabledKey());
    return !stored || !stored->is_boolean() || stored->get<bool>();
}

void TQTMServiceAbstract::setEnabled(bool enabled)
{
    if (enabled == isEnabled())
        return;
    applyEnabledState(enabled);
    TQTMTelemetryUserDefaults::shared()->setObjectForKey(enabled, isEnabledKey());
}

bool TQTMServiceAbstract::serviceIsEnabled()
{
    std::lock_guard lock(mutex_);
    return canBeUsed() && isEnabled();
}

void TQTMServiceAbstract::serviceSetEnabled(bool enabled)
{
    std::lock_guard lock(mutex_);
    if (!canBeUsed())
        return;
    if (!TQTMTelemetry::isEnabled() &&
        !TQTMTelemetry::sharedInstance().isEnabledStateUpdating()) {
        TQTMLogError(kTQTMCoreLogTag,
                     "The SDK is disabled. Re-enable the whole SDK from Telemetry first before "
                     "enabling " +
                         displayName() + " service.");
        return;
    }
    setEnabled(enabled);
}

bool TQTMServiceAbstract::isStarted() const
{
    std::lock_guard lock(mutex_);
    return started_;
}

std::shared_ptr<TQTMChannelGroupProtocol> TQTMServiceAbstract::channelGroup() const
{
    std::lock_guard lock(mutex_);
    return channelGroup_;
}

std::shared_ptr<TQTMChannelUnitProtocol> TQTMServiceAbstract::channelUnit() const
{
    std::lock_guard lock(mutex_);
    return channelUnit_;
}

std::optional<std::string> TQTMServiceAbstract::appSecret() const
{
    std::lock_guard lock(mutex_);
    return appSecret_;
}

std::optional<std::string> TQTMServiceAbstract::defaultTransmissionTargetToken() const
{
    std::lock_guard lock(mutex_);
    return defaultTransmissionTargetToken_;
}
