#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace tqcrash {

// The signal that ended the process, named ("SIGSEGV", "SEGV_MAPERR"). Immutable.
class TQCrashReportSignalInfo final {
public:
    TQCrashReportSignalInfo(std::string name, std::string code, std::uint64_t address)
        : name_(std::move(name)), code_(std::move(code)), address_(address) {}

    const std::string& name() const { return name_; }
    const std::string& code() const { return code_; }
    std::uint64_t address() const { return address_; }

private:
    std::string name_;
    std::string code_;
    std::uint64_t address_;
};

} // namespace tqcrash
