#pragma once

#include "platform/system/Clock.h"
#include "telemetry/TQTMSerializableObject.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TQTMBinary;
class TQTMDevice;
class TQTMThread;

// A crash as the crash service shows it to the application: the incident, the signal and the
// exception, the times, the code type and the threads, images and device. Made by the error log
// formatter and read-only afterwards (the signal aside). Not archived and not sent.
class TQTMErrorReport final {
public:
    using Threads = std::vector<std::shared_ptr<TQTMThread>>;
    using Binaries = std::vector<std::shared_ptr<TQTMBinary>>;

    TQTMErrorReport(std::optional<std::string> errorId, std::optional<std::string> reporterKey,
                    std::optional<std::string> signal, std::optional<std::string> exceptionName,
                    std::optional<std::string> exceptionReason,
                    std::optional<sonvale::TimePoint> appStartTime,
                    std::optional<sonvale::TimePoint> appErrorTime,
                    std::optional<std::string> codeType, std::optional<std::string> archName,
                    std::optional<std::string> applicationPath, std::optional<Threads> threads,
                    std::optional<Binaries> binaries, std::shared_ptr<TQTMDevice> device,
                    uint64_t appProcessIdentifier);

    const std::optional<std::string>& incidentIdentifier() const { return incidentIdentifier_; }
    const std::optional<std::string>& reporterKey() const { return reporterKey_; }
    const std::optional<std::string>& signal() const { return signal_; }
    void setSignal(std::optional<std::string> value) { signal_ = std::move(value); }
    const std::optional<std::string>& exceptionName() const { return exceptionName_; }
    const std::optional<std::string>& exceptionReason() const { return exceptionReason_; }
    const std::optional<sonvale::TimePoint>& appStartTime() const { return appStartTime_; }
    const std::optional<sonvale::TimePoint>& appErrorTime() const { return appErrorTime_; }
    const std::optional<std::string>& codeType() const { return codeType_; }
    const std::optional<std::string>& archName() const { return archName_; }
    const std::optional<std::string>& applicationPath() const { return applicationPath_; }
    const std::optional<Threads>& threads() const { return threads_; }
    const std::optional<Binaries>& binaries() const { return binaries_; }
    const std::shared_ptr<TQTMDevice>& device() const { return device_; }
    uint64_t appProcessIdentifier() const { return appProcessIdentifier_; }

    // Whether the process was killed: the signal, in any letter case, is "SIGKILL".
    bool isAppKill() const;

    // A description aid, not a format: every field present, the process identifier as text
    // only when not 0.
    TQTMJson serializeToDictionary() const;
    std::string description() const;

private:
    std::optional<std::string> incidentIdentifier_;
    std::optional<std::string> reporterKey_;
    std::optional<std::string> signal_;
    std::optional<std::string> exceptionName_;
    std::optional<std::string> exceptionReason_;
    std::optional<sonvale::TimePoint> appStartTime_;
    std::optional<sonvale::TimePoint> appErrorTime_;
    std::optional<std::string> codeType_;
    std::optional<std::string> archName_;
    std::optional<std::string> applicationPath_;
    std::optional<Threads> threads_;
    std::optional<Binaries> binaries_;
    std::shared_ptr<TQTMDevice> device_;
    uint64_t appProcessIdentifier_;
};
