#pragma once

#include "platform/system/Clock.h"
#include "platform/system/Exception.h"
#include "telemetry/TQTMChannelDelegate.h"
#include "telemetry/TQTMChannelUnitConfiguration.h"
#include "telemetry/TQTMServiceAbstract.h"

#include <condition_variable>
#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tqcrash {
class TQCrashReport;
class TQCrashReporter;
} // namespace tqcrash
class TQTMAppleErrorLog;
class TQTMCrashesDelegate;
class TQTMEncrypter;
class TQTMErrorAttachmentLog;
class TQTMErrorReport;
class TQTMExceptionModel;
struct TQTMError;

// What the user answered about the waiting crash reports.
enum TQTMUserConfirmation : uint64_t {
    TQTMUserConfirmationDiscard = 0,  // delete them unsent
    TQTMUserConfirmationSendOnce = 1, // send them
    TQTMUserConfirmationAlways = 2,   // send them, and every later report without asking
};

// The crash reporting service of the telemetry client, one per process. Started by the SDK, it
// adds its "Crashes" channel unit, configures and enables the crash engine once per process, keeps
// a copy of each recent log in the crash log buffer (written out by the engine's post-crash
// callback), re-sends that buffer at the next start, and turns the previous run's crash report
// into a crash log that it sends a second after the start.
//
// Threads: start and the enabled switch run on the caller's thread (the application's main
// thread); the buffer callbacks on the enqueuing thread and the channel group's queue; the crash
// processing once on the global queue. All state is guarded by the service's re-entrant lock
// (mutex_ of the base). The crash-time part is the buffer's (TQTMCrashesLogBuffer).
class TQTMCrashes final : public TQTMServiceAbstract,
                          public TQTMChannelDelegate,
                          public std::enable_shared_from_this<TQTMCrashes> {
public:
    static constexpr const char* kServiceName = "Crashes";
    static constexpr const char* kGroupId = "Crashes";
    static constexpr const char* kLogTag = "TelemetryCrashes";
    static constexpr const char* kBufferGroupId = "CrashesBuffer";
    static constexpr const char* kMemoryWarningKey = "AppDidReceiveMemoryWarning";
    static constexpr const char* kUserConfirmationKey = "CrashesUserConfirmation";
    static constexpr const char* kAnalyzerFileName = "TMCrashes.analyzer";

    using ErrorReports = std::vector<std::shared_ptr<TQTMErrorReport>>;
    // Answers true when it will ask the user (who answers through notifyWithUserConfirmation()),
    // false to send at once. Called on the main thread.
    using UserConfirmationHandler = std::function<bool(const ErrorReports&)>;

    // The clock dates the start and the buffered logs and times the delayed processing; it must
    // outlive the service. The shared instance takes the SDK's clock.
    explicit TQTMCrashes(sonvale::Clock& clock);
    ~TQTMCrashes() override;
    TQTMCrashes(const TQTMCrashes&) = delete;
    TQTMCrashes& operator=(const TQTMCrashes&) = delete;

    // The process's service, made on first use.
    static std::shared_ptr<TQTMCrashes> sharedInstance();
    // Drops it, so that the next use makes a fresh one (the crash engine stays enabled).
    static void resetSharedInstance();

    static bool hasCrashedInLastSession();
    static bool hasReceivedMemoryWarningInLastSession();
    static std::shared_ptr<TQTMErrorReport> lastSessionCrashReport();
    static void setDelegate(std::weak_ptr<TQTMCrashesDelegate> delegate);
    static std::shared_ptr<TQTMCrashesDelegate> delegate();
    static void setUserConfirmationHandler(UserConfirmationHandler handler);
    static UserConfirmationHandler userConfirmationHandler();
    static void notifyWithUserConfirmation(uint64_t userConfirmation);
    // Signal handlers instead of the exception server; only before the engine is configured.
    static void disableMachExceptionHandler();
    // Ends the process with an illegal instruction, for trying the reporting out.
    static void generateTestCrash();

    // TQTMServiceCommon / TQTMServiceAbstract
    std::string serviceName() const override { return kServiceName; }
    std::string groupId() const override { return kGroupId; }
    std::optional<TQTMChannelUnitConfiguration> channelUnitConfiguration() const override;
    int64_t initializationPriority() const override { return 999; }
    void startWithChannelGroupAppSecretTransmissionTargetTokenFromApplication(
        std::shared_ptr<TQTMChannelGroupProtocol> channelGroup, std::optional<std::string> appSecret,
        std::optional<std::string> transmissionTargetToken, bool fromApplication) override;
    void updateConfigurationWithAppSecretTransmissionTargetToken(
        std::optional<std::string> appSecret, std::optional<std::string> token) override;
    void applyEnabledState(bool enabled) override;

    // TQTMChannelDelegate: the buffer keeps the prepared logs until they are stored, and a log
    // sent again from the buffer files is dropped when the store already holds it; the send
    // outcome of crash logs goes to the delegate.
    void channelDidPrepareLogInternalIdFlags(TQTMChannelProtocol& channel,
                                             const std::shared_ptr<TQTMAbstractLog>& log,
                                             const std::string& internalId,
                                             uint32_t flags) override;
    void channelDidCompleteEnqueueingLogInternalId(TQTMChannelProtocol& channel,
                                                   const std::shared_ptr<TQTMAbstractLog>& log,
                                                   const std::string& internalId) override;
    bool channelUnitShouldFilterLog(TQTMChannelUnitProtocol& unit,
                                    const std::shared_ptr<TQTMAbstractLog>& log) override;
    void channelWillSendLog(TQTMChannelProtocol& channel,
                            const std::shared_ptr<TQTMAbstractLog>& log) override;
    void channelDidSucceedSendingLog(TQTMChannelProtocol& channel,
                                     const std::shared_ptr<TQTMAbstractLog>& log) override;
    void channelDidFailSendingLogWithError(TQTMChannelProtocol& channel,
                                           const std::shared_ptr<TQTMAbstractLog>& log,
                                           const std::optional<TQTMError>& error) override;

    bool isMachExceptionHandlerEnabled() const;
    bool isAutomaticProcessingEnabled() const;
    void setAutomaticProcessingEnabled(bool enabled);
    // The engine, once configured.
    tqcrash::TQCrashReporter* crashReporter() const;
    // The uncaught-exception handler the engine installed, once configured.
    sonvale::UncaughtExceptionHandler exceptionHandler() const;
    sonvale::TimePoint appStartTime() const { return appStartTime_; }

    // The previous run's crash reports waiting for a decision. While the service is enabled and its
    // processing pass is still to come, waits until the pass is over; a disabled service, or one
    // that was never enabled, answers at once with none.
    ErrorReports unprocessedCrashReports();
    // Sends the waiting reports, or leaves them waiting for the user; answers the stored
    // always-send choice.
    bool sendCrashReportsOrAwaitUserConfirmation();
    void handleUserConfirmation(uint64_t userConfirmation);

    // The service's folders below the telemetry folder, made once per process on first use.
    static std::string crashesDir();
    static std::string logBufferDir();
    static std::string wrapperExceptionsDir();
    // Forgets that the folders were made, so that they are made again on next use.
    static void resetDirectory();

    // Handled errors and attachments (TQTMCrashesHandledErrors.cpp, TQTMCrashesErrorAttachments.cpp).
    using Attachments = std::vector<std::shared_ptr<TQTMErrorAttachmentLog>>;
    using Properties = std::map<std::string, std::string>;
    // The error is wrapped in an exception model with the calling thread's stack.
    static std::optional<std::string> trackErrorWithPropertiesAttachments(const TQTMError& error,
                                                                          const std::optional<Properties>& properties,
                                                                          const std::optional<Attachments>& attachments);
    // An exception model built by a wrapper SDK.
    static std::optional<std::string>
    trackExceptionWithPropertiesAttachments(std::shared_ptr<TQTMExceptionModel> exception,
                                            const std::optional<Properties>& properties,
                                            const std::optional<Attachments>& attachments);
    // Sends a handled error log and its attachments; its new error id, or nothing while the service
    // cannot be used or is disabled.
    std::optional<std::string> trackErrorWithPropertiesAttachments(std::shared_ptr<TQTMExceptionModel> exception,
                                                                   const std::optional<Properties>& properties,
                                                                   const std::optional<Attachments>& attachments);
    // Each attachment gets the incident's id; invalid ones and those above 7 MiB of data are
    // dropped with an error message.
    void sendErrorAttachmentsWithIncidentIdentifier(const Attachments& attachments,
                                                    const std::string& incidentIdentifier);
    // Error id, attachment id, data and content type present and not empty.
    static bool validatePropertiesForAttachment(const TQTMErrorAttachmentLog& attachment);
    std::shared_ptr<TQTMErrorReport> buildHandledErrorReportWithErrorID(const std::string& errorId);

    // Wrapper SDKs (TQTMCrashesWrapperFiltering.cpp): drops every waiting report whose incident
    // identifier is not listed, with its file and wrapper exception, then decides on the rest.
    bool sendCrashReportsOrAwaitUserConfirmationForFilteredIds(const std::vector<std::string>& filteredIds);

    // The application object reports an exception (TQTMCrashesApplicationException.cpp): it goes
    // to the kept uncaught-exception handler, unless a debugger is attached.
    static void applicationDidReportException(const sonvale::Exception& exception);

private:
    // One report of the previous run waiting for the decision: its crash log, its public
    // report and its file in the "crashes" folder.
    struct WaitingReport {
        std::shared_ptr<TQTMAppleErrorLog> log;
        std::shared_ptr<TQTMErrorReport> report;
        std::filesystem::path file;
    };

    std::string displayName() const override { return "Crashes"; }

    // Enabling and disabling.
    void enable();
    void disable();
    void configureCrashReporterWithUncaughtExceptionHandlerEnabled(bool enabled);
    void clearContextHistoryAndKeepCurrentSession();
    void deleteAllFromCrashesDirectory();
    void removeAnalyzerFile();
    void clearUnprocessedReports();

    // The crash log buffer.
    void setupLogBuffer();
    void processLogBufferAfterCrash();
    void emptyLogBufferFiles();

    // The previous run's crash.
    void handleLatestCrashReport();
    std::vector<std::filesystem::path> persistedCrashReports() const;
    void startDelayedCrashProcessing();
    void startCrashProcessing();
    void processCrashReports();
    bool shouldProcessErrorReport(const TQTMErrorReport& report);
    bool userPromptedForConfirmation();
    void deleteCrashReportWithFileURL(const std::filesystem::path& url);
    void deleteWrapperExceptionOf(const TQTMErrorReport& report);
    // Whether unprocessedCrashReports() has a pass to wait for; wakes the waiters when it has not.
    void setDelayedProcessingAwaited(bool awaited);
    void notifyDelegateOfSend(const std::shared_ptr<TQTMAbstractLog>& log,
                              const std::function<void(TQTMCrashesDelegate&, TQTMCrashes&,
                                                       const TQTMErrorReport&)>& call);

    sonvale::Clock& clock_;
    bool didCrashInLastSession_ = false;
    bool didReceiveMemoryWarningInLastSession_ = false;
    bool enableMachExceptionHandler_ = true;
    bool automaticProcessingEnabled_ = true;
    TQTMChannelUnitConfiguration channelUnitConfiguration_;
    std::shared_ptr<TQTMErrorReport> lastSessionCrashReport_;
    std::shared_ptr<TQTMChannelUnitProtocol> bufferChannelUnit_;
    // The logs enqueued again from the buffer files of a crashed run, each with the bytes its file
    // held, until their unit asks whether to store them (on the group's queue).
    std::vector<std::pair<std::weak_ptr<TQTMAbstractLog>, std::vector<uint8_t>>> resentFromBuffer_;
    std::unique_ptr<TQTMEncrypter> targetTokenEncrypter_;
    std::vector<std::filesystem::path> crashFiles_;
    std::string crashesPathComponent_;
    std::string logBufferPathComponent_;
    std::string analyzerInProgressFilePathComponent_;
    std::weak_ptr<TQTMCrashesDelegate> delegate_;
    std::unique_ptr<tqcrash::TQCrashReporter> tqCrashReporter_;
    sonvale::UncaughtExceptionHandler exceptionHandler_ = nullptr;
    // The waiting reports of the processing pass; absent before the first pass.
    std::optional<std::vector<WaitingReport>> unprocessed_;
    UserConfirmationHandler userConfirmationHandler_;
    sonvale::TimePoint appStartTime_;

    // Delayed processing: whether the single pass of this process has started, and whether callers
    // of unprocessedCrashReports() wait for it (from the enable that schedules it until it is
    // over, or until the service is disabled).
    bool delayedProcessingStarted_ = false;
    bool delayedProcessingAwaited_ = false;
    std::condition_variable_any delayedProcessingAwaitedChanged_;
};
