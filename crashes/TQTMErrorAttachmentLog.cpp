#include "crashes/TQTMErrorAttachmentLog.h"

#include "crashes/TQTMErrorModelFields.h"
#include "platform/system/Base64.h"
#include "platform/system/Uuid.h"

using namespace tqtm_crashes::detail;

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
    putIfPresent(dictionary, "id", attachmentId_);
    putIfPresent(dictionary, "errorId", errorId_);
    putIfPresent(dictionary, "contentType", contentType_);
    putIfPresent(dictionary, "fileName", filename_);
    if (data_)
        dictionary["data"] = sonvale::base64Encode(data_->data(), data_->size());
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
    return log && TQTMAbstractLog::isEqual(other) && attachmentId_ == log->attachmentId_ &&
           errorId_ == log->errorId_ && contentType_ == log->contentType_ &&
           filename_ == log->filename_ && data_ == log->data_;
}

void TQTMErrorAttachmentLog::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMAbstractLog::encodeWithCoder(coder);
    coder.encodeString("id", attachmentId_);
    coder.encodeString("errorId", errorId_);
    coder.encodeString("contentType", contentType_);
    coder.encodeString("fileName", filename_);
    coder.encodeData("data", data_);
}

void TQTMErrorAttachmentLog::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMAbstractLog::initWithCoder(coder);
    attachmentId_ = coder.decodeString("id");
    errorId_ = coder.decodeString("errorId");
    contentType_ = coder.decodeString("contentType");
    filename_ = coder.decodeString("fileName");
    data_ = coder.decodeData("data");
}
