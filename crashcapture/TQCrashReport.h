#pragma once

#include "crashcapture/TQCrashReportApplicationInfo.h"
#include "crashcapture/TQCrashReportBinaryImageInfo.h"
#include "crashcapture/TQCrashReportExceptionInfo.h"
#include "crashcapture/TQCrashReportMachExceptionInfo.h"
#include "crashcapture/TQCrashReportMachineInfo.h"
#include "crashcapture/TQCrashReportProcessInfo.h"
#include "crashcapture/TQCrashReportSignalInfo.h"
#include "crashcapture/TQCrashReportSystemInfo.h"
#include "crashcapture/TQCrashReportThreadInfo.h"
#include "crashcapture/TQCrashReporterError.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace tqcrash {

using TQCrashReportUuid = std::array<std::uint8_t, 16>;

// One crash report file decoded into read-only section objects. Decoding is strict: a report that
// lacks what the reader needs is refused whole, with an error that names what is missing. The
// objects own copies of everything; a report never changes after it is made. Any thread; never on
// the crash path (it allocates).
class TQCrashReport final {
public:
    // The report in `data`, or null with `*error` (when given) set: code 2 and the reason.
    static std::unique_ptr<TQCrashReport> initWithDataError(std::span<const std::uint8_t> data,
                                                            TQCrashReporterError* error);

    const TQCrashReportSystemInfo& systemInfo() const { return *systemInfo_; }
    bool hasMachineInfo() const { return machineInfo_.has_value(); }
    const std::optional<TQCrashReportMachineInfo>& machineInfo() const { return machineInfo_; }
    const TQCrashReportApplicationInfo& applicationInfo() const { return *applicationInfo_; }
    bool hasProcessInfo() const { return processInfo_.has_value(); }
    const std::optional<TQCrashReportProcessInfo>& processInfo() const { return processInfo_; }
    const TQCrashReportSignalInfo& signalInfo() const { return *signalInfo_; }
    const std::optional<TQCrashReportMachExceptionInfo>& machExceptionInfo() const { return machExceptionInfo_; }
    const std::vector<TQCrashReportThreadInfo>& threads() const { return threads_; }
    const std::vector<TQCrashReportBinaryImageInfo>& images() const { return images_; }
    bool hasExceptionInfo() const { return exceptionInfo_.has_value(); }
    const std::optional<TQCrashReportExceptionInfo>& exceptionInfo() const { return exceptionInfo_; }
    const std::optional<std::vector<std::uint8_t>>& customData() const { return customData_; }
    const std::optional<TQCrashReportUuid>& uuidRef() const { return uuid_; }

    // The first image, in report order, whose code holds the address (base <= address < base + size).
    const TQCrashReportBinaryImageInfo* imageForAddress(std::uint64_t address) const;

private:
    class Decoder;
    TQCrashReport() = default;

    std::optional<TQCrashReportUuid> uuid_;
    std::optional<TQCrashReportMachineInfo> machineInfo_;
    std::optional<TQCrashReportSystemInfo> systemInfo_;
    std::optional<TQCrashReportApplicationInfo> applicationInfo_;
    std::optional<TQCrashReportProcessInfo> processInfo_;
    std::optional<TQCrashReportSignalInfo> signalInfo_;
    std::optional<TQCrashReportMachExceptionInfo> machExceptionInfo_;
    std::vector<TQCrashReportThreadInfo> threads_;
    std::vector<TQCrashReportBinaryImageInfo> images_;
    std::optional<TQCrashReportExceptionInfo> exceptionInfo_;
    std::optional<std::vector<std::uint8_t>> customData_;
};

} // namespace tqcrash
