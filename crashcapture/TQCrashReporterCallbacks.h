#pragma once

// The reporter's crash-time half: the records its crash callbacks read, and the callbacks
// themselves. The records are filled on a normal thread when the reporter is enabled and only read
// afterwards (the custom data excepted, which the writer guards on its own).

#include "crashcapture/TQCrashReportWriter.h"
#include "crashcapture/TQCrashSignalChain.h"

#include <signal.h>

#include <cstdint>

namespace tqcrash {

// The client's post-crash callback: it runs once a report has been written, on the crashed thread
// (signals) or the exception server thread (Mach exceptions), so it must be safe in a signal handler.
struct TQCrashReporterCallbacks {
    std::uint16_t version; // must be 0
    void* context;
    void (*handleSignal)(siginfo_t* info, ucontext_t* userContext, void* context);
};

} // namespace tqcrash

namespace tqcrash::async {

// The crash signals of the signal mode, in the order they are registered. SIGSYS (a call refused by
// a system-call filter) ends a process as surely as the others, so it is caught too.
inline constexpr int kReporterCrashSignals[] = {SIGABRT, SIGBUS, SIGFPE, SIGILL, SIGSEGV, SIGTRAP, SIGSYS};

// The process-wide records.
crash_handler_context& reporter_crash_context();
TQCrashReporterCallbacks& reporter_crash_callbacks();

// The signal chain member: writes the report of the signal to the context's report path, runs the
// post-crash callback when that succeeded, puts the crash signals back to their default actions
// and answers "not handled", so the signal ends the process.
bool signal_crash_callback(int signal, siginfo_t* info, ucontext_t* userContext, void* context,
                           const signal_handler_continuation* next);

// The exception server's callback, on the server thread while the faulting thread waits: hands the
// exception to the registrations ours replaced first (their KERN_SUCCESS ends it: no report, the
// thread goes on); otherwise writes the report of the faulting thread, with the server thread's
// own registers for the server thread, runs the post-crash callback when that succeeded, and
// answers KERN_FAILURE, so that the fault ends the process by its signal. An exception that maps
// to no signal gets KERN_FAILURE without a report.
kern_return_t mach_exception_crash_callback(task_t task, thread_t thread, exception_type_t exception,
                                            const mach_exception_data_type_t* codes,
                                            mach_msg_type_number_t codeCount, void* context);

} // namespace tqcrash::async
