// The fault handler is safe in a signal handler: atomics, futexes and system calls only.

#include "platform/darwin/MachExceptionDelivery.h"

#include "platform/darwin/MachExceptionPorts.h"
#include "platform/darwin/MachExceptionRaise.h"
#include "platform/darwin/MachPort.h"
#include "platform/darwin/MachPortTable.h"
#include "platform/darwin/ThreadControl.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

namespace sonvale::darwin {

namespace {

constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGTRAP, SIGSYS};
constexpr int kFaultSignalCount = sizeof kFaultSignals / sizeof kFaultSignals[0];

// The actions in place before ours, in the order of kFaultSignals; written once, before the
// handler is installed.
constinit struct sigaction gPrevious[kFaultSignalCount]{};
constinit std::atomic<bool> gInstalled{false};

struct Exception {
    exception_type_t type;
    mach_exception_data_type_t codes[2];
};

mach_exception_data_type_t addressOf(const void* address) {
    return static_cast<mach_exception_data_type_t>(reinterpret_cast<std::uintptr_t>(address));
}

// The action that was in place before ours for `signal`, one of kFaultSignals.
const struct sigaction& previousAction(int signal) {
    int index = 0;
    while (kFaultSignals[index] != signal) {
        ++index;
    }
    return gPrevious[index];
}

bool endsTheProcessByDefault(int signal) {
    const struct sigaction& previous = previousAction(signal);
    return (previous.sa_flags & SA_SIGINFO) != 0 ? previous.sa_sigaction == nullptr : previous.sa_handler == SIG_DFL;
}

Exception translate(int signal, const siginfo_t* info) {
    switch (signal) {
    case SIGSEGV:
        return {EXC_BAD_ACCESS, {KERN_INVALID_ADDRESS, addressOf(info->si_addr)}};
    case SIGBUS:
        return {EXC_BAD_ACCESS, {KERN_MEMORY_ERROR, addressOf(info->si_addr)}};
    case SIGILL:
        return {EXC_BAD_INSTRUCTION, {EXC_I386_INVOP, addressOf(info->si_addr)}};
    case SIGFPE:
        return {EXC_ARITHMETIC, {EXC_I386_DIV, addressOf(info->si_addr)}};
    case SIGTRAP:
        return {EXC_BREAKPOINT, {info->si_code == TRAP_TRACE ? EXC_I386_SGL : EXC_I386_BPT, addressOf(info->si_addr)}};
    default: // SIGSYS
        return {EXC_SOFTWARE, {EXC_UNIX_BAD_SYSCALL, addressOf(info->si_call_addr)}};
    }
}

// A sent signal carries no address: its codes say only which exception it stands for.
Exception translateSent(int signal) {
    const siginfo_t blank{};
    return translate(signal, &blank);
}

// Whether the calling thread is the one that receives from `port`.
bool receivesItself(mach_port_t port) {
    const detail::PortEntry* entry = detail::port_find(port);
    return entry != nullptr && entry->receiver.load() == gettid();
}

// True when the handler of the registration dealt with the exception.
bool raiseTo(const exception_registration& registration, thread_t thread, const Exception& exception) {
    return registration.port != MACH_PORT_NULL && !receivesItself(registration.port) &&
           exception_deliver(registration.port, registration.behavior, registration.flavor, thread, mach_task_self(),
                             exception.type, exception.codes, 2) == KERN_SUCCESS;
}

// The Unix course of a signal no exception handler dealt with.
void deliverAsSignal(int signal, siginfo_t* info, void* context) {
    const struct sigaction& previous = previousAction(signal);
    if ((previous.sa_flags & SA_SIGINFO) != 0 && previous.sa_sigaction != nullptr) {
        previous.sa_sigaction(signal, info, context);
        return;
    }
    if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
        return;
    }
    if (previous.sa_handler == SIG_IGN && !signal_is_processor_fault(signal, info)) {
        return;
    }
    // Ignoring a fault would run the faulting instruction again for ever: it ends the process, as
    // the default does. The raised signal waits until this handler returns.
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    sigaction(signal, &defaultAction, nullptr);
    raise(signal);
}

void faultHandler(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    // A fault signal sent from outside (kill -SEGV) that no action catches ends the process just as
    // a fault would: it is raised too, so that whoever reports crashes hears of it. One that an
    // action of the program catches is the program's own business.
    const bool fault = signal_is_processor_fault(signal, info);
    if (fault || endsTheProcessByDefault(signal)) {
        const Exception exception = fault ? translate(signal, info) : translateSent(signal);
        const thread_t self = mach_thread_self();
        thread_exception_enter(static_cast<ucontext_t*>(context)->uc_mcontext);
        const bool handled = raiseTo(exception_registration_find(self, exception.type), self, exception) ||
                             raiseTo(exception_registration_find(MACH_PORT_NULL, exception.type), self, exception);
        thread_exception_leave();
        if (handled) {
            errno = savedErrno;
            return;
        }
    }
    deliverAsSignal(signal, info, context);
    errno = savedErrno;
}

} // namespace

bool signal_is_processor_fault(int signal, const siginfo_t* info) {
    const bool faultSignal = signal == SIGSEGV || signal == SIGBUS || signal == SIGILL || signal == SIGFPE ||
                             signal == SIGTRAP || signal == SIGSYS;
    return faultSignal && info != nullptr && info->si_code > 0;
}

bool exception_delivery_install() {
    if (gInstalled.exchange(true)) {
        return true;
    }
    struct sigaction action {};
    action.sa_sigaction = faultHandler;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < kFaultSignalCount; ++i) {
        if (sigaction(kFaultSignals[i], nullptr, &gPrevious[i]) != 0) {
            gInstalled.store(false);
            return false;
        }
    }
    for (int signal : kFaultSignals) {
        if (sigaction(signal, &action, nullptr) != 0) {
            return false;
        }
    }
    return true;
}

} // namespace sonvale::darwin
