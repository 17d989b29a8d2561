#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace tqcrash {

// The symbol a stack frame lies in. Immutable.
class TQCrashReportSymbolInfo final {
public:
    TQCrashReportSymbolInfo(std::string symbolName, std::uint64_t startAddress, std::uint64_t endAddress)
        : symbolName_(std::move(symbolName)), startAddress_(startAddress), endAddress_(endAddress) {}

    const std::string& symbolName() const { return symbolName_; }
    std::uint64_t startAddress() const { return startAddress_; }
    std::uint64_t endAddress() const { return endAddress_; } // 0 when the report has none

private:
    std::string symbolName_;
    std::uint64_t startAddress_;
    std::uint64_t endAddress_;
};

} // namespace tqcrash
