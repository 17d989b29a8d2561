#pragma once

#include "telemetry/TQTMLogWithProperties.h"

#include <cstdint>

// What every error log tells about the failing process: the error's id, the process and its
// parent, the failing thread, whether it was fatal, when the process started and its
// architecture. Needs errorId, processId and processName besides the base log's fields.
class TQTMAbstractErrorLog : public TQTMLogWithProperties {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMAbstractErrorLog";

    const std::optional<std::string>& errorId() const { return errorId_; }
    void setErrorId(std::optional<std::string> value) { errorId_ = std::move(value); }
    const std::optional<int64_t>& processId() const { return processId_; }
    void setProcessId(std::optional<int64_t> value) { processId_ = value; }
    const std::optional<std::string>& processName() const { return processName_; }
    void setProcessName(std::optional<std::string> value) { processName_ = std::move(value); }
    const std::optional<int64_t>& parentProcessId() const { return parentProcessId_; }
    void setParentProcessId(std::optional<int64_t> value) { parentProcessId_ = value; }
    const std::optional<std::string>& parentProcessName() const { return parentProcessName_; }
    void setParentProcessName(std::optional<std::string> value)
    {
        parentProcessName_ = std::move(value);
    }
    const std::optional<int64_t>& errorThreadId() const { return errorThreadId_; }
    void setErrorThreadId(std::optional<int64_t> value) { errorThreadId_ = value; }
    const std::optional<std::string>& errorThreadName() const { return errorThreadName_; }
    void setErrorThreadName(std::optional<std::string> value)
    {
        errorThreadName_ = std::move(value);
    }
    bool isFatal() const { return fatal_; }
    void setFatal(bool fatal) { fatal_ = fatal; }
    const std::optional<sonvale::TimePoint>& appLaunchTimestamp() const
    {
        return appLaunchTimestamp_;
    }
    void setAppLaunchTimestamp(std::optional<sonvale::TimePoint> value)
    {
        appLaunchTimestamp_ = value;
    }
    const std::optional<std::string>& architecture() const { return architecture_; }
    void setArchitecture(std::optional<std::string> value) { architecture_ = std::move(value); }

    // "fatal" is always written.
    TQTMJson serializeToDictionary() const override;
    bool isValid() const override;
    bool isEqual(const TQTMSerializableObject& other) const override;

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    std::optional<std::string> errorId_;
    std::optional<int64_t> processId_;
    std::optional<std::string> processName_;
    std::optional<int64_t> parentProcessId_;
    std::optional<std::string> parentProcessName_;
    std::optional<int64_t> errorThreadId_;
    std::optional<std::string> errorThreadName_;
    bool fatal_ = false;
    std::optional<sonvale::TimePoint> appLaunchTimestamp_;
    std::optional<std::string> architecture_;

    static constexpr auto kFields = std::tuple{
        TQTMModelField{"id", &TQTMAbstractErrorLog::errorId_},
        TQTMModelField{"processId", &TQTMAbstractErrorLog::processId_},
        TQTMModelField{"processName", &TQTMAbstractErrorLog::processName_},
        TQTMModelField{"parentProcessId", &TQTMAbstractErrorLog::parentProcessId_},
        TQTMModelField{"parentProcessName", &TQTMAbstractErrorLog::parentProcessName_},
        TQTMModelField{"errorThreadId", &TQTMAbstractErrorLog::errorThreadId_},
        TQTMModelField{"errorThreadName", &TQTMAbstractErrorLog::errorThreadName_},
        TQTMModelField{"fatal", &TQTMAbstractErrorLog::fatal_},
        TQTMModelField{"appLaunchTimestamp", &TQTMAbstractErrorLog::appLaunchTimestamp_},
        TQTMModelField{"architecture", &TQTMAbstractErrorLog::architecture_},
    };
};
