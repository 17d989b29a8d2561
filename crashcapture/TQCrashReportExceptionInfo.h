#pragma once

#include "crashcapture/TQCrashReportStackFrameInfo.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tqcrash {

// The uncaught exception that ended the process, with the stack it was thrown from. Immutable.
class TQCrashReportExceptionInfo final {
public:
    TQCrashReportExceptionInfo(std::string exceptionName, std::string exceptionReason,
                               std::optional<std::vector<TQCrashReportStackFrameInfo>> stackFrames)
        : exceptionName_(std::move(exceptionName)), exceptionReason_(std::move(exceptionReason)),
          stackFrames_(std::move(stackFrames)) {}

    const std::string& exceptionName() const { return exceptionName_; }
    const std::string& exceptionReason() const { return exceptionReason_; }
    // Absent when the exception carried no frames.
    const std::optional<std::vector<TQCrashReportStackFrameInfo>>& stackFrames() const { return stackFrames_; }

private:
    std::string exceptionName_;
    std::string exceptionReason_;
    std::optional<std::vector<TQCrashReportStackFrameInfo>> stackFrames_;
};

} // namespace tqcrash
