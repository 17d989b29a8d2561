#include "telemetry/TQTMTelemetry.h"

#include "telemetry/TQTMAppDelegateForwarder.h"
#include "telemetry/TQTMArchiverUtil.h"
#include "telemetry/TQTMChannelGroupDefault.h"
#include "telemetry/TQTMChannelUnitConfiguration.h"
#include "telemetry/TQTMDependencyConfiguration.h"
#include "telemetry/TQTMDeviceTracker.h"
#include "telemetry/TQTMHttpClient.h"
#include "telemetry/TQTMOneCollectorChannelDelegate.h"
#include "telemetry/TQTMServiceCommon.h"
#include "telemetry/TQTMSessionContext.h"
#include "telemetry/TQTMStartServiceLog.h"
#include "telemetry/TQTMTelemetryEndpoint.h"
#include "telemetry/TQTMTelemetryUserDefaults.h"
#include "telemetry/TQTMUserIdContext.h"
#include "telemetry/TQTMUtility.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

constexpr const char* kIsEnabledKey = "TelemetryIsEnabled";
constexpr const char* kNetworkRequestsAllowedKey = "NetworkRequestsAllowed";
constexpr const char* kInstallIdKey = "InstallId";
constexpr const char* kStartHint =
    "[TQTMTelemetry start:YOUR_APP_SECRET withServices:LIST_OF_SERVICES]";

bool storedFlag(const char* key)
{
    const auto stored = TQTMTelemetryUserDefaults::shared()->objectForKey(key);
    return !stored || !stored->is_boolean() || stored->get<bool>();
}

std::string fromWhom(bool fromApplication) { return fromApplication ? "" : "from a library "; }

std::mutex& sharedInstanceMutex()
{
    static std::mutex mutex;
    return mutex;
}

// Never destroyed at exit: the client's queues may still run while the process ends, and must
// not find the instance (or what it uses) gone.
std::unique_ptr<TQTMTelemetryInstance>& sharedInstanceSlot()
{
    static auto* instance = new std::unique_ptr<TQTMTelemetryInstance>;
    return *instance;
}

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\n\r\f\v");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\n\r\f\v") - first + 1);
}

} // namespace

TQTMTelemetryInstance::TQTMTelemetryInstance()
{
    TQTMTelemetryUserDefaults::shared()->migrateKeysForService(
        {
            {"TMTelemetryChannelStartTimer", TQTMUserDefaultsPrefixKey("TMChannelStartTimer")},
            {"TMTelemetryPastDevices", std::string("pastDevicesKey")},
            {"TMTelemetryInstallId", std::string("TMInstallId")},
            {"TMTelemetryTelemetryIsEnabled", std::string("TMTelemetryIsEnabled")},
            {"TMTelemetryEncryptionKeyMetadata", std::string("TMEncryptionKeyMetadata")},
            {"TMTelemetrySessionIdHistory", std::string("SessionIdHistory")},
            {"TMTelemetryUserIdHistory", std::string("UserIdHistory")},
        },
        "Telemetry");
    TQTMArchiverUtil::addMigrationClasses({
        {"TMDeviceHistoryInfo", "TQTMDeviceHistoryInfo"},
        {"TMDevice", "TQTMDevice"},
        {"TMStartServiceLog", "TQTMStartServiceLog"},
        {"TMSessionHistoryInfo", "TQTMSessionHistoryInfo"},
        {"TMUserIdHistoryInfo", "TQTMUserIdHistoryInfo"},
        {"TMLogWithProperties", "TQTMLogWithProperties"},
        {"TMLogContainer", "TQTMLogContainer"},
        {"TMWrapperSdk", "TQTMWrapperSdk"},
        {"TMAbstractLog", "TQTMAbstractLog"},
    });
    TQTMArchiverUtil::addAllowedTelemetryModuleClasses();
}

TQTMTelemetryInstance::~TQTMTelemetryInstance() = default;

void TQTMTelemetryInstance::startWithServicesFromApplication(
    const std::optional<std::string>& secretText, const std::optional<TQTMServiceList>& services,
    bool fromApplication)
{
    const auto appSecret = secretText ? TQTMUtility::appSecretFrom(*secretText) : std::nullopt;
    const auto token =
        secretText ? TQTMUtility::transmissionTargetTokenFrom(*secretText) : std::nullopt;
    const bool configured =
        configureWithAppSecretTransmissionTargetTokenFromApplication(appSecret, token,
                                                                     fromApplication);
    if (services && configured)
        startServicesWithAppSecretTransmissionTargetTokenFromApplication(services, appSecret, token,
                                                                         fromApplication);
}

bool TQTMTelemetryInstance::configureWithAppSecretTransmissionTargetTokenFromApplication(
    std::optional<std::string> appSecret, std::optional<std::string> token, bool fromApplication)
{
    {
        std::lock_guard lock(mutex_);
        if (fromApplication && configuredFromApplication_) {
            TQTMLogAssert(kTQTMCoreLogTag, "Telemetry SDK has already been configured.");
            TQTMLogAssert(kTQTMCoreLogTag,
                          "Telemetry SDK configuration " + fromWhom(fromApplication) + "failed.");
            return false;
        }
        if (!appSecret_) {
            appSecret_ = std::move(appSecret);
            TQTMSessionContext::sharedInstance()->setSessionId(std::nullopt);
        }
        if (!defaultTransmissionTargetToken_)
            defaultTransmissionTargetToken_ = std::move(token);
        TQTMUserIdContext::sharedInstance();
        initializeChannelGroup();
        applyPipelineEnabledState(isEnabled());
        sdkConfigured_ = true;
        configuredFromApplication_ = configuredFromApplication_ || fromApplication;
    }
    if (!TQTMLogger::isUserDefinedLogLevel() && TQTMUtility::currentAppEnvironment() == 99)
        TQTMTelemetry::setLogLevel(TQTMLogLevelWarning);
    TQTMLogInfo(kTQTMCoreLogTag,
                "Telemetry SDK configured " + fromWhom(fromApplication) + "successfully.");
    return true;
}

void TQTMTelemetryInstance::initializeChannelGroup()
{
    std::lock_guard lock(mutex_);
    sonvale::Clock& clock = TQTMDependencyConfiguration::clock();
    const std::string installIdText = installId().toString();
    if (!oneCollectorChannelDelegate_) {
        oneCollectorChannelDelegate_ = TQTMOneCollectorChannelDelegate::create(
            TQTMHttpClient::create(clock), installId(),
            appSecret_ ? std::nullopt : logUrl_);
    }
    if (!channelGroup_) {
        auto httpClient = TQTMDependencyConfiguration::httpClient();
        if (!httpClient)
            httpClient = TQTMHttpClient::create(clock);
        channelGroup_ = TQTMChannelGroupDefault::create(
            std::move(httpClient), installIdText,
            logUrl_.value_or(TQTMTelemetryEndpoint::kDefaultBaseUrl),
            [] { return TQTMTelemetryInstance::isNetworkRequestsAllowed(); }, clock);
        channelGroup_->addDelegate(oneCollectorChannelDelegate_);
        if (requestedMaxStorageSizeInBytes_)
            channelGroup_->setMaxStorageSizeCompletionHandler(*requestedMaxStorageSizeInBytes_,
                                                              maxStorageSizeCompletionHandler_);
    }
    channelGroup_->setAppSecret(appSecret_);
    if (!channelUnit_)
        channelUnit_ = channelGroup_->addChannelUnitWithConfiguration(
            TQTMChannelUnitConfiguration::defaultConfigurationWithGroupId(kTQTMCoreLogTag));
}

void TQTMTelemetryInstance::startServicesWithAppSecretTransmissionTargetTokenFromApplication(
    const std::optional<TQTMServiceList>& services, const std::optional<std::string>& appSecret,
    const std::optional<std::string>& token, bool fromApplication)
{
    if (!services || !isSdkConfigured())
        return;
    const TQTMServiceList sorted = sortServices(*services);
    std::string names;
    for (const auto& service : sorted)
        names += (names.empty() ? "" : ", ") + (service ? service->serviceName() : "(null)");
    TQTMLogVerbose(kTQTMCoreLogTag, "Start services " + names + " from " +
                                        (fromApplication ? "an application" : "a library"));
    std::vector<std::string> started;
    for (const auto& service : sorted)
        if (startServiceWithAppSecretTransmissionTargetTokenFromApplication(service, appSecret,
                                                                            token, fromApplication))
            started.push_back(service->serviceName());
    if (started.empty())
        TQTMLogDebug(kTQTMCoreLogTag, "No services have been started.");
    else if (fromApplication)
        sendStartServiceLog(started);
}

// A stable sort by falling priority: a strict ordering, so equal priorities keep their order
// (a comparator that answers "before" for equal elements breaks the sort).
TQTMServiceList TQTMTelemetryInstance::sortServices(TQTMServiceList services)
{
    if (services.size() > 1)
        std::stable_sort(services.begin(), services.end(), [](const auto& a, const auto& b) {
            const int64_t left = a ? a->initializationPriority() : 0;
            const int64_t right = b ? b->initializationPriority() : 0;
            return left > right;
        });
    return services;
}

bool TQTMTelemetryInstance::startServiceWithAppSecretTransmissionTargetTokenFromApplication(
    const std::shared_ptr<TQTMServiceCommon>& service, const std::optional<std::string>& appSecret,
    const std::optional<std::string>& token, bool fromApplication)
{
    std::lock_guard lock(mutex_);
    if (!service) {
        TQTMLogError(kTQTMCoreLogTag,
                     "Cannot start service (null). Provided value is nil or invalid.");
        return false;
    }
    if (!sdkConfigured_ || (fromApplication && !configuredFromApplication_)) {
        TQTMLogError(kTQTMCoreLogTag,
                     "Telemetry has not been configured so it couldn't start the service.");
        return false;
    }
    const std::string name = service->serviceName();
    if (fromApplication && service->isAvailable() && service->isStartedFromApplication())
        return false;
    if (service->isAppSecretRequired() && appSecret.value_or("").empty()) {
        TQTMLogError(kTQTMCoreLogTag, "Cannot start service " + name +
                                          ". Telemetry was started without app secret, but the "
                                          "service requires it.");
        return false;
    }
    if (shouldDisable(name)) {
        TQTMLogDebug(kTQTMCoreLogTag,
                     "Environment variable to disable service has been set; not starting service " +
                         name);
        return false;
    }
    if (!service->isAvailable()) {
        services_.push_back(service);
        service->startWithChannelGroupAppSecretTransmissionTargetTokenFromApplication(
            channelGroup_, appSecret, token, fromApplication);
        if (service->serviceIsEnabled() && !isEnabled()) {
            enabledStateUpdating_ = true;
            service->serviceSetEnabled(false);
            enabledStateUpdating_ = false;
        }
    } else if (fromApplication) {
        service->updateConfigurationWithAppSecretTransmissionTargetToken(appSecret, token);
    }
    return true;
}

bool TQTMTelemetryInstance::shouldDisable(const std::string& serviceName)
{
    const char* value = std::getenv(TQTMTelemetry::kDisableVariable);
    if (!value)
        return false;
    std::istringstream items(value);
    for (std::string item; std::getline(items, item, ',');) {
        const std::string name = trimmed(item);
        if (name == serviceName || name == "All")
            return true;
    }
    return false;
}

void TQTMTelemetryInstance::sendStartServiceLog(const std::vector<std::string>& serviceNames)
{
    std::lock_guard lock(mutex_);
    if (isEnabled()) {
        auto log = std::make_shared<TQTMStartServiceLog>();
        log->setServices(serviceNames);
        log->setIsOneCollectorEnabled(defaultTransmissionTargetToken_.has_value());
        channelUnit_->enqueueItemFlags(log, 1);
        return;
    }
    if (!startedServiceNames_)
        startedServiceNames_.emplace();
    startedServiceNames_->insert(startedServiceNames_->end(), serviceNames.begin(),
                                 serviceNames.end());
}

std::optional<std::string> TQTMTelemetryInstance::logUrl() const
{
    std::lock_guard lock(mutex_);
    return logUrl_;
}

void TQTMTelemetryInstance::setLogUrl(const std::string& logUrl)
{
    std::lock_guard lock(mutex_);
    logUrl_ = logUrl;
    if (!channelGroup_)
        return;
    if (appSecret_) {
        TQTMLogInfo(kTQTMCoreLogTag, "The log url of Telemetry endpoint was changed to " + logUrl);
        channelGroup_->setLogUrl(logUrl);
    } else {
        TQTMLogInfo(kTQTMCoreLogTag,
                    "The log url of One Collector endpoint was changed to " + logUrl);
        oneCollectorChannelDelegate_->setLogUrl(logUrl);
    }
}

void TQTMTelemetryInstance::setMaxStorageSizeCompletionHandler(int64_t sizeInBytes,
                                                               std::function<void(bool)> completion)
{
    if (sizeInBytes < static_cast<int64_t>(TQTMTelemetry::kMinStorageSizeInBytes)) {
        if (completion)
            completion(false);
        TQTMLogWarning(kTQTMCoreLogTag, "Cannot set storage size to " + std::to_string(sizeInBytes) +
                                            " bytes, minimum value is " +
                                            std::to_string(TQTMTelemetry::kMinStorageSizeInBytes) +
                                            " bytes");
        return;
    }
    bool refused = false;
    {
        std::lock_guard lock(mutex_);
        if (setMaxStorageSizeHasBeenCalled_) {
            TQTMLogWarning(kTQTMCoreLogTag,
                           "setMaxStorageSize:completionHandler: may only be called once per app "
                           "launch");
            refused = true;
        } else {
            setMaxStorageSizeHasBeenCalled_ = true;
            if (configuredFromApplication_) {
                TQTMLogWarning(kTQTMCoreLogTag, "Unable to set storage size after the "
                                                "application has configured Telemetry");
                refused = true;
            } else {
                requestedMaxStorageSizeInBytes_ = sizeInBytes;
                maxStorageSizeCompletionHandler_ = completion;
                if (channelGroup_)
                    channelGroup_->setMaxStorageSizeCompletionHandler(sizeInBytes, completion);
            }
        }
    }
    if (refused && completion)
        completion(false);
}

void TQTMTelemetryInstance::setUserId(std::optional<std::string> userId)
{
    std::optional<std::string> appSecret;
    std::optional<std::string> token;
    {
        std::lock_guard lock(mutex_);
        if (!configuredFromApplication_) {
            TQTMLogError(kTQTMCoreLogTag, "Telemetry must be configured from application, "
                                          "libraries cannot call setUserId.");
            return;
        }
        appSecret = appSecret_;
        token = defaultTransmissionTargetToken_;
    }
    if (!appSecret && !token) {
        TQTMLogError(kTQTMCoreLogTag,
                     "Telemetry must be configured with a secret from application to call "
                     "setUserId.");
        return;
    }
    if (userId) {
        if (appSecret && !TQTMUserIdContext::isUserIdValidForTelemetry(userId))
            return;
        if (token && !TQTMUserIdContext::isUserIdValidForOneCollector(userId))
            return;
    }
    TQTMUserIdContext::sharedInstance()->setUserId(std::move(userId));
}

void TQTMTelemetryInstance::setNetworkRequestsAllowed(bool allowed)
{
    std::lock_guard lock(mutex_);
    TQTMLogInfo(kTQTMCoreLogTag, std::string("Telemetry SDK network requests are ") +
                                     (allowed ? "allowed" : "forbidden") + ".");
    TQTMTelemetryUserDefaults::shared()->setObjectForKey(allowed, kNetworkRequestsAllowedKey);
    if (!canBeUsed())
        return;
    if (allowed)
        channelGroup_->resumeWithIdentifyingObject(channelGroup_.get());
    else
        channelGroup_->pauseWithIdentifyingObject(channelGroup_.get());
}

bool TQTMTelemetryInstance::isNetworkRequestsAllowed()
{
    return storedFlag(kNetworkRequestsAllowedKey);
}

void TQTMTelemetryInstance::setEnabled(bool enabled)
{
    std::lock_guard lock(mutex_);
    if (!canBeUsed())
        return;
    enabledStateUpdating_ = true;
    if (isEnabled() != enabled) {
        TQTMTelemetryUserDefaults::shared()->setObjectForKey(enabled, kIsEnabledKey);
        applyPipelineEnabledState(enabled);
    }
    for (const auto& service : services_)
        service->serviceSetEnabled(enabled);
    enabledStateUpdating_ = false;
    TQTMLogInfo(kTQTMCoreLogTag,
                std::string("Telemetry SDK ") + (enabled ? "enabled" : "disabled") + ".");
}

bool TQTMTelemetryInstance::isEnabled() const { return storedFlag(kIsEnabledKey); }

void TQTMTelemetryInstance::applyPipelineEnabledState(bool enabled)
{
    if (!enabled) {
        TQTMDeviceTracker::sharedInstance()->clearDevices();
        TQTMSessionContext::sharedInstance()->clearSessionHistoryAndKeepCurrentSession(false);
        TQTMUserIdContext::sharedInstance()->clearUserIdHistory();
    }
    std::lock_guard lock(mutex_);
    channelGroup_->setEnabledAndDeleteDataOnDisabled(enabled, true);
    if (enabled && startedServiceNames_) {
        const auto names = std::move(*startedServiceNames_);
        startedServiceNames_.reset();
        sendStartServiceLog(names);
    }
}

std::optional<std::string> TQTMTelemetryInstance::appSecret() const
{
    std::lock_guard lock(mutex_);
    return appSecret_;
}

sonvale::Uuid TQTMTelemetryInstance::installId()
{
    std::lock_guard lock(mutex_);
    if (installId_)
        return *installId_;
    if (const auto stored = TQTMTelemetryUserDefaults::shared()->objectForKey(kInstallIdKey);
        stored && stored->is_string())
        installId_ = sonvale::Uuid::fromString(stored->get<std::string>());
    if (!installId_) {
        installId_ = sonvale::Uuid::random();
        TQTMTelemetryUserDefaults::shared()->setObjectForKey(installId_->toString(), kInstallIdKey);
    }
    return *installId_;
}

bool TQTMTelemetryInstance::canBeUsed() const
{
    if (isSdkConfigured())
        return true;
    TQTMLogError(kTQTMCoreLogTag, std::string("Telemetry SDK hasn't been configured. You need to "
                                              "call ") +
                                      kStartHint + " first.");
    return false;
}

bool TQTMTelemetryInstance::isSdkConfigured() const
{
    std::lock_guard lock(mutex_);
    return sdkConfigured_;
}

bool TQTMTelemetryInstance::isConfiguredFromApplication() const
{
    std::lock_guard lock(mutex_);
    return configuredFromApplication_;
}

bool TQTMTelemetryInstance::isEnabledStateUpdating() const
{
    std::lock_guard lock(mutex_);
    return enabledStateUpdating_;
}

std::optional<std::string> TQTMTelemetryInstance::dataResidencyRegion() const
{
    std::lock_guard lock(mutex_);
    return dataResidencyRegion_;
}

void TQTMTelemetryInstance::setDataResidencyRegion(std::optional<std::string> region)
{
    std::lock_guard lock(mutex_);
    dataResidencyRegion_ = std::move(region);
}

std::shared_ptr<TQTMChannelGroupDefault> TQTMTelemetryInstance::channelGroup() const
{
    std::lock_guard lock(mutex_);
    return channelGroup_;
}

std::shared_ptr<TQTMChannelUnitProtocol> TQTMTelemetryInstance::channelUnit() const
{
    std::lock_guard lock(mutex_);
    return channelUnit_;
}

std::shared_ptr<TQTMOneCollectorChannelDelegate>
TQTMTelemetryInstance::oneCollectorChannelDelegate() const
{
    std::lock_guard lock(mutex_);
    return oneCollectorChannelDelegate_;
}

TQTMServiceList TQTMTelemetryInstance::services() const
{
    std::lock_guard lock(mutex_);
    return services_;
}

std::optional<std::vector<std::string>> TQTMTelemetryInstance::startedServiceNames() const
{
    std::lock_guard lock(mutex_);
    return startedServiceNames_;
}

std::optional<std::string> TQTMTelemetryInstance::defaultTransmissionTargetToken() const
{
    std::lock_guard lock(mutex_);
    return defaultTransmissionTargetToken_;
}

// The public face.

TQTMTelemetryInstance& TQTMTelemetry::sharedInstance()
{
    std::lock_guard lock(sharedInstanceMutex());
    auto& slot = sharedInstanceSlot();
    if (!slot)
        slot = std::make_unique<TQTMTelemetryInstance>();
    return *slot;
}

void TQTMTelemetry::resetSharedInstance()
{
    std::unique_ptr<TQTMTelemetryInstance> dropped;
    {
        std::lock_guard lock(sharedInstanceMutex());
        dropped = std::move(sharedInstanceSlot());
    }
}

void TQTMTelemetry::start(const std::optional<std::string>& secretText,
                          const std::optional<TQTMServiceList>& services)
{
    sharedInstance().startWithServicesFromApplication(secretText, services, true);
}

void TQTMTelemetry::startWithServices(const std::optional<TQTMServiceList>& services)
{
    sharedInstance().startWithServicesFromApplication(std::nullopt, services, true);
}

void TQTMTelemetry::startFromLibraryWithServices(const std::optional<TQTMServiceList>& services)
{
    sharedInstance().startWithServicesFromApplication(std::nullopt, services, false);
}

void TQTMTelemetry::configureWithAppSecret(const std::string& secretText)
{
    sharedInstance().configureWithAppSecretTransmissionTargetTokenFromApplication(
        TQTMUtility::appSecretFrom(secretText), TQTMUtility::transmissionTargetTokenFrom(secretText),
        true);
}

void TQTMTelemetry::configure()
{
    sharedInstance().configureWithAppSecretTransmissionTargetTokenFromApplication(std::nullopt,
                                                                                  std::nullopt, true);
}

void TQTMTelemetry::startService(const std::shared_ptr<TQTMServiceCommon>& service)
{
    if (!service)
        return;
    auto& instance = sharedInstance();
    instance.startServicesWithAppSecretTransmissionTargetTokenFromApplication(
        TQTMServiceList{service}, instance.appSecret(), instance.defaultTransmissionTargetToken(),
        true);
}

bool TQTMTelemetry::isConfigured()
{
    return sharedInstance().isSdkConfigured() && sharedInstance().isConfiguredFromApplication();
}

bool TQTMTelemetry::isRunningInTelemetryTestCloud()
{
    const char* value = std::getenv("RUNNING_IN_TELEMETRY");
    return value && std::string(value) == "1";
}

void TQTMTelemetry::setLogUrl(const std::string& logUrl) { sharedInstance().setLogUrl(logUrl); }

std::optional<std::string> TQTMTelemetry::logUrl() { return sharedInstance().logUrl(); }

void TQTMTelemetry::setEnabled(bool enabled) { sharedInstance().setEnabled(enabled); }

bool TQTMTelemetry::isEnabled()
{
    auto& instance = sharedInstance();
    return instance.canBeUsed() && instance.isEnabled();
}

void TQTMTelemetry::setNetworkRequestsAllowed(bool allowed)
{
    sharedInstance().setNetworkRequestsAllowed(allowed);
}

bool TQTMTelemetry::isNetworkRequestsAllowed()
{
    return TQTMTelemetryInstance::isNetworkRequestsAllowed();
}

bool TQTMTelemetry::isAppDelegateForwarderEnabled()
{
    return TQTMAppDelegateForwarder::sharedInstance()->isEnabled();
}

sonvale::Uuid TQTMTelemetry::installId() { return sharedInstance().installId(); }

TQTMLogLevel TQTMTelemetry::logLevel() { return TQTMLogger::currentLogLevel(); }

void TQTMTelemetry::setLogLevel(TQTMLogLevel level)
{
    TQTMLogger::setCurrentLogLevel(level);
    TQTMDelegateForwarder::flushTraceBuffer();
}

void TQTMTelemetry::setLogHandler(TQTMLogHandler handler)
{
    TQTMLogger::setLogHandler(std::move(handler));
}

TQTMLogHandler TQTMTelemetry::logHandler() { return TQTMLogger::logHandler(); }

void TQTMTelemetry::setWrapperSdk(std::shared_ptr<TQTMWrapperSdk> wrapperSdk)
{
    TQTMDeviceTracker::sharedInstance()->setWrapperSdk(std::move(wrapperSdk));
}

std::shared_ptr<TQTMWrapperSdk> TQTMTelemetry::wrapperSdk()
{
    return TQTMDeviceTracker::sharedInstance()->wrapperSdk();
}

void TQTMTelemetry::setCountryCode(std::optional<std::string> countryCode)
{
    TQTMDeviceTracker::sharedInstance()->setCountryCode(std::move(countryCode));
}

std::optional<std::string> TQTMTelemetry::countryCode()
{
    return TQTMDeviceTracker::sharedInstance()->countryCode();
}

std::optional<std::string> TQTMTelemetry::userId()
{
    return TQTMUserIdContext::sharedInstance()->userId();
}

void TQTMTelemetry::setUserId(std::optional<std::string> userId)
{
    sharedInstance().setUserId(std::move(userId));
}

void TQTMTelemetry::setMaxStorageSizeCompletionHandler(int64_t sizeInBytes,
                                                       std::function<void(bool)> completion)
{
    sharedInstance().setMaxStorageSizeCompletionHandler(sizeInBytes, std::move(completion));
}

void TQTMTelemetry::setDataResidencyRegion(std::optional<std::string> region)
{
    sharedInstance().setDataResidencyRegion(std::move(region));
}

std::optional<std::string> TQTMTelemetry::dataResidencyRegion()
{
    return sharedInstance().dataResidencyRegion();
}

// A traced process shows its tracer's process id in its status file.
bool TQTMTelemetry::isDebuggerAttached()
{
    static const bool attached = [] {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("TracerPid:", 0) == 0)
                return std::atol(line.c_str() + 10) != 0;
        TQTMLogError(kTQTMCoreLogTag,
                     "[TQTMCrashes] ERROR: Checking for a running debugger via sysctl() failed.");
        return false;
    }();
    return attached;
}

std::string TQTMTelemetry::sdkVersion() { return TQTMUtility::sdkVersion(); }
