#pragma once

// How a processor fault becomes a Mach exception: the kernel's part, played by a signal handler.
//
// exception_delivery_install() (normal thread, once; the first exception port registration calls
// it) takes over SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGTRAP and SIGSYS, keeping the actions that were
// installed before. When one of them is a fault of the running thread, or a signal someone sent
// that would end the process by its default action, the handler turns it into an exception type and
// two codes, publishes the thread's registers for thread_get_state, and raises the exception to the
// receiving thread's registration, then the task's, through the client calls of
// MachExceptionRaise.h, waiting in each for the reply. A
// handler that answers KERN_SUCCESS has dealt with it: the thread goes on. Otherwise the signal
// takes its Unix course: the action installed before ours runs, and a default or ignored action
// ends the process by that signal.
//
// A registration whose port the faulting thread itself receives from is passed over: that thread
// could never answer its own exception. Unlike the kernel, which raises exceptions before any
// signal, this handler sees a fault only when no signal action installed after it took the signal
// first (or hands it on, as the crash engine's signal chain does).
//
// Translation, chosen so that the exception maps back to the signal the kernel raised:
//   SIGSEGV -> EXC_BAD_ACCESS {KERN_INVALID_ADDRESS, fault address}
//   SIGBUS  -> EXC_BAD_ACCESS {KERN_MEMORY_ERROR, fault address}
//   SIGILL  -> EXC_BAD_INSTRUCTION {EXC_I386_INVOP, instruction address}
//   SIGFPE  -> EXC_ARITHMETIC {EXC_I386_DIV, instruction address}
//   SIGTRAP -> EXC_BREAKPOINT {EXC_I386_SGL for a single step, else EXC_I386_BPT; address}
//   SIGSYS  -> EXC_SOFTWARE {EXC_UNIX_BAD_SYSCALL, address of the call}
// A sent signal translates as its fault would, with no address (0).
// The handler needs an alternate signal stack on each thread to catch a stack overflow; the
// crash engine gives every thread one.

#include <signal.h>

namespace sonvale::darwin {

// False when a signal action could not be installed.
bool exception_delivery_install();

// True for a signal the processor or kernel raised on the thread because of what it ran, as
// opposed to one that was sent to it.
bool signal_is_processor_fault(int signal, const siginfo_t* info);

} // namespace sonvale::darwin
