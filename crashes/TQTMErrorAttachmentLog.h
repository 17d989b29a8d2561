#pragma once

#include "telemetry/TQTMAbstractLog.h"

#include <cstdint>
#include <memory>
#include <vector>

// A file attached to a crash or a handled error (type "errorAttachment"), sent with its bytes as
// base64 text. Made with a new random id. Valid with the base log's fields, the id of its error,
// its own id, its bytes (possibly none) and a content type.
class TQTMErrorAttachmentLog final : public TQTMAbstractLog {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMErrorAttachmentLog";
    static constexpr const char* kType = "errorAttachment";
    using Data = std::vector<uint8_t>;

    TQTMErrorAttachmentLog();
    TQTMErrorAttachmentLog(std::optional<std::string> filename, Data data,
                           std::optional<std::string> contentType);
    // The text as UTF-8, content type "text/plain".
    TQTMErrorAttachmentLog(std::optional<std::string> filename, const std::string& text);

    static std::shared_ptr<TQTMErrorAttachmentLog>
    attachmentWithTextFilename(const std::string& text, std::optional<std::string> filename);
    static std::shared_ptr<TQTMErrorAttachmentLog>
    attachmentWithBinaryFilenameContentType(Data data, std::optional<std::string> filename,
                                            std::optional<std::string> contentType);

    const std::optional<std::string>& attachmentId() const { return attachmentId_; }
    void setAttachmentId(std::optional<std::string> value) { attachmentId_ = std::move(value); }
    const std::optional<std::string>& errorId() const { return errorId_; }
    void setErrorId(std::optional<std::string> value) { errorId_ = std::move(value); }
    const std::optional<std::string>& contentType() const { return contentType_; }
    void setContentType(std::optional<std::string> value) { contentType_ = std::move(value); }
    const std::optional<std::string>& filename() const { return filename_; }
    void setFilename(std::optional<std::string> value) { filename_ = std::move(value); }
    const std::optional<Data>& data() const { return data_; }
    void setData(std::optional<Data> value) { data_ = std::move(value); }

    TQTMJson serializeToDictionary() const override;
    bool isValid() const override;
    bool isEqual(const TQTMSerializableObject& other) const override;

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    std::optional<std::string> attachmentId_;
    std::optional<std::string> errorId_;
    std::optional<std::string> contentType_;
    std::optional<std::string> filename_;
    std::optional<Data> data_;

    static constexpr auto kFields = std::tuple{
        TQTMModelField{"id", &TQTMErrorAttachmentLog::attachmentId_},
        TQTMModelField{"errorId", &TQTMErrorAttachmentLog::errorId_},
        TQTMModelField{"contentType", &TQTMErrorAttachmentLog::contentType_},
        TQTMModelField{"fileName", &TQTMErrorAttachmentLog::filename_},
        TQTMModelField{"data", &TQTMErrorAttachmentLog::data_},
    };
};
