#pragma once

// Writes a crash report file: "tqcrash", the version byte 1, then one tqcrash.CrashReport message.
//
// Crash path: runs on the crashed thread inside its signal handler, or on the exception server's
// thread while the faulting thread waits. It allocates nothing, takes no lock and uses no stdio; every nested message is
// written in two passes, sizing then writing, so nothing it reads may change between them.
//
// The file never exceeds its byte limit and always stays decodable: the signal, the crashed thread
// and the images its frames point into are reserved first; the exception, the other threads, the
// other images and the custom data follow while they fit whole.

#include "crashcapture/TQCrashError.h"
#include "crashcapture/TQCrashLogWriter.h"
#include "crashcapture/TQCrashMachException.h"
#include "crashcapture/TQCrashThreadState.h"

#include <sys/types.h>

#include <cstdint>

namespace tqcrash::async {

struct async_file;
struct image_list;

inline constexpr off_t kCrashReportSizeLimit = 262144;
inline constexpr std::uint32_t kCrashReportMaxFrames = 512;
inline constexpr std::uint32_t kCrashReportMaxThreads = 1024;

struct crash_signal_facts {
    int signal;
    int code;
    std::uint64_t address;
};

struct crash_mach_exception_info {
    std::uint32_t type;
    const std::uint64_t* codes;
    std::uint32_t code_count;
};

struct crash_signal_info {
    const crash_signal_facts* signal;
    const crash_mach_exception_info* mach_exception; // null for a plain signal
};

// The process's other threads, as the writer needs them at crash time. Every function is called on
// the crashing thread and must be safe in a signal handler.
struct crash_thread_source {
    void* context;
    // Stops every thread but the caller and lists them (the caller may be listed too), at most
    // `capacity`. False when the threads cannot be listed.
    bool (*suspend_all)(void* context, pid_t* threads, std::uint32_t capacity, std::uint32_t* count);
    // The registers of a listed thread; false when they cannot be read.
    bool (*read_state)(void* context, pid_t thread, tqcrash_async_thread_state* state);
    void (*resume_all)(void* context);
};

// What the crash callbacks receive: prepared at enable time, read-only at crash time.
struct crash_handler_context {
    crash_log_writer writer;
    char* report_path;                 // heap copy made at enable time
    const crash_thread_source* threads; // null: the report lists the calling thread alone
    // The exception registrations the reporter replaced (Mach mode; all zero otherwise).
    tqcrash_mach_exception_port_set previous_ports;
};

// The id of the calling thread. Safe in a signal handler.
pid_t current_thread_id();

// Writes header and message to `file`. `currentState` is the calling thread's registers (null: the
// calling thread is left out). The crashed thread is written even when listing the others fails.
// Always returns 0 once writing has begun.
tqcrash_error_t crash_log_write_report(const crash_log_writer* writer, pid_t crashedThread,
                                       const image_list* images, async_file* file,
                                       const crash_signal_info* signal,
                                       const tqcrash_async_thread_state* currentState,
                                       const crash_thread_source* threads);

// Writes the report over the process image list, at most kCrashReportSizeLimit bytes, aside
// ("<path>.<pid>.tmp", 0644) and renames it over the context's report path when complete. One report
// per process: the first crash wins, and a thread crashing while it is written waits for it.
// TQCRASH_EINTERNAL when nothing was written: a report is in place already, another thread was
// writing, or the file cannot be opened, flushed, closed or renamed.
tqcrash_error_t crash_log_write_to_path(const crash_handler_context* context, pid_t crashedThread,
                                        const tqcrash_async_thread_state* currentState,
                                        const crash_signal_info* signal);

} // namespace tqcrash::async
