#pragma once

#include "crashcapture/TQCrashReportProcessorInfo.h"

#include <chrono>
#include <optional>
#include <string>
#include <utility>

namespace tqcrash {

enum class TQCrashReportOperatingSystem : int {
    MacOSX = 0, iPhoneOS = 1, iPhoneSimulator = 2, Unknown = 3, AppleTVOS = 4,
};

enum class TQCrashReportArchitecture : int {
    X86_32 = 0, X86_64 = 1, ARMv6 = 2, PPC = 3, PPC64 = 4, ARMv7 = 5, Unknown = 6,
};

// Seconds since 1970, as reports store them; any stored value is representable.
using TQCrashReportDate = std::chrono::sys_seconds;

// The system a report was written on. Immutable.
class TQCrashReportSystemInfo final {
public:
    TQCrashReportSystemInfo(TQCrashReportOperatingSystem operatingSystem, std::string operatingSystemVersion,
                            std::optional<std::string> operatingSystemBuild,
                            TQCrashReportArchitecture architecture, TQCrashReportProcessorInfo processorInfo,
                            std::optional<TQCrashReportDate> timestamp)
        : operatingSystem_(operatingSystem), operatingSystemVersion_(std::move(operatingSystemVersion)),
          operatingSystemBuild_(std::move(operatingSystemBuild)), architecture_(architecture),
          processorInfo_(processorInfo), timestamp_(timestamp) {}

    TQCrashReportOperatingSystem operatingSystem() const { return operatingSystem_; }
    const std::string& operatingSystemVersion() const { return operatingSystemVersion_; }
    const std::optional<std::string>& operatingSystemBuild() const { return operatingSystemBuild_; }
    TQCrashReportArchitecture architecture() const { return architecture_; }
    const TQCrashReportProcessorInfo& processorInfo() const { return processorInfo_; }
    // Absent when the report's time stamp is 0.
    const std::optional<TQCrashReportDate>& timestamp() const { return timestamp_; }

private:
    TQCrashReportOperatingSystem operatingSystem_;
    std::string operatingSystemVersion_;
    std::optional<std::string> operatingSystemBuild_;
    TQCrashReportArchitecture architecture_;
    TQCrashReportProcessorInfo processorInfo_;
    std::optional<TQCrashReportDate> timestamp_;
};

} // namespace tqcrash
