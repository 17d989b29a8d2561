#pragma once

#include "crashes/TQTMCrashes.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class TQTMErrorAttachmentLog;
class TQTMErrorReport;

// What a wrapper SDK may say about the crash handlers while the service enables them. Every
// callback is optional: the defaults stand for "not answered".
class TQTMCrashHandlerSetupDelegate {
public:
    virtual ~TQTMCrashHandlerSetupDelegate() = default;

    // Whether the engine registers its uncaught-exception handler; nothing leaves it to the service.
    virtual std::optional<bool> shouldEnableUncaughtExceptionHandler() { return std::nullopt; }
    virtual void willSetUpCrashHandlers() {}
    virtual void didSetUpCrashHandlers() {}
};

// A wrapper SDK's way into the crash service: the holder of its setup delegate (held weakly) and
// calls forwarded to the service's shared instance. Any thread.
class TQTMWrapperCrashesHelper final {
public:
    TQTMWrapperCrashesHelper() = delete;

    static void setCrashHandlerSetupDelegate(const std::weak_ptr<TQTMCrashHandlerSetupDelegate>& delegate);
    static std::shared_ptr<TQTMCrashHandlerSetupDelegate> crashHandlerSetupDelegate();
    static std::shared_ptr<TQTMCrashHandlerSetupDelegate> getCrashHandlerSetupDelegate();

    static void setAutomaticProcessing(bool automaticProcessing);
    static bool automaticProcessing();
    // The service's waiting reports (TQTMCrashes::unprocessedCrashReports()).
    static TQTMCrashes::ErrorReports unprocessedCrashReports();
    // Keeps only the waiting reports with these incident identifiers, then decides on them.
    static bool sendCrashReportsOrAwaitUserConfirmationForFilteredIds(const std::vector<std::string>& filteredIds);
    static void sendErrorAttachmentsWithIncidentIdentifier(
        const std::vector<std::shared_ptr<TQTMErrorAttachmentLog>>& errorAttachments,
        const std::string& incidentIdentifier);
    static std::shared_ptr<TQTMErrorReport> buildHandledErrorReportWithErrorID(const std::string& errorId);
};
