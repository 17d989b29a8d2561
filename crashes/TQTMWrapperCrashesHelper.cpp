#include "crashes/TQTMWrapperCrashesHelper.h"

#include <mutex>

namespace {

std::mutex gMutex;
std::weak_ptr<TQTMCrashHandlerSetupDelegate> gSetupDelegate;

} // namespace

void TQTMWrapperCrashesHelper::setCrashHandlerSetupDelegate(const std::weak_ptr<TQTMCrashHandlerSetupDelegate>& delegate)
{
    std::lock_guard lock(gMutex);
    gSetupDelegate = delegate;
}

std::shared_ptr<TQTMCrashHandlerSetupDelegate> TQTMWrapperCrashesHelper::crashHandlerSetupDelegate()
{
    std::lock_guard lock(gMutex);
    return gSetupDelegate.lock();
}

std::shared_ptr<TQTMCrashHandlerSetupDelegate> TQTMWrapperCrashesHelper::getCrashHandlerSetupDelegate()
{
    return crashHandlerSetupDelegate();
}

void TQTMWrapperCrashesHelper::setAutomaticProcessing(bool automaticProcessing)
{
    TQTMCrashes::sharedInstance()->setAutomaticProcessingEnabled(automaticProcessing);
}

bool TQTMWrapperCrashesHelper::automaticProcessing()
{
    return TQTMCrashes::sharedInstance()->isAutomaticProcessingEnabled();
}

TQTMCrashes::ErrorReports TQTMWrapperCrashesHelper::unprocessedCrashReports()
{
    return TQTMCrashes::sharedInstance()->unprocessedCrashReports();
}

bool TQTMWrapperCrashesHelper::sendCrashReportsOrAwaitUserConfirmationForFilteredIds(
    const std::vector<std::string>& filteredIds)
{
    return TQTMCrashes::sharedInstance()->sendCrashReportsOrAwaitUserConfirmationForFilteredIds(filteredIds);
}

void TQTMWrapperCrashesHelper::sendErrorAttachmentsWithIncidentIdentifier(
    const std::vector<std::shared_ptr<TQTMErrorAttachmentLog>>& errorAttachments, const std::string& incidentIdentifier)
{
    TQTMCrashes::sharedInstance()->sendErrorAttachmentsWithIncidentIdentifier(errorAttachments, incidentIdentifier);
}

std::shared_ptr<TQTMErrorReport> TQTMWrapperCrashesHelper::buildHandledErrorReportWithErrorID(const std::string& errorId)
{
    return TQTMCrashes::sharedInstance()->buildHandledErrorReportWithErrorID(errorId);
}
