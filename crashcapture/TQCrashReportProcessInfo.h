#pragma once

#include "crashcapture/TQCrashReportSystemInfo.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace tqcrash {

// The process that crashed and its parent. Immutable.
class TQCrashReportProcessInfo final {
public:
    TQCrashReportProcessInfo(std::optional<std::string> processName, std::uint64_t processID,
                             std::optional<std::string> processPath,
                             std::optional<TQCrashReportDate> processStartTime,
                             std::optional<std::string> parentProcessName, std::uint64_t parentProcessID,
                             bool native)
        : processName_(std::move(processName)), processID_(processID), processPath_(std::move(processPath)),
          processStartTime_(processStartTime), parentProcessName_(std::move(parentProcessName)),
          parentProcessID_(parentProcessID), native_(native) {}

    const std::optional<std::string>& processName() const { return processName_; }
    std::uint64_t processID() const { return processID_; }
    const std::optional<std::string>& processPath() const { return processPath_; }
    const std::optional<TQCrashReportDate>& processStartTime() const { return processStartTime_; }
    const std::optional<std::string>& parentProcessName() const { return parentProcessName_; }
    std::uint64_t parentProcessID() const { return parentProcessID_; }
    bool native() const { return native_; }

private:
    std::optional<std::string> processName_;
    std::uint64_t processID_;
    std::optional<std::string> processPath_;
    std::optional<TQCrashReportDate> processStartTime_;
    std::optional<std::string> parentProcessName_;
    std::uint64_t parentProcessID_;
    bool native_;
};

} // namespace tqcrash
