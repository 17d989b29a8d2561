#pragma once

#include "crashcapture/TQCrashReportProcessorInfo.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace tqcrash {

// The machine a report was written on. Immutable.
class TQCrashReportMachineInfo final {
public:
    TQCrashReportMachineInfo(std::optional<std::string> modelName,
                             std::optional<TQCrashReportProcessorInfo> processorInfo,
                             std::uint64_t processorCount, std::uint64_t logicalProcessorCount)
        : modelName_(std::move(modelName)), processorInfo_(processorInfo), processorCount_(processorCount),
          logicalProcessorCount_(logicalProcessorCount) {}

    const std::optional<std::string>& modelName() const { return modelName_; }
    const std::optional<TQCrashReportProcessorInfo>& processorInfo() const { return processorInfo_; }
    std::uint64_t processorCount() const { return processorCount_; }
    std::uint64_t logicalProcessorCount() const { return logicalProcessorCount_; }

private:
    std::optional<std::string> modelName_;
    std::optional<TQCrashReportProcessorInfo> processorInfo_;
    std::uint64_t processorCount_;
    std::uint64_t logicalProcessorCount_;
};

} // namespace tqcrash
