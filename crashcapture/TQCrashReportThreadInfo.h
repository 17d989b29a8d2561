#pragma once

#include "crashcapture/TQCrashReportRegisterInfo.h"
#include "crashcapture/TQCrashReportStackFrameInfo.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace tqcrash {

// One thread of the crashed process: its frames and, for the crashed thread, its registers.
// Immutable.
class TQCrashReportThreadInfo final {
public:
    TQCrashReportThreadInfo(std::int64_t threadNumber, std::vector<TQCrashReportStackFrameInfo> stackFrames,
                            bool crashed, std::vector<TQCrashReportRegisterInfo> registers)
        : threadNumber_(threadNumber), stackFrames_(std::move(stackFrames)), crashed_(crashed),
          registers_(std::move(registers)) {}

    std::int64_t threadNumber() const { return threadNumber_; }
    const std::vector<TQCrashReportStackFrameInfo>& stackFrames() const { return stackFrames_; }
    bool crashed() const { return crashed_; }
    const std::vector<TQCrashReportRegisterInfo>& registers() const { return registers_; }

private:
    std::int64_t threadNumber_;
    std::vector<TQCrashReportStackFrameInfo> stackFrames_;
    bool crashed_;
    std::vector<TQCrashReportRegisterInfo> registers_;
};

} // namespace tqcrash
