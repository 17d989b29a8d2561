#pragma once

#include "crashes/TQTMAbstractErrorLog.h"

#include <map>
#include <memory>
#include <vector>

class TQTMBinary;
class TQTMExceptionModel;
class TQTMThread;

// The crash log (type "appleError"): the previous run's crash as the crash service sends it,
// with the signal, the threads, the crashed thread's registers and the images. Valid with the
// base fields and primaryArchitectureId, applicationPath and the signal's type, code and address;
// the nested threads, binaries and exception take no part in that.
class TQTMAppleErrorLog final : public TQTMAbstractErrorLog {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMAppleErrorLog";
    static constexpr const char* kType = "appleError";
    using Threads = std::vector<std::shared_ptr<TQTMThread>>;
    using Binaries = std::vector<std::shared_ptr<TQTMBinary>>;
    using Registers = std::map<std::string, std::string>;

    TQTMAppleErrorLog();

    const std::optional<uint64_t>& primaryArchitectureId() const { return primaryArchitectureId_; }
    void setPrimaryArchitectureId(std::optional<uint64_t> value) { primaryArchitectureId_ = value; }
    const std::optional<uint64_t>& architectureVariantId() const { return architectureVariantId_; }
    void setArchitectureVariantId(std::optional<uint64_t> value) { architectureVariantId_ = value; }
    const std::optional<std::string>& applicationPath() const { return applicationPath_; }
    void setApplicationPath(std::optional<std::string> value) { applicationPath_ = std::move(value); }
    const std::optional<std::string>& osExceptionType() const { return osExceptionType_; }
    void setOsExceptionType(std::optional<std::string> value) { osExceptionType_ = std::move(value); }
    const std::optional<std::string>& osExceptionCode() const { return osExceptionCode_; }
    void setOsExceptionCode(std::optional<std::string> value) { osExceptionCode_ = std::move(value); }
    const std::optional<std::string>& osExceptionAddress() const { return osExceptionAddress_; }
    void setOsExceptionAddress(std::optional<std::string> value)
    {
        osExceptionAddress_ = std::move(value);
    }
    const std::optional<std::string>& exceptionType() const { return exceptionType_; }
    void setExceptionType(std::optional<std::string> value) { exceptionType_ = std::move(value); }
    const std::optional<std::string>& exceptionReason() const { return exceptionReason_; }
    void setExceptionReason(std::optional<std::string> value) { exceptionReason_ = std::move(value); }
    const std::optional<std::string>& selectorRegisterValue() const
    {
        return selectorRegisterValue_;
    }
    void setSelectorRegisterValue(std::optional<std::string> value)
    {
        selectorRegisterValue_ = std::move(value);
    }
    const std::optional<Threads>& threads() const { return threads_; }
    void setThreads(std::optional<Threads> value) { threads_ = std::move(value); }
    const std::optional<Binaries>& binaries() const { return binaries_; }
    void setBinaries(std::optional<Binaries> value) { binaries_ = std::move(value); }
    const std::optional<Registers>& registers() const { return registers_; }
    void setRegisters(std::optional<Registers> value) { registers_ = std::move(value); }
    const std::shared_ptr<TQTMExceptionModel>& exception() const { return exception_; }
    void setException(std::shared_ptr<TQTMExceptionModel> value) { exception_ = std::move(value); }

    TQTMJson serializeToDictionary() const override;
    bool isValid() const override;
    bool isEqual(const TQTMSerializableObject& other) const override;

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    std::optional<uint64_t> primaryArchitectureId_;
    std::optional<uint64_t> architectureVariantId_;
    std::optional<std::string> applicationPath_;
    std::optional<std::string> osExceptionType_;
    std::optional<std::string> osExceptionCode_;
    std::optional<std::string> osExceptionAddress_;
    std::optional<std::string> exceptionType_;
    std::optional<std::string> exceptionReason_;
    std::optional<std::string> selectorRegisterValue_;
    std::optional<Threads> threads_;
    std::optional<Binaries> binaries_;
    std::optional<Registers> registers_;
    std::shared_ptr<TQTMExceptionModel> exception_;

    static constexpr auto kFields = std::tuple{
        TQTMModelField{"primaryArchitectureId", &TQTMAppleErrorLog::primaryArchitectureId_},
        TQTMModelField{"architectureVariantId", &TQTMAppleErrorLog::architectureVariantId_},
        TQTMModelField{"applicationPath", &TQTMAppleErrorLog::applicationPath_},
        TQTMModelField{"osExceptionType", &TQTMAppleErrorLog::osExceptionType_},
        TQTMModelField{"osExceptionCode", &TQTMAppleErrorLog::osExceptionCode_},
        TQTMModelField{"osExceptionAddress", &TQTMAppleErrorLog::osExceptionAddress_},
        TQTMModelField{"exceptionType", &TQTMAppleErrorLog::exceptionType_},
        TQTMModelField{"exceptionReason", &TQTMAppleErrorLog::exceptionReason_},
        TQTMModelField{"selectorRegisterValue", &TQTMAppleErrorLog::selectorRegisterValue_},
        TQTMModelField{"threads", &TQTMAppleErrorLog::threads_},
        TQTMModelField{"binaries", &TQTMAppleErrorLog::binaries_},
        TQTMModelField{"registers", &TQTMAppleErrorLog::registers_},
        TQTMModelField{"exception", &TQTMAppleErrorLog::exception_},
    };
};
