#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace tqcrash {

// The Mach exception behind the signal, when the report has one. Immutable.
class TQCrashReportMachExceptionInfo final {
public:
    TQCrashReportMachExceptionInfo(std::uint64_t type, std::vector<std::uint64_t> codes)
        : type_(type), codes_(std::move(codes)) {}

    std::uint64_t type() const { return type_; }
    const std::vector<std::uint64_t>& codes() const { return codes_; }

private:
    std::uint64_t type_;
    std::vector<std::uint64_t> codes_;
};

} // namespace tqcrash
