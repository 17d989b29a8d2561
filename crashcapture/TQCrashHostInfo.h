#pragma once

#include <cstdint>
#include <memory>

namespace tqcrash {

struct TQCrashHostInfoVersion {
    std::uint64_t major = 0;
    std::uint64_t minor = 0;
    std::uint64_t revision = 0;
    bool operator==(const TQCrashHostInfoVersion&) const = default;
};

// Facts about the host: the kernel's release as a major.minor.revision version (on this platform
// the kernel plays the part of the Darwin kernel). Immutable; any thread. Reads system values and
// logs: never on the crash path.
class TQCrashHostInfo final {
public:
    // The running host's facts, or null (with a log line) when the release cannot be read.
    static std::unique_ptr<TQCrashHostInfo> currentHostInfo();

    // Scans "major.minor.revision" from a release text; numbers not scanned stay 0, and a text
    // without all three logs one line.
    explicit TQCrashHostInfo(const char* osrelease);

    const TQCrashHostInfoVersion& darwinVersion() const { return darwinVersion_; }

private:
    TQCrashHostInfoVersion darwinVersion_;
};

} // namespace tqcrash
