#pragma once

// The threads of this process as the report writer takes them at a crash: listed from
// /proc/self/task, each stopped with its registers captured, and released after the report.
//
// process_threads_prepare() runs on a normal thread when the crash handlers are installed; the
// source it gives is safe in a signal handler.

#include <cstdint>

namespace tqcrash::async {

struct crash_thread_source;

// How long the crashed thread waits for the others to stop. A thread that does not stop in time is
// written with its number and crashed flag only.
inline constexpr std::uint32_t kThreadStopTimeoutMs = 250;

// Installs what stopping threads needs; null when it cannot be installed. The source lives for
// the whole process.
const crash_thread_source* process_threads_prepare();

} // namespace tqcrash::async
