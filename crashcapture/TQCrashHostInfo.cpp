#include "crashcapture/TQCrashHostInfo.h"

#include "crashcapture/TQCrashLog.h"
#include "crashcapture/TQCrashSysctl.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tqcrash {

std::unique_ptr<TQCrashHostInfo> TQCrashHostInfo::currentHostInfo() {
    char* release = sysctl_string_copy("kern.osrelease");
    if (release == nullptr) {
        const int error = errno;
        TQCrashLog("[TQCrashReporter] Failed to fetch kern.osrelease value %d: %s", error,
                   std::strerror(error));
        return nullptr;
    }
    auto info = std::make_unique<TQCrashHostInfo>(release);
    std::free(release);
    return info;
}

TQCrashHostInfo::TQCrashHostInfo(const char* osrelease) {
    const int scanned = std::sscanf(osrelease, "%" SCNu64 ".%" SCNu64 ".%" SCNu64, &darwinVersion_.major,
                                    &darwinVersion_.minor, &darwinVersion_.revision);
    if (scanned != 3) {
        TQCrashLog("[TQCrashReporter] Unexpected kern.osrelease string format: %s", osrelease);
    }
}

} // namespace tqcrash
