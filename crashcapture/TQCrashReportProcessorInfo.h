#pragma once

#include <cstdint>

namespace tqcrash {

enum class TQCrashReportProcessorTypeEncoding : int { Unknown = 0, Mach = 1 };

// A processor as a report names it: Mach CPU type and subtype. Immutable.
class TQCrashReportProcessorInfo final {
public:
    TQCrashReportProcessorInfo(TQCrashReportProcessorTypeEncoding typeEncoding, std::uint64_t type,
                               std::uint64_t subtype)
        : typeEncoding_(typeEncoding), type_(type), subtype_(subtype) {}

    TQCrashReportProcessorTypeEncoding typeEncoding() const { return typeEncoding_; }
    std::uint64_t type() const { return type_; }
    std::uint64_t subtype() const { return subtype_; }

private:
    TQCrashReportProcessorTypeEncoding typeEncoding_;
    std::uint64_t type_;
    std::uint64_t subtype_;
};

} // namespace tqcrash
