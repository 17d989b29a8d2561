#pragma once

// The reporter of the crash child, made the same way in the child (to enable it) and in the tests
// (to find its report).

#include "crashcapture/TQCrashReporter.h"

#include <filesystem>
#include <string>

namespace tqcrash::test {

inline TQCrashReporter makeChildReporter(const std::string& base, bool mach) {
    return TQCrashReporter("com.sonvale.crashchild", "1.0", "1.0.21",
                           TQCrashReporterConfig::initWithSignalHandlerTypeSymbolicationStrategyBasePath(
                               mach ? TQCrashSignalHandlerTypeMach : TQCrashSignalHandlerTypeBSD, 0, base));
}

// Where the child run with `base` leaves its report.
inline std::filesystem::path childReportPath(const std::filesystem::path& base) {
    return makeChildReporter(base.string(), false).crashReportPath();
}

} // namespace tqcrash::test
