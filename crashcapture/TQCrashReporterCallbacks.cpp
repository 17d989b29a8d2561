// Crash path: no allocation, no lock, no stdio.

#include "crashcapture/TQCrashReporterCallbacks.h"

#include "crashcapture/TQCrashThreadState.h"

namespace tqcrash::async {

namespace {

constinit crash_handler_context gContext{};
constinit TQCrashReporterCallbacks gCallbacks{0, nullptr, nullptr};

void restoreDefaultActions() {
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    for (int signal : kReporterCrashSignals) {
        sigaction(signal, &defaultAction, nullptr);
    }
}

} // namespace

crash_handler_context& reporter_crash_context() {
    return gContext;
}

TQCrashReporterCallbacks& reporter_crash_callbacks() {
    return gCallbacks;
}

bool signal_crash_callback(int signal, siginfo_t* info, ucontext_t* userContext, void* context,
                           const signal_handler_continuation*) {
    tqcrash_async_thread_state state;
    thread_state_init_from_mcontext(&state, &userContext->uc_mcontext);
    const crash_signal_facts facts{signal, info->si_code,
                                   static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(info->si_addr))};
    const crash_signal_info signalInfo{&facts, nullptr};
    // The default actions come back only after the write: a second thread crashing meanwhile must
    // reach the writer and wait there, not end the process halfway through the file.
    const tqcrash_error_t status = crash_log_write_to_path(static_cast<const crash_handler_context*>(context),
                                                           current_thread_id(), &state, &signalInfo);
    if (status == TQCRASH_ESUCCESS && gCallbacks.handleSignal != nullptr) {
        gCallbacks.handleSignal(info, userContext, gCallbacks.context);
    }
    restoreDefaultActions();
    return false;
}

} // namespace tqcrash::async
