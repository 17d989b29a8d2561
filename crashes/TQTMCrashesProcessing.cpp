// The previous run's crash: copying the engine's report into the "crashes" folder at enable,
// turning every report file into a crash log a second later, and sending the logs or waiting for
// the user's decision.

#include "crashes/TQTMCrashes.h"

#include "crashcapture/TQCrashReport.h"
#include "crashcapture/TQCrashReporter.h"
#include "crashes/TQTMAppleErrorLog.h"
#include "crashes/TQTMCrashesDelegate.h"
#include "crashes/TQTMErrorAttachmentLog.h"
#include "crashes/TQTMErrorLogFormatter.h"
#include "crashes/TQTMErrorReport.h"
#include "crashes/TQTMWrapperExceptionManager.h"
#include "platform/system/AtomicFile.h"
#include "platform/system/GlobalQueue.h"
#include "telemetry/TQTMChannelProtocol.h"
#include "telemetry/TQTMDispatcherUtil.h"
#include "telemetry/TQTMLogger.h"
#include "telemetry/TQTMSessionContext.h"
#include "telemetry/TQTMTelemetryUserDefaults.h"
#include "telemetry/TQTMUserIdContext.h"
#include "telemetry/TQTMUtility.h"

#include <algorithm>
#include <cstdio>
#include <future>
#include <map>
#include <span>

namespace {

// Seconds from 1970 to the platform's reference date, 1 January 2001 (UTC).
constexpr double kReferenceDateOffset = 978307200;

// Names of other files the folder may hold, which are never reports.
constexpr const char* kNonReportSuffixes[] = {".DS_Store", ".analyzer", ".plist",
                                              ".data",     ".meta",     ".desc"};

bool isReportFile(const std::filesystem::path& entry)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(entry, error) ||
        std::filesystem::file_size(entry, error) == 0 || error)
        return false;
    const std::string name = entry.filename().string();
    return std::ranges::none_of(kNonReportSuffixes, [&](std::string_view suffix) {
        return name.size() >= suffix.size() &&
               name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
    });
}

} // namespace

void TQTMCrashes::handleLatestCrashReport()
{
    std::lock_guard lock(mutex_);
    if (TQTMUtility::fileExistsForPathComponent(analyzerInProgressFilePathComponent_)) {
        TQTMLogError(kLogTag, "Error on loading the crash report, it will be purged.");
    } else {
        if (!TQTMUtility::createFileAtPathComponentWithDataAtomicallyForceOverwrite(
                analyzerInProgressFilePathComponent_, {}, false, false))
            TQTMLogError(kLogTag, "Couldn't create crash analyzer file.");
        tqcrash::TQCrashReporterError error;
        const auto data = tqCrashReporter_->loadPendingCrashReportDataAndReturnError(&error);
        if (!data) {
            TQTMLogError(kLogTag, "Couldn't load crash report: " + error.description);
        } else if (const auto report = tqcrash::TQCrashReport::initWithDataError(*data, &error)) {
            // Named by the seconds since the reference date; a report copied in the same second
            // as another gets a suffix rather than taking the other's place.
            char seconds[32];
            std::snprintf(
                seconds, sizeof seconds, "%.0f",
                std::chrono::duration<double>(clock_.now().time_since_epoch()).count() -
                    kReferenceDateOffset);
            std::string component = crashesPathComponent_ + "/" + seconds;
            for (int n = 1; TQTMUtility::fileExistsForPathComponent(component); ++n)
                component = crashesPathComponent_ + "/" + seconds + "-" + std::to_string(n);
            TQTMUtility::createFileAtPathComponentWithDataAtomicallyForceOverwrite(component, *data,
                                                                                   true, false);
            lastSessionCrashReport_ = TQTMErrorLogFormatter::errorReportFromCrashReport(report.get());
            TQTMWrapperExceptionManager::correlateLastSavedWrapperExceptionToReport({lastSessionCrashReport_});
        } else {
            TQTMLogWarning(kLogTag, "Couldn't parse crash report: " + error.description);
        }
    }
    removeAnalyzerFile();
    tqCrashReporter_->purgePendingCrashReport();
}

std::vector<std::filesystem::path> TQTMCrashes::persistedCrashReports() const
{
    const auto entries = TQTMUtility::contentsOfDirectory(crashesPathComponent_);
    if (!entries) {
        TQTMLogError(kLogTag, "No persisted crashes found.");
        return {};
    }
    std::vector<std::filesystem::path> reports;
    std::ranges::copy_if(*entries, std::back_inserter(reports), isReportFile);
    return reports;
}

void TQTMCrashes::startDelayedCrashProcessing()
{
    // Desktop applications have no background state that would hold the pass back.
    std::weak_ptr<TQTMCrashes> weak = weak_from_this();
    clock_.callAfter(std::chrono::seconds(1), [weak] {
        sonvale::globalQueue().post([weak] {
            const auto crashes = weak.lock();
            if (!crashes)
                return;
            {
                std::lock_guard lock(crashes->mutex_);
                if (crashes->delayedProcessingStarted_)
                    return;
                crashes->delayedProcessingStarted_ = true;
            }
            crashes->startCrashProcessing();
            crashes->setDelayedProcessingAwaited(false);
        });
    });
}

void TQTMCrashes::startCrashProcessing()
{
    TQTMLogDebug(kLogTag, "Start delayed CrashManager processing");
    const sonvale::UncaughtExceptionHandler kept = exceptionHandler();
    if (kept && sonvale::uncaughtExceptionHandler() != kept)
        TQTMLogWarning(kLogTag, "Another exception handler was added. If this invokes any kind of "
                                "exit() after processing the exception, which causes any "
                                "subsequent error handler not to be invoked, these crashes will "
                                "NOT be reported to Telemetry!");
    processCrashReports();
}

void TQTMCrashes::processCrashReports()
{
    {
        std::lock_guard lock(mutex_);
        if (!isEnabled()) {
            TQTMLogDebug(kLogTag, "Crashes service is disabled; discard all crash reports");
            deleteAllFromCrashesDirectory();
            TQTMWrapperExceptionManager::deleteAllWrapperExceptions();
            return;
        }
        unprocessed_.emplace();
        std::map<std::filesystem::path, std::shared_ptr<tqcrash::TQCrashReport>> decoded;
        std::map<std::filesystem::path, std::shared_ptr<TQTMErrorReport>> reports;
        for (const std::filesystem::path& file : crashFiles_) {
            const auto bytes = sonvale::readWholeFile(file);
            if (!bytes || bytes->empty())
                continue;
            tqcrash::TQCrashReporterError error;
            std::shared_ptr<tqcrash::TQCrashReport> report = tqcrash::TQCrashReport::initWithDataError(
                std::span(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()), &error);
            if (!report) {
                TQTMLogWarning(kLogTag, "Crash report found but couldn't parse it, discard the "
                                        "crash report: " +
                                            error.description);
                continue;
            }
            reports[file] = TQTMErrorLogFormatter::errorReportFromCrashReport(report.get());
            decoded[file] = std::move(report);
        }
        ErrorReports publicReports;
        for (const auto& [file, report] : reports)
            publicReports.push_back(report);
        TQTMWrapperExceptionManager::correlateLastSavedWrapperExceptionToReport(publicReports);
        for (const auto& [file, report] : decoded) {
            TQTMLogVerbose(kLogTag, "Crash reports found");
            const auto log = TQTMErrorLogFormatter::errorLogFromCrashReport(*report);
            const std::string text = log->serializeLogWithPrettyPrinting(false).value_or("");
            if (automaticProcessingEnabled_ && !shouldProcessErrorReport(*reports[file])) {
                TQTMLogDebug(kLogTag,
                             "shouldProcessErrorReport returned NO, discard the crash report: " + text);
                deleteWrapperExceptionOf(*reports[file]);
                deleteCrashReportWithFileURL(file);
                std::erase(crashFiles_, file);
                continue;
            }
            if (automaticProcessingEnabled_)
                TQTMLogDebug(kLogTag, "shouldProcessErrorReport is not implemented or returned "
                                      "YES, processing the crash report: " +
                                          text);
            else
                TQTMLogDebug(kLogTag, "Automatic crash processing is disabled, storing the crash "
                                      "report for later processing: " +
                                          text);
            unprocessed_->push_back({log, reports[file], file});
        }
        if (!automaticProcessingEnabled_)
            return;
    }
    sendCrashReportsOrAwaitUserConfirmation();
}

bool TQTMCrashes::shouldProcessErrorReport(const TQTMErrorReport& report)
{
    const auto delegate = delegate_.lock();
    return !delegate || delegate->crashesShouldProcessErrorReport(*this, report);
}

bool TQTMCrashes::sendCrashReportsOrAwaitUserConfirmation()
{
    const auto stored = TQTMTelemetryUserDefaults::shared()->objectForKey(kUserConfirmationKey);
    const bool alwaysSend = stored && stored->is_boolean() && stored->get<bool>();
    bool automatic = false;
    bool hasHandler = false;
    {
        std::lock_guard lock(mutex_);
        if (!unprocessed_ || unprocessed_->empty())
            return alwaysSend;
        automatic = automaticProcessingEnabled_;
        hasHandler = static_cast<bool>(userConfirmationHandler_);
    }
    if (alwaysSend) {
        TQTMLogDebug(kLogTag, "The flag for user confirmation is set to "
                              "TQTMUserConfirmationAlways, continue sending logs");
        handleUserConfirmation(TQTMUserConfirmationSendOnce);
    } else if (automatic && !(hasHandler && userPromptedForConfirmation())) {
        TQTMLogDebug(kLogTag, "The user confirmation handler is not implemented or returned NO, "
                              "continue sending logs");
        handleUserConfirmation(TQTMUserConfirmationSendOnce);
    } else if (!automatic) {
        TQTMLogDebug(kLogTag, "Automatic crash processing is disabled and \"AlwaysSend\" is "
                              "false. Awaiting user confirmation.");
    }
    return alwaysSend;
}

bool TQTMCrashes::userPromptedForConfirmation()
{
    UserConfirmationHandler handler;
    ErrorReports reports;
    {
        std::lock_guard lock(mutex_);
        handler = userConfirmationHandler_;
        if (unprocessed_)
            for (const WaitingReport& waiting : *unprocessed_)
                reports.push_back(waiting.report);
    }
    // The handler may show a window: it runs on the main thread while this pass waits.
    std::promise<bool> asked;
    std::future<bool> answer = asked.get_future();
    TQTMDispatcherUtil::performBlockOnMainThread(
        [&] { asked.set_value(handler && handler(reports)); });
    return answer.get();
}

void TQTMCrashes::notifyWithUserConfirmation(uint64_t userConfirmation)
{
    const auto crashes = sharedInstance();
    {
        std::lock_guard lock(crashes->mutex_);
        if (!crashes->userConfirmationHandler_ && !crashes->unprocessed_) {
            TQTMLogError(kLogTag, "Incorrect usage of notifyWithUserConfirmation: it should only "
                                  "be called from userConfirmationHandler. For more information "
                                  "refer to the documentation.");
            return;
        }
    }
    crashes->handleUserConfirmation(userConfirmation);
}

void TQTMCrashes::handleUserConfirmation(uint64_t userConfirmation)
{
    std::lock_guard lock(mutex_);
    if (userConfirmation == TQTMUserConfirmationAlways)
        TQTMTelemetryUserDefaults::shared()->setObjectForKey(true, kUserConfirmationKey);
    const std::vector<WaitingReport> waiting = unprocessed_.value_or(std::vector<WaitingReport>{});
    if (userConfirmation != TQTMUserConfirmationDiscard) {
        const auto delegate = delegate_.lock();
        for (const WaitingReport& entry : waiting) {
            std::optional<std::vector<std::shared_ptr<TQTMErrorAttachmentLog>>> attachments;
            if (delegate)
                attachments = delegate->attachmentsWithCrashesForErrorReport(*this, *entry.report);
            if (attachments) {
                for (const auto& attachment : *attachments)
                    if (attachment && !attachment->device())
                        attachment->setDevice(entry.log->device());
            } else {
                TQTMLogDebug(kLogTag, "attachmentsWithCrashes is not implemented");
            }
            // The session and the user of the crash's time, not of this run.
            if (const auto& timestamp = entry.log->timestamp()) {
                entry.log->setSid(TQTMSessionContext::sharedInstance()->sessionIdAt(*timestamp));
                entry.log->setUserId(TQTMUserIdContext::sharedInstance()->userIdAt(*timestamp));
            }
            if (const auto unit = channelUnit())
                unit->enqueueItemFlags(entry.log, 2);
            if (const auto& incident = entry.report->incidentIdentifier())
                sendErrorAttachmentsWithIncidentIdentifier(attachments.value_or(Attachments{}), *incident);
            deleteWrapperExceptionOf(*entry.report);
            deleteCrashReportWithFileURL(entry.file);
            std::erase(crashFiles_, entry.file);
        }
    } else {
        for (const WaitingReport& entry : waiting) {
            deleteWrapperExceptionOf(*entry.report);
            deleteCrashReportWithFileURL(entry.file);
            std::erase(crashFiles_, entry.file);
        }
    }
    clearUnprocessedReports();
    clearContextHistoryAndKeepCurrentSession();
}

TQTMCrashes::ErrorReports TQTMCrashes::unprocessedCrashReports()
{
    std::unique_lock lock(mutex_);
    delayedProcessingAwaitedChanged_.wait(lock, [this] { return !delayedProcessingAwaited_; });
    ErrorReports reports;
    if (unprocessed_)
        for (const WaitingReport& waiting : *unprocessed_)
            reports.push_back(waiting.report);
    return reports;
}

void TQTMCrashes::setDelayedProcessingAwaited(bool awaited)
{
    {
        std::lock_guard lock(mutex_);
        delayedProcessingAwaited_ = awaited;
    }
    if (!awaited)
        delayedProcessingAwaitedChanged_.notify_all();
}

void TQTMCrashes::deleteCrashReportWithFileURL(const std::filesystem::path& url)
{
    TQTMUtility::deleteFileAtURL(url);
}

void TQTMCrashes::deleteWrapperExceptionOf(const TQTMErrorReport& report)
{
    if (const auto& incident = report.incidentIdentifier())
        TQTMWrapperExceptionManager::deleteWrapperExceptionWithUUIDString(*incident);
}

void TQTMCrashes::notifyDelegateOfSend(
    const std::shared_ptr<TQTMAbstractLog>& log,
    const std::function<void(TQTMCrashesDelegate&, TQTMCrashes&, const TQTMErrorReport&)>& call)
{
    const auto crashLog = std::dynamic_pointer_cast<TQTMAppleErrorLog>(log);
    const auto delegate = TQTMCrashes::delegate();
    if (!crashLog || !delegate)
        return;
    const auto report = TQTMErrorLogFormatter::errorReportFromLog(*crashLog);
    TQTMDispatcherUtil::performBlockOnMainThread(
        [self = shared_from_this(), delegate, report, call] { call(*delegate, *self, *report); });
}

void TQTMCrashes::channelWillSendLog(TQTMChannelProtocol&, const std::shared_ptr<TQTMAbstractLog>& log)
{
    notifyDelegateOfSend(log, [](TQTMCrashesDelegate& delegate, TQTMCrashes& crashes,
                                 const TQTMErrorReport& report) {
        delegate.crashesWillSendErrorReport(crashes, report);
    });
}

void TQTMCrashes::channelDidSucceedSendingLog(TQTMChannelProtocol&,
                                              const std::shared_ptr<TQTMAbstractLog>& log)
{
    notifyDelegateOfSend(log, [](TQTMCrashesDelegate& delegate, TQTMCrashes& crashes,
                                 const TQTMErrorReport& report) {
        delegate.crashesDidSucceedSendingErrorReport(crashes, report);
    });
}

void TQTMCrashes::channelDidFailSendingLogWithError(TQTMChannelProtocol&,
                                                    const std::shared_ptr<TQTMAbstractLog>& log,
                                                    const std::optional<TQTMError>& error)
{
    notifyDelegateOfSend(log, [error](TQTMCrashesDelegate& delegate, TQTMCrashes& crashes,
                                      const TQTMErrorReport& report) {
        delegate.crashesDidFailSendingErrorReportWithError(crashes, report, error);
    });
}
