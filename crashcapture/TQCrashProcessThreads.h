#pragma once

// The threads of this process as the report writer takes them at a crash: listed from
// /proc/self/task, each stopped with its registers captured, and released after the report.
//
// process_threads_prepare() runs on a normal thread when the crash handlers are installed; the
// source it gives is safe in a signal handler.

#include <cstdint>

namespace tqcrash::async {

struct crash_thread_source;

// How long the crashed thread waits for the others to stop: as long as they keep stopping, until
// kThreadStopQuietMs after the last one did, and never beyond kThreadStopLimitMs in all. A thread
// that has not stopped by then is written with its number and crashed flag only. A loaded machine
// delays every answer but keeps them coming; a fixed limit would drop the late ones.
inline constexpr std::uint32_t kThreadStopQuietMs = 250;
inline constexpr std::uint32_t kThreadStopLimitMs = 2000;

// Installs what stopping threads needs; null when it cannot be installed. The source lives for
// the whole process.
const crash_thread_source* process_threads_prepare();

} // namespace tqcrash::async
