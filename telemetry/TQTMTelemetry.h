#pragma once

#include "platform/system/Uuid.h"
#include "telemetry/TQTMLogger.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace sonvale {
class Clock;
}
class TQTMChannelGroupDefault;
class TQTMChannelUnitProtocol;
class TQTMOneCollectorChannelDelegate;
class TQTMServiceCommon;
class TQTMWrapperSdk;

using TQTMServiceList = std::vector<std::shared_ptr<TQTMServiceCommon>>;

// The one process-wide telemetry client: its configuration (secret, log URL, install id,
// storage size), the channel group with the core unit of group "Telemetry", the started services
// and the start-service log, and the switch of the whole client. Made by TQTMTelemetry; every
// method may be called from any thread and takes the instance's re-entrant lock where its state
// is read or changed.
class TQTMTelemetryInstance final {
public:
    TQTMTelemetryInstance();
    ~TQTMTelemetryInstance();

    bool configureWithAppSecretTransmissionTargetTokenFromApplication(
        std::optional<std::string> appSecret, std::optional<std::string> token,
        bool fromApplication);
    void startWithServicesFromApplication(const std::optional<std::string>& secretText,
                                          const std::optional<TQTMServiceList>& services,
                                          bool fromApplication);
    void startServicesWithAppSecretTransmissionTargetTokenFromApplication(
        const std::optional<TQTMServiceList>& services, const std::optional<std::string>& appSecret,
        const std::optional<std::string>& token, bool fromApplication);
    // Higher initialization priorities first.
    static TQTMServiceList sortServices(TQTMServiceList services);
    bool startServiceWithAppSecretTransmissionTargetTokenFromApplication(
        const std::shared_ptr<TQTMServiceCommon>& service,
        const std::optional<std::string>& appSecret, const std::optional<std::string>& token,
        bool fromApplication);

    std::optional<std::string> logUrl() const;
    void setLogUrl(const std::string& logUrl);
    void setMaxStorageSizeCompletionHandler(int64_t sizeInBytes,
                                            std::function<void(bool)> completion);
    void setUserId(std::optional<std::string> userId);
    void setNetworkRequestsAllowed(bool allowed);
    // Reads the stored flag without the instance's lock: the ingestion asks it while it holds
    // its own lock, which the instance takes (through the group) while it holds its own.
    static bool isNetworkRequestsAllowed();
    void setEnabled(bool enabled);
    bool isEnabled() const;
    void applyPipelineEnabledState(bool enabled);
    void initializeChannelGroup();
    std::optional<std::string> appSecret() const;
    sonvale::Uuid installId();
    bool canBeUsed() const;
    void sendStartServiceLog(const std::vector<std::string>& serviceNames);
    static bool shouldDisable(const std::string& serviceName);

    bool isSdkConfigured() const;
    bool isConfiguredFromApplication() const;
    bool isEnabledStateUpdating() const;
    std::optional<std::string> dataResidencyRegion() const;
    void setDataResidencyRegion(std::optional<std::string> region);
    std::shared_ptr<TQTMChannelGroupDefault> channelGroup() const;
    std::shared_ptr<TQTMChannelUnitProtocol> channelUnit() const;
    std::shared_ptr<TQTMOneCollectorChannelDelegate> oneCollectorChannelDelegate() const;
    TQTMServiceList services() const;
    std::optional<std::vector<std::string>> startedServiceNames() const;
    std::optional<std::string> defaultTransmissionTargetToken() const;

private:
    mutable std::recursive_mutex mutex_;
    bool sdkConfigured_ = false;
    bool configuredFromApplication_ = false;
    bool enabledStateUpdating_ = false;
    bool setMaxStorageSizeHasBeenCalled_ = false;
    std::optional<sonvale::Uuid> installId_;
    std::optional<std::string> logUrl_;
    std::optional<std::string> dataResidencyRegion_;
    std::shared_ptr<TQTMChannelUnitProtocol> channelUnit_;
    std::shared_ptr<TQTMOneCollectorChannelDelegate> oneCollectorChannelDelegate_;
    std::shared_ptr<TQTMChannelGroupDefault> channelGroup_;
    TQTMServiceList services_;
    std::optional<std::vector<std::string>> startedServiceNames_;
    std::optional<std::string> appSecret_;
    std::optional<std::string> defaultTransmissionTargetToken_;
    std::optional<int64_t> requestedMaxStorageSizeInBytes_;
    std::function<void(bool)> maxStorageSizeCompletionHandler_;
};

// The public face of the telemetry client: thin forwarders to the shared instance and the other
// process-wide objects of the client. The application starts it once with start().
class TQTMTelemetry final {
public:
    static constexpr uint64_t kMinStorageSizeInBytes = 24576;
    static constexpr const char* kDisableVariable = "TELEMETRY_DISABLE";

    TQTMTelemetry() = delete;

    static TQTMTelemetryInstance& sharedInstance();
    // Drops the instance (its channel group drains and stops); the next use makes a new one.
    static void resetSharedInstance();

    // The secret text may hold "target=" parts; a missing list
    // configures only.
    static void start(const std::optional<std::string>& secretText,
                      const std::optional<TQTMServiceList>& services);
    static void startWithServices(const std::optional<TQTMServiceList>& services);
    static void startFromLibraryWithServices(const std::optional<TQTMServiceList>& services);
    static void configureWithAppSecret(const std::string& secretText);
    static void configure();
    static void startService(const std::shared_ptr<TQTMServiceCommon>& service);
    static bool isConfigured();
    static bool isRunningInTelemetryTestCloud();
    static void setLogUrl(const std::string& logUrl);
    static std::optional<std::string> logUrl();
    static void setEnabled(bool enabled);
    static bool isEnabled();
    static void setNetworkRequestsAllowed(bool allowed);
    static bool isNetworkRequestsAllowed();
    static bool isAppDelegateForwarderEnabled();
    static sonvale::Uuid installId();
    static TQTMLogLevel logLevel();
    static void setLogLevel(TQTMLogLevel level);
    static void setLogHandler(TQTMLogHandler handler);
    static TQTMLogHandler logHandler();
    static void setWrapperSdk(std::shared_ptr<TQTMWrapperSdk> wrapperSdk);
    static std::shared_ptr<TQTMWrapperSdk> wrapperSdk();
    static void setCountryCode(std::optional<std::string> countryCode);
    static std::optional<std::string> countryCode();
    static std::optional<std::string> userId();
    static void setUserId(std::optional<std::string> userId);
    static void setMaxStorageSizeCompletionHandler(int64_t sizeInBytes,
                                                   std::function<void(bool)> completion);
    static void setDataResidencyRegion(std::optional<std::string> region);
    static std::optional<std::string> dataResidencyRegion();
    // Whether a tracer (a debugger) is attached to this process; asked once.
    static bool isDebuggerAttached();
    static std::string sdkVersion();
    static std::string logTag() { return kTQTMCoreLogTag; }
    static std::string groupId() { return kTQTMCoreLogTag; }
};
