#pragma once

namespace tqcrash {

// One informational line of the engine to the system log; lines begin "[TQCrashReporter] ".
// Formats with the C library: never call it on the crash path.
void TQCrashLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace tqcrash
