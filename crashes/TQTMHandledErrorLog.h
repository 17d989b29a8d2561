#pragma once

#include "telemetry/TQTMLogWithProperties.h"

#include <memory>

class TQTMExceptionModel;

// An error the application caught itself (type "handledError"). Valid with the base log's fields,
// an id and an exception; the exception's own validity takes no part.
class TQTMHandledErrorLog final : public TQTMLogWithProperties {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMHandledErrorLog";
    static constexpr const char* kType = "handledError";

    TQTMHandledErrorLog();

    const std::optional<std::string>& errorId() const { return errorId_; }
    void setErrorId(std::optional<std::string> value) { errorId_ = std::move(value); }
    const std::shared_ptr<TQTMExceptionModel>& exception() const { return exception_; }
    void setException(std::shared_ptr<TQTMExceptionModel> value) { exception_ = std::move(value); }

    TQTMJson serializeToDictionary() const override;
    bool isValid() const override;
    bool isEqual(const TQTMSerializableObject& other) const override;

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    std::optional<std::string> errorId_;
    std::shared_ptr<TQTMExceptionModel> exception_;

    static constexpr auto kFields = std::tuple{
        TQTMModelField{"id", &TQTMHandledErrorLog::errorId_},
        TQTMModelField{"exception", &TQTMHandledErrorLog::exception_},
    };
};
