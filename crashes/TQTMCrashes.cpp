#include "crashes/TQTMCrashes.h"

#include "crashcapture/TQCrashReporter.h"
#include "crashes/TQTMApplicationForwarder.h"
#include "crashes/TQTMCrashesArchiverUtil.h"
#include "crashes/TQTMCrashesCXXExceptionWrapperException.h"
#include "crashes/TQTMCrashesDelegate.h"
#include "crashes/TQTMCrashesLogBuffer.h"
#include "crashes/TQTMCrashesUncaughtCXXExceptionHandlerManager.h"
#include "crashes/TQTMErrorReport.h"
#include "crashes/TQTMWrapperCrashesHelper.h"
#include "crashes/TQTMWrapperExceptionManager.h"
#include "telemetry/TQTMArchiverUtil.h"
#include "telemetry/TQTMChannelProtocol.h"
#include "telemetry/TQTMDependencyConfiguration.h"
#include "telemetry/TQTMDeviceTracker.h"
#include "telemetry/TQTMEncrypter.h"
#include "telemetry/TQTMLogger.h"
#include "telemetry/TQTMSessionContext.h"
#include "telemetry/TQTMTelemetry.h"
#include "telemetry/TQTMTelemetryUserDefaults.h"
#include "telemetry/TQTMUserIdContext.h"
#include "telemetry/TQTMUtility.h"

#include <mutex>

using tqcrash::TQCrashReporter;
using tqcrash::TQCrashReporterConfig;

namespace {

std::mutex gSharedMutex;
std::shared_ptr<TQTMCrashes> gShared;

// The service's folders, each made once per process (until resetDirectory()).
std::mutex gDirectoryMutex;
std::map<std::string, bool> gDirectoryMade;

std::string directory(const std::string& component)
{
    std::lock_guard lock(gDirectoryMutex);
    if (!gDirectoryMade[component]) {
        TQTMUtility::createDirectoryForPathComponent(component);
        gDirectoryMade[component] = true;
    }
    return component;
}

} // namespace

TQTMCrashes::TQTMCrashes(sonvale::Clock& clock)
    : clock_(clock), channelUnitConfiguration_(kGroupId, 2, 1, 1, 3)
{
    TQTMTelemetryUserDefaults::shared()->migrateKeysForService(
        {
            {"TMTelemetryCrashesIsEnabled", std::string("kTMCrashesIsEnabledKey")},
            {"TMTelemetryAppDidReceiveMemoryWarning", std::string("TMAppDidReceiveMemoryWarning")},
            {"TMTelemetryCrashesUserConfirmation", std::string("TMUserConfirmation")},
        },
        kServiceName);
    TQTMArchiverUtil::addMigrationClasses({
        {"TMAppleErrorLog", "TQTMAppleErrorLog"},
        {"TMThread", "TQTMThread"},
        {"TMWrapperException", "TQTMWrapperException"},
        {"TMAbstractErrorLog", "TQTMAbstractErrorLog"},
        {"TMHandledErrorLog", "TQTMHandledErrorLog"},
        {"TMException", "TQTMWrapperExceptionModel"},
        {"TQTMException", "TQTMWrapperExceptionModel"},
        {"TMStackFrame", "TQTMStackFrame"},
        {"TMBinary", "TQTMBinary"},
        {"TMErrorAttachmentLog", "TQTMErrorAttachmentLog"},
    });
    TQTMCrashesArchiverUtil::addAllowedCrashesModuleClasses();

    appStartTime_ = clock_.now();
    crashesPathComponent_ = crashesDir();
    logBufferPathComponent_ = logBufferDir();
    analyzerInProgressFilePathComponent_ = crashesDir() + "/" + kAnalyzerFileName;
    targetTokenEncrypter_ = std::make_unique<TQTMEncrypter>();
    setupLogBuffer();
}

TQTMCrashes::~TQTMCrashes() = default;

std::shared_ptr<TQTMCrashes> TQTMCrashes::sharedInstance()
{
    std::lock_guard lock(gSharedMutex);
    if (!gShared)
        gShared = std::make_shared<TQTMCrashes>(TQTMDependencyConfiguration::clock());
    return gShared;
}

void TQTMCrashes::resetSharedInstance()
{
    std::lock_guard lock(gSharedMutex);
    gShared.reset();
}

std::optional<TQTMChannelUnitConfiguration> TQTMCrashes::channelUnitConfiguration() const
{
    return channelUnitConfiguration_;
}

void TQTMCrashes::startWithChannelGroupAppSecretTransmissionTargetTokenFromApplication(
    std::shared_ptr<TQTMChannelGroupProtocol> channelGroup, std::optional<std::string> appSecret,
    std::optional<std::string> transmissionTargetToken, bool fromApplication)
{
    TQTMServiceAbstract::startWithChannelGroupAppSecretTransmissionTargetTokenFromApplication(
        channelGroup, std::move(appSecret), std::move(transmissionTargetToken), fromApplication);
    channelGroup->addDelegate(shared_from_this());
    processLogBufferAfterCrash();
    TQTMLogVerbose(kLogTag, "Started crash service.");
}

void TQTMCrashes::updateConfigurationWithAppSecretTransmissionTargetToken(
    std::optional<std::string> appSecret, std::optional<std::string> token)
{
    processLogBufferAfterCrash();
    TQTMServiceAbstract::updateConfigurationWithAppSecretTransmissionTargetToken(
        std::move(appSecret), std::move(token));
}

void TQTMCrashes::applyEnabledState(bool enabled)
{
    TQTMServiceAbstract::applyEnabledState(enabled);
    if (enabled)
        enable();
    else
        disable();
}

void TQTMCrashes::enable()
{
    const auto setupDelegate = TQTMWrapperCrashesHelper::crashHandlerSetupDelegate();
    const bool uncaughtExceptionHandlerEnabled =
        !setupDelegate || setupDelegate->shouldEnableUncaughtExceptionHandler().value_or(true);
    if (setupDelegate)
        setupDelegate->willSetUpCrashHandlers();
    configureCrashReporterWithUncaughtExceptionHandlerEnabled(uncaughtExceptionHandlerEnabled);
    if (setupDelegate)
        setupDelegate->didSetUpCrashHandlers();
    std::lock_guard lock(mutex_);
    if (!isEnabled())
        tqCrashReporter_->purgePendingCrashReport();
    if (tqCrashReporter_->hasPendingCrashReport()) {
        didCrashInLastSession_ = true;
        TQTMLogDebug(kLogTag, "The application crashed in the last session.");
        handleLatestCrashReport();
    }
    crashFiles_ = persistedCrashReports();
    if (!crashFiles_.empty()) {
        // The pass runs once per process: after it, a later enable has nothing more to wait for.
        setDelayedProcessingAwaited(!delayedProcessingStarted_);
        startDelayedCrashProcessing();
    } else {
        setDelayedProcessingAwaited(false);
        clearContextHistoryAndKeepCurrentSession();
    }
    if (TQTMTelemetry::isDebuggerAttached())
        TQTMLogInfo(kLogTag, "Crashes service has been enabled but the service cannot detect "
                             "crashes due to running the application with a debugger attached.");
    else
        TQTMLogInfo(kLogTag, "Crashes service has been enabled.");
}

void TQTMCrashes::disable()
{
    std::lock_guard lock(mutex_);
    TQTMLogDebug(kLogTag, "Cleaning up all crash files.");
    TQTMWrapperExceptionManager::deleteAllWrapperExceptions();
    deleteAllFromCrashesDirectory();
    emptyLogBufferFiles();
    removeAnalyzerFile();
    if (tqCrashReporter_)
        tqCrashReporter_->purgePendingCrashReport();
    clearUnprocessedReports();
    // Nothing waits for confirmation now: a caller waiting for the pass gets the empty answer.
    setDelayedProcessingAwaited(false);
    clearContextHistoryAndKeepCurrentSession();
    TQTMTelemetryUserDefaults::shared()->removeObjectForKey(kMemoryWarningKey);
    TQTMLogInfo(kLogTag, "Crashes service has been disabled.");
}

void TQTMCrashes::configureCrashReporterWithUncaughtExceptionHandlerEnabled(bool enabled)
{
    std::lock_guard lock(mutex_);
    if (tqCrashReporter_) {
        TQTMLogDebug(kLogTag, "Already configured TQCrashReporter.");
        return;
    }
    if (enabled)
        TQTMLogDebug(kLogTag, "EnableUncaughtExceptionHandler is set to YES");
    else
        TQTMLogDebug(kLogTag, "EnableUncaughtExceptionHandler is set to NO, we're running in a "
                              "managed runtime.");
    uint64_t handlerType = tqcrash::TQCrashSignalHandlerTypeBSD;
    if (enableMachExceptionHandler_) {
        TQTMLogVerbose(kLogTag, "Enabled Mach exception handler.");
        handlerType = tqcrash::TQCrashSignalHandlerTypeMach;
    }
    tqCrashReporter_ = std::make_unique<TQCrashReporter>(
        TQCrashReporterConfig::initWithSignalHandlerTypeSymbolicationStrategyShouldRegisterUncaughtExceptionHandler(
            handlerType, tqcrash::TQCrashSymbolicationStrategyNone, enabled));
    TQTMWrapperExceptionManager::setCrashReporter(tqCrashReporter_.get());
    if (TQTMTelemetry::isDebuggerAttached()) {
        TQTMLogWarning(kLogTag, "Detecting crashes is NOT enabled due to running the app with a "
                                "debugger attached.");
        return;
    }
    const sonvale::UncaughtExceptionHandler previous = sonvale::uncaughtExceptionHandler();
    static const tqcrash::TQCrashReporterCallbacks callbacks{0, nullptr,
                                                             crashes_post_crash_callback};
    tqCrashReporter_->setCrashCallbacks(&callbacks);
    tqcrash::TQCrashReporterError error;
    if (!tqCrashReporter_->enableCrashReporterAndReturnError(&error))
        TQTMLogError(kLogTag, "Could not enable crash reporter: " + error.description);
    const sonvale::UncaughtExceptionHandler current = sonvale::uncaughtExceptionHandler();
    if (current && current != previous) {
        exceptionHandler_ = current;
        TQTMLogDebug(kLogTag, "Exception handler successfully initialized.");
    } else if (!enabled && current) {
        exceptionHandler_ = current;
        TQTMLogDebug(kLogTag, "Exception handler successfully initialized but it has not been "
                              "registered due to the wrapper SDK.");
    } else {
        TQTMLogError(kLogTag, "Exception handler could not be set. Make sure there is no other "
                              "exception handler set up!");
    }
    TQTMCrashesUncaughtCXXExceptionHandlerManager::addCXXExceptionHandler(crashes_cxx_exception_handler);
    TQTMApplicationForwarder::registerForwarding();
}

void TQTMCrashes::clearContextHistoryAndKeepCurrentSession()
{
    TQTMDeviceTracker::sharedInstance()->clearDevices();
    TQTMSessionContext::sharedInstance()->clearSessionHistoryAndKeepCurrentSession(true);
    TQTMUserIdContext::sharedInstance()->clearUserIdHistory();
}

void TQTMCrashes::deleteAllFromCrashesDirectory()
{
    std::lock_guard lock(mutex_);
    TQTMUtility::deleteItemForPathComponent(crashesPathComponent_);
    crashFiles_.clear();
}

void TQTMCrashes::removeAnalyzerFile()
{
    TQTMUtility::deleteItemForPathComponent(analyzerInProgressFilePathComponent_);
}

void TQTMCrashes::clearUnprocessedReports()
{
    std::lock_guard lock(mutex_);
    if (unprocessed_)
        unprocessed_->clear();
}

bool TQTMCrashes::hasCrashedInLastSession()
{
    auto crashes = sharedInstance();
    std::lock_guard lock(crashes->mutex_);
    return crashes->didCrashInLastSession_;
}

bool TQTMCrashes::hasReceivedMemoryWarningInLastSession()
{
    auto crashes = sharedInstance();
    std::lock_guard lock(crashes->mutex_);
    return crashes->didReceiveMemoryWarningInLastSession_;
}

std::shared_ptr<TQTMErrorReport> TQTMCrashes::lastSessionCrashReport()
{
    auto crashes = sharedInstance();
    std::lock_guard lock(crashes->mutex_);
    return crashes->lastSessionCrashReport_;
}

void TQTMCrashes::setDelegate(std::weak_ptr<TQTMCrashesDelegate> delegate)
{
    auto crashes = sharedInstance();
    std::lock_guard lock(crashes->mutex_);
    crashes->delegate_ = std::move(delegate);
}

std::shared_ptr<TQTMCrashesDelegate> TQTMCrashes::delegate()
{
    auto crashes = sharedInstance();
    std::lock_guard lock(crashes->mutex_);
    return crashes->delegate_.lock();
}

void TQTMCrashes::setUserConfirmationHandler(UserConfirmationHandler handler)
{
    auto crashes = sharedInstance();
    std::lock_guard lock(crashes->mutex_);
    crashes->userConfirmationHandler_ = std::move(handler);
}

TQTMCrashes::UserConfirmationHandler TQTMCrashes::userConfirmationHandler()
{
    auto crashes = sharedInstance();
    std::lock_guard lock(crashes->mutex_);
    return crashes->userConfirmationHandler_;
}

void TQTMCrashes::disableMachExceptionHandler()
{
    auto crashes = sharedInstance();
    std::lock_guard lock(crashes->mutex_);
    crashes->enableMachExceptionHandler_ = false;
}

void TQTMCrashes::generateTestCrash()
{
    auto crashes = sharedInstance();
    std::lock_guard lock(crashes->mutex_);
    if (!crashes->canBeUsed())
        return;
    if (TQTMUtility::currentAppEnvironment() == 0) {
        TQTMLogWarning(kLogTag, "GenerateTestCrash was just called in an App Store environment. "
                                "The call will be ignored.");
        return;
    }
    if (TQTMTelemetry::isDebuggerAttached())
        TQTMLogWarning(kLogTag,
                       "The debugger is attached. The following crash cannot be detected by the SDK!");
    __builtin_trap();
}

bool TQTMCrashes::isMachExceptionHandlerEnabled() const
{
    std::lock_guard lock(mutex_);
    return enableMachExceptionHandler_;
}

bool TQTMCrashes::isAutomaticProcessingEnabled() const
{
    std::lock_guard lock(mutex_);
    return automaticProcessingEnabled_;
}

void TQTMCrashes::setAutomaticProcessingEnabled(bool enabled)
{
    std::lock_guard lock(mutex_);
    automaticProcessingEnabled_ = enabled;
}

tqcrash::TQCrashReporter* TQTMCrashes::crashReporter() const
{
    std::lock_guard lock(mutex_);
    return tqCrashReporter_.get();
}

sonvale::UncaughtExceptionHandler TQTMCrashes::exceptionHandler() const
{
    std::lock_guard lock(mutex_);
    return exceptionHandler_;
}

std::string TQTMCrashes::crashesDir() { return directory("crashes"); }

std::string TQTMCrashes::logBufferDir() { return directory("crasheslogbuffer"); }

std::string TQTMCrashes::wrapperExceptionsDir() { return directory("crasheswrapperexceptions"); }

void TQTMCrashes::resetDirectory()
{
    std::lock_guard lock(gDirectoryMutex);
    gDirectoryMade.clear();
}
