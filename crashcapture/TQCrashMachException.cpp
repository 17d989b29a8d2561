// Crash path: no allocation, no lock, no stdio.

#include "crashcapture/TQCrashMachException.h"

#include "crashcapture/TQCrashReportWriter.h"

#include "platform/darwin/MachExceptionRaise.h"

#include <csignal>

namespace tqcrash::async {

namespace {

namespace darwin = sonvale::darwin;

bool validPort(mach_port_t port) {
    return port != darwin::MACH_PORT_NULL && port != darwin::MACH_PORT_DEAD;
}

int softwareSignal(mach_exception_data_type_t code) {
    switch (code) {
    case darwin::EXC_UNIX_BAD_SYSCALL:
        return SIGSYS;
    case darwin::EXC_UNIX_BAD_PIPE:
        return SIGPIPE;
    case darwin::EXC_SOFT_SIGNAL:
        return SIGKILL;
    default: // EXC_UNIX_ABORT and anything else
        return SIGABRT;
    }
}

} // namespace

kern_return_t mach_exception_forward(task_t task, thread_t thread, exception_type_t exception,
                                     const mach_exception_data_type_t* codes, mach_msg_type_number_t codeCount,
                                     const tqcrash_mach_exception_port_set* previous) {
    const exception_mask_t bit = exception_mask_t{1} << exception;
    for (std::uint32_t i = 0; i < previous->count && i < kExceptionTypesCount; ++i) {
        if (validPort(previous->ports[i]) && (previous->masks[i] & bit) != 0) {
            return darwin::exception_deliver(previous->ports[i], previous->behaviors[i], previous->flavors[i], thread,
                                             task, exception, codes, codeCount);
        }
    }
    return darwin::KERN_FAILURE;
}

bool mach_exception_to_signal(exception_type_t exception, const mach_exception_data_type_t* codes,
                              mach_msg_type_number_t codeCount, crash_signal_facts* facts) {
    if (codeCount < 2) {
        return false;
    }
    facts->address = static_cast<std::uint64_t>(codes[1]);
    facts->code = 0;
    switch (exception) {
    case darwin::EXC_BAD_ACCESS:
        if (codes[0] == darwin::KERN_INVALID_ADDRESS) {
            facts->signal = SIGSEGV;
            facts->code = SEGV_MAPERR;
        } else {
            facts->signal = SIGBUS;
            facts->code = BUS_ADRERR;
        }
        return true;
    case darwin::EXC_BAD_INSTRUCTION:
        facts->signal = SIGILL;
        return true;
    case darwin::EXC_ARITHMETIC:
        facts->signal = SIGFPE;
        return true;
    case darwin::EXC_SOFTWARE:
        facts->signal = softwareSignal(codes[0]);
        return true;
    case darwin::EXC_BREAKPOINT:
        facts->signal = SIGTRAP;
        facts->code = TRAP_BRKPT;
        return true;
    default:
        // EXC_EMULATION stands for SIGEMT, which this host does not have; the other types stand
        // for no signal.
        return false;
    }
}

} // namespace tqcrash::async
