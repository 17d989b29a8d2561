// Files attached to a crash or a handled error, sent through the service's unit.

#include "crashes/TQTMCrashes.h"

#include "crashes/TQTMErrorAttachmentLog.h"
#include "telemetry/TQTMChannelProtocol.h"
#include "telemetry/TQTMLogger.h"

#include <cstddef>
#include <string>

namespace {

// The most attachment data one log may carry.
constexpr std::size_t kMaxAttachmentSize = 7 * 1024 * 1024;

bool isPresentAndNotEmpty(const auto& value) { return value.has_value() && !value->empty(); }

} // namespace

bool TQTMCrashes::validatePropertiesForAttachment(const TQTMErrorAttachmentLog& attachment)
{
    return isPresentAndNotEmpty(attachment.errorId()) && isPresentAndNotEmpty(attachment.attachmentId()) &&
           isPresentAndNotEmpty(attachment.data()) && isPresentAndNotEmpty(attachment.contentType());
}

void TQTMCrashes::sendErrorAttachmentsWithIncidentIdentifier(const Attachments& attachments,
                                                            const std::string& incidentIdentifier)
{
    std::lock_guard lock(mutex_);
    for (const auto& attachment : attachments) {
        if (!attachment)
            continue;
        attachment->setErrorId(incidentIdentifier);
        if (!validatePropertiesForAttachment(*attachment)) {
            TQTMLogError(kLogTag, "Not all required fields are present in TQTMErrorAttachmentLog.");
            continue;
        }
        if (const std::size_t size = attachment->data()->size(); size > kMaxAttachmentSize) {
            TQTMLogError(kLogTag, "Discarding attachment with size above " + std::to_string(kMaxAttachmentSize) +
                                      " bytes: size=" + std::to_string(size) +
                                      ", fileName=" + attachment->filename().value_or("(null)") + ".");
            continue;
        }
        channelUnit()->enqueueItemFlags(attachment, 1);
    }
}
