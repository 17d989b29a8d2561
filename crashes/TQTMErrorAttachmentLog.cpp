#include "crashes/TQTMErrorAttachmentLog.h"

#include "platform/system/Uuid.h"

TQTMErrorAttachmentLog::TQTMErrorAttachmentLog() : attachmentId_(sonvale::Uuid::random().toString())
{
    setType(kType);
}

TQTMErrorAttachmentLog::TQTMErrorAttachmentLog(std::optional<std::string> filename, Data data,
                                               std::optional<std::string> contentType)
    : TQTMErrorAttachmentLog()
{
    data_ = std::move(data);
    contentType_ = std::move(contentType);
    filename_ = std::move(filename);
}

TQTMErrorAttachmentLog::TQTMErrorAttachmentLog(std::optional<std::string> filename,
                                               const std::string& text)
    : TQTMErrorAttachmentLog(std::move(filename), Data(text.begin(), text.end()), "text/plain")
{}

std::shared_ptr<TQTMErrorAttachmentLog>
TQTMErrorAttachmentLog::attachmentWithTextFilename(const std::string& text,
                                                   std::optional<std::string> filename)
{
    return std::make_shared<TQTMErrorAttachmentLog>(std::move(filename), text);
}

std::shared_ptr<TQTMErrorAttachmentLog> TQTMErrorAttachmentLog::attachmentWithBinaryFilenameContentType(
    Data data, std::optional<std::string> filename, std::optional<std::string> contentType)
{
    return std::make_shared<TQTMErrorAttachmentLog>(std::move(filename), std::move(data),
                                                    std::move(contentType));
}

TQTMJson TQTMErrorAttachmentLog::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMAbstractLog::serializeToDictionary();
    TQTMPutFields(dictionary, *this, kFields);
    return dictionary;
}

bool TQTMErrorAttachmentLog::isValid() const
{
    if (!TQTMAbstractLog::isValid())
        return false;
    if (!errorId_)
        return TQTMReportInvalidField(archiveClassName(), "errorId");
    if (!attachmentId_)
        return TQTMReportInvalidField(archiveClassName(), "attachmentId");
    if (!data_)
        return TQTMReportInvalidField(archiveClassName(), "data");
    if (!contentType_)
        return TQTMReportInvalidField(archiveClassName(), "contentType");
    return true;
}

bool TQTMErrorAttachmentLog::isEqual(const TQTMSerializableObject& other) const
{
    const auto* log = dynamic_cast<const TQTMErrorAttachmentLog*>(&other);
    return log && TQTMAbstractLog::isEqual(other) && TQTMFieldsEqual(*this, *log, kFields);
}

void TQTMErrorAttachmentLog::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMAbstractLog::encodeWithCoder(coder);
    TQTMEncodeFields(coder, *this, kFields);
}

void TQTMErrorAttachmentLog::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMAbstractLog::initWithCoder(coder);
    TQTMDecodeFields(coder, *this, kFields);
}
