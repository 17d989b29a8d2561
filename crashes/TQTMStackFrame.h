#pragma once

#include "telemetry/TQTMModelField.h"

#include <cstdint>

// One frame of a thread's or an exception's stack, as the crash log sends it. Every field is
// optional; a frame has no validity rule of its own.
class TQTMStackFrame final : public TQTMSerializableObject {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMStackFrame";

    const std::optional<std::string>& address() const { return address_; }
    void setAddress(std::optional<std::string> value) { address_ = std::move(value); }
    const std::optional<std::string>& code() const { return code_; }
    void setCode(std::optional<std::string> value) { code_ = std::move(value); }
    const std::optional<std::string>& className() const { return className_; }
    void setClassName(std::optional<std::string> value) { className_ = std::move(value); }
    const std::optional<std::string>& methodName() const { return methodName_; }
    void setMethodName(std::optional<std::string> value) { methodName_ = std::move(value); }
    const std::optional<int64_t>& lineNumber() const { return lineNumber_; }
    void setLineNumber(std::optional<int64_t> value) { lineNumber_ = value; }
    const std::optional<std::string>& fileName() const { return fileName_; }
    void setFileName(std::optional<std::string> value) { fileName_ = std::move(value); }

    // Always an object, empty when nothing is set.
    TQTMJson serializeToDictionary() const override;
    bool isEqual(const TQTMSerializableObject& other) const override;

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    std::optional<std::string> address_;
    std::optional<std::string> code_;
    std::optional<std::string> className_;
    std::optional<std::string> methodName_;
    std::optional<int64_t> lineNumber_;
    std::optional<std::string> fileName_;

    static constexpr auto kFields = std::tuple{
        TQTMModelField{"address", &TQTMStackFrame::address_},
        TQTMModelField{"code", &TQTMStackFrame::code_},
        TQTMModelField{"className", &TQTMStackFrame::className_},
        TQTMModelField{"methodName", &TQTMStackFrame::methodName_},
        TQTMModelField{"lineNumber", &TQTMStackFrame::lineNumber_},
        TQTMModelField{"fileName", &TQTMStackFrame::fileName_},
    };
};
