#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace tqcrash {

// One register of the crashed thread ("rip", "rsp", ...). Immutable.
class TQCrashReportRegisterInfo final {
public:
    TQCrashReportRegisterInfo(std::string registerName, std::uint64_t registerValue)
        : registerName_(std::move(registerName)), registerValue_(registerValue) {}

    const std::string& registerName() const { return registerName_; }
    std::uint64_t registerValue() const { return registerValue_; }

private:
    std::string registerName_;
    std::uint64_t registerValue_;
};

} // namespace tqcrash
