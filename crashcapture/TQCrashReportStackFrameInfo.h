#pragma once

#include "crashcapture/TQCrashReportSymbolInfo.h"

#include <cstdint>
#include <optional>
#include <utility>

namespace tqcrash {

// One frame of a stack. Immutable.
class TQCrashReportStackFrameInfo final {
public:
    TQCrashReportStackFrameInfo(std::uint64_t instructionPointer, std::optional<TQCrashReportSymbolInfo> symbolInfo)
        : instructionPointer_(instructionPointer), symbolInfo_(std::move(symbolInfo)) {}

    std::uint64_t instructionPointer() const { return instructionPointer_; }
    const std::optional<TQCrashReportSymbolInfo>& symbolInfo() const { return symbolInfo_; }

private:
    std::uint64_t instructionPointer_;
    std::optional<TQCrashReportSymbolInfo> symbolInfo_;
};

} // namespace tqcrash
