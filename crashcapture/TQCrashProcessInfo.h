#pragma once

#include <sys/time.h>
#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace tqcrash {

// Facts about one process at the moment it was looked up: name, parent, start time and whether a
// debugger is attached. Immutable; any thread. Reads /proc: not for the crash path.
class TQCrashProcessInfo final {
public:
    static std::unique_ptr<TQCrashProcessInfo> currentProcessInfo();
    // Null when the process does not exist or cannot be read.
    static std::unique_ptr<TQCrashProcessInfo> initWithProcessID(pid_t pid);

    pid_t processID() const { return processID_; }
    const std::optional<std::string>& processName() const { return processName_; }
    pid_t parentProcessID() const { return parentProcessID_; }
    bool isTraced() const { return traced_; }
    const timeval& startTime() const { return startTime_; }

private:
    TQCrashProcessInfo() = default;

    pid_t processID_ = 0;
    std::optional<std::string> processName_;
    pid_t parentProcessID_ = 0;
    timeval startTime_{};
    bool traced_ = false;
};

// The byte count of the longest valid UTF-8 prefix of at most `length` bytes (a leading byte-order
// mark counts as valid; a zero byte ends the text). Safe in a signal handler.
std::size_t tqcrash_utf8_valid_prefix_length(const char* bytes, std::size_t length);

} // namespace tqcrash
