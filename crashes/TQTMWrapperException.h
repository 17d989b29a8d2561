#pragma once

#include "telemetry/TQTMModelField.h"

#include <cstdint>
#include <memory>
#include <vector>

class TQTMExceptionModel;

// What a wrapper SDK saves about the exception that is ending its process, to be paired with the
// crash report of the same process at the next start. Stored in files, never sent as a log.
class TQTMWrapperException final : public TQTMSerializableObject {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMWrapperException";

    const std::shared_ptr<TQTMExceptionModel>& modelException() const { return modelException_; }
    void setModelException(std::shared_ptr<TQTMExceptionModel> value)
    {
        modelException_ = std::move(value);
    }
    const std::optional<std::vector<uint8_t>>& exceptionData() const { return exceptionData_; }
    void setExceptionData(std::optional<std::vector<uint8_t>> value)
    {
        exceptionData_ = std::move(value);
    }
    const std::optional<int64_t>& processId() const { return processId_; }
    void setProcessId(std::optional<int64_t> value) { processId_ = value; }

    // The bytes are written as base64 text.
    TQTMJson serializeToDictionary() const override;
    // No equality of its own: only the same object is equal.
    bool isEqual(const TQTMSerializableObject& other) const override { return &other == this; }

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    std::shared_ptr<TQTMExceptionModel> modelException_;
    std::optional<std::vector<uint8_t>> exceptionData_;
    std::optional<int64_t> processId_;

    static constexpr auto kFields = std::tuple{
        TQTMModelField{"modelException", &TQTMWrapperException::modelException_},
        TQTMModelField{"exceptionData", &TQTMWrapperException::exceptionData_},
        TQTMModelField{"processId", &TQTMWrapperException::processId_},
    };
};
