#pragma once

// What the crash engine expects of task_threads, thread_suspend, thread_get_state and
// thread_resume, built on /proc/self/task and a real-time signal.
//
// Design: thread_control_install() (a normal thread, once, before any crash) installs the handler
// of kThreadCaptureSignal. thread_suspend_all() sends that signal to each listed thread with a
// slot number and a session number; the handler copies its interrupted registers into the slot in
// the Darwin x86-64 layout, counts itself captured and parks on a futex until
// thread_resume_all() ends the session. The wait goes on while threads keep answering: it ends a
// quiet period after the last answer (a thread that blocks the signal, or sleeps in a state that
// takes no signals, costs that period), or at an overall limit. On a loaded machine the answers
// come late but steadily, and none is given up for lateness alone. A thread that did not answer
// is left without state; when the signal reaches it after the session, the handler sees the old
// session number and returns at once. Stray signals of the same number (not queued by this
// process) are ignored.
//
// A thread that waits for the answer to its exception (MachExceptionDelivery.h) is already stopped:
// it publishes the registers of its fault with thread_exception_enter(), and a session takes those
// without asking it.
//
// One session at a time: the crash path runs it on the crashed thread. Every function but
// thread_control_install is safe in a signal handler: system calls, atomics and futexes only.

#include "platform/darwin/MachTypes.h"
#include "platform/darwin/ThreadState.h"

#include <sys/types.h>

#include <cstdint>

namespace sonvale::darwin {

// The signal a capture is asked with: SIGRTMIN + 7 (glibc keeps the first real-time signals).
int thread_capture_signal();

// The most threads one session captures; a larger process has its other threads left without state.
inline constexpr std::uint32_t kThreadCaptureCapacity = 1024;

// Installs the capture handler. Normal threads only; true when installed (or already installed).
bool thread_control_install();

// Lists the threads of this process from /proc/self/task, at most `capacity`. KERN_FAILURE when the
// folder cannot be read.
kern_return_t task_threads(pid_t* threads, std::uint32_t capacity, std::uint32_t* count);

// Asks each listed thread (except the caller) to capture its registers and park, and waits until
// all have, until `quiet_ms` have passed since the last did (or since the request), or until
// `limit_ms` have passed in all.
// KERN_FAILURE when the handler is not installed.
kern_return_t thread_suspend_all(const pid_t* threads, std::uint32_t count, std::uint32_t quiet_ms,
                                 std::uint32_t limit_ms);

// The registers of a thread captured in the current session; KERN_OPERATION_TIMED_OUT when it did
// not answer in time, KERN_INVALID_ARGUMENT when it is not part of the session.
kern_return_t thread_get_state(pid_t thread, x86_thread_state64_t* state, x86_exception_state64_t* exception);

// Ends the session: every parked thread goes on.
void thread_resume_all();

// The calling thread stops for an exception: until thread_exception_leave(), sessions and
// thread_get_state give the registers of `context`, its fault. At most kExceptionWaitCapacity
// threads at once; a further one is asked like any other thread.
inline constexpr std::uint32_t kExceptionWaitCapacity = 64;
void thread_exception_enter(const mcontext_t& context);
void thread_exception_leave();

// thread_get_state by flavor: x86_THREAD_STATE64, x86_THREAD_STATE (a flavor/count header first)
// or x86_EXCEPTION_STATE64, as 32-bit words; `*count` is the room on entry, the words given on
// return. Works for a thread of the current session and for one stopped for an exception.
kern_return_t thread_get_state(thread_t thread, thread_state_flavor_t flavor, natural_t* state,
                               mach_msg_type_number_t* count);

} // namespace sonvale::darwin
