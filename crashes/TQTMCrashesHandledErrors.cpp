// Errors the application caught itself, sent as handled error logs through the service's unit.

#include "crashes/TQTMCrashes.h"

#include "crashes/TQTMErrorReport.h"
#include "crashes/TQTMExceptionModel.h"
#include "crashes/TQTMHandledErrorLog.h"
#include "platform/system/Uuid.h"
#include "telemetry/TQTMChannelProtocol.h"
#include "telemetry/TQTMDeviceTracker.h"
#include "telemetry/TQTMUserIdContext.h"
#include "telemetry/TQTMUtility.h"

std::optional<std::string> TQTMCrashes::trackErrorWithPropertiesAttachments(
    const TQTMError& error, const std::optional<Properties>& properties, const std::optional<Attachments>& attachments)
{
    return sharedInstance()->trackErrorWithPropertiesAttachments(TQTMExceptionModel::initWithError(error), properties,
                                                                 attachments);
}

std::optional<std::string> TQTMCrashes::trackExceptionWithPropertiesAttachments(
    std::shared_ptr<TQTMExceptionModel> exception, const std::optional<Properties>& properties,
    const std::optional<Attachments>& attachments)
{
    return sharedInstance()->trackErrorWithPropertiesAttachments(std::move(exception), properties, attachments);
}

std::optional<std::string> TQTMCrashes::trackErrorWithPropertiesAttachments(
    std::shared_ptr<TQTMExceptionModel> exception, const std::optional<Properties>& properties,
    const std::optional<Attachments>& attachments)
{
    std::lock_guard lock(mutex_);
    if (!canBeUsed() || !isEnabled())
        return std::nullopt;
    auto log = std::make_shared<TQTMHandledErrorLog>();
    log->setUserId(TQTMUserIdContext::sharedInstance()->userId());
    const std::string errorId = sonvale::Uuid::random().toString();
    log->setErrorId(errorId);
    log->setException(std::move(exception));
    if (properties && !properties->empty())
        log->setProperties(TQTMUtility::validatePropertiesForLogNameType(TQTMJson(*properties), "ErrorLog: " + errorId,
                                                                        TQTMHandledErrorLog::kType));
    channelUnit()->enqueueItemFlags(log, 1);
    if (attachments)
        sendErrorAttachmentsWithIncidentIdentifier(*attachments, errorId);
    return errorId;
}

std::shared_ptr<TQTMErrorReport> TQTMCrashes::buildHandledErrorReportWithErrorID(const std::string& errorId)
{
    return std::make_shared<TQTMErrorReport>(errorId, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                                             appStartTime(), clock_.now(), std::nullopt, std::nullopt, std::nullopt,
                                             std::nullopt, std::nullopt, TQTMDeviceTracker::sharedInstance()->device(),
                                             0);
}
