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

// What the Mach callback writes once it holds the server thread's registers.
struct mach_write {
    const crash_handler_context* context;
    pid_t crashedThread;
    const crash_signal_info* signal;
};

tqcrash_error_t writeWithServerState(tqcrash_async_thread_state* state, void* data) {
    const auto* write = static_cast<const mach_write*>(data);
    return crash_log_write_to_path(write->context, write->crashedThread, state, write->signal);
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

kern_return_t mach_exception_crash_callback(task_t task, thread_t thread, exception_type_t exception,
                                            const mach_exception_data_type_t* codes,
                                            mach_msg_type_number_t codeCount, void* context) {
    const auto* handlerContext = static_cast<const crash_handler_context*>(context);
    if (mach_exception_forward(task, thread, exception, codes, codeCount, &handlerContext->previous_ports) ==
        sonvale::darwin::KERN_SUCCESS) {
        return sonvale::darwin::KERN_SUCCESS;
    }
    crash_signal_facts facts{};
    if (!mach_exception_to_signal(exception, codes, codeCount, &facts)) {
        return sonvale::darwin::KERN_FAILURE;
    }
    const crash_mach_exception_info machException{static_cast<std::uint32_t>(exception),
                                                  reinterpret_cast<const std::uint64_t*>(codes), codeCount};
    const crash_signal_info signalInfo{&facts, &machException};
    mach_write write{handlerContext, static_cast<pid_t>(thread), &signalInfo};
    const tqcrash_error_t status = thread_state_capture_current(writeWithServerState, &write);
    if (status == TQCRASH_ESUCCESS && gCallbacks.handleSignal != nullptr) {
        // No machine context goes with an exception: the callback gets an empty one.
        siginfo_t info{};
        info.si_signo = facts.signal;
        info.si_code = facts.code;
        info.si_addr = reinterpret_cast<void*>(static_cast<std::uintptr_t>(facts.address));
        ucontext_t userContext{};
        gCallbacks.handleSignal(&info, &userContext, gCallbacks.context);
    }
    return sonvale::darwin::KERN_FAILURE;
}

} // namespace tqcrash::async
