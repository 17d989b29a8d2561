// Crash path: no allocation, no lock, no stdio.

#include "crashcapture/TQCrashProcessThreads.h"

#include "crashcapture/TQCrashReportWriter.h"
#include "platform/darwin/ProcessMappings.h"
#include "platform/darwin/ThreadControl.h"

namespace tqcrash::async {

namespace {

bool suspendAll(void*, pid_t* threads, std::uint32_t capacity, std::uint32_t* count) {
    if (sonvale::darwin::task_threads(threads, capacity, count) != sonvale::darwin::KERN_SUCCESS) {
        return false;
    }
    sonvale::darwin::thread_suspend_all(threads, *count, kThreadStopQuietMs, kThreadStopLimitMs);
    // With the others stopped, the mapping table stays as it is until they go on.
    sonvale::darwin::mappings_freeze();
    return true;
}

bool readState(void*, pid_t thread, tqcrash_async_thread_state* state) {
    return thread_state_init_from_thread(state, thread) == TQCRASH_ESUCCESS;
}

void resumeAll(void*) {
    sonvale::darwin::mappings_thaw();
    sonvale::darwin::thread_resume_all();
}

constexpr crash_thread_source kProcessThreads{nullptr, suspendAll, readState, resumeAll};

} // namespace

const crash_thread_source* process_threads_prepare() {
    return sonvale::darwin::thread_control_install() ? &kProcessThreads : nullptr;
}

} // namespace tqcrash::async
