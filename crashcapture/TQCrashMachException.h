#pragma once

// The crash-time half of the Mach exception path: the registrations that were in place before the
// reporter's, as a fixed-size record; handing an exception on to them; and turning an exception
// into the signal facts a report carries. Safe in a signal handler, and on the exception server
// thread while the process crashes: no allocation, no lock.

#include "platform/darwin/MachTypes.h"

#include <cstdint>

namespace tqcrash::async {

struct crash_signal_facts;

using sonvale::darwin::exception_behavior_t;
using sonvale::darwin::exception_mask_t;
using sonvale::darwin::exception_type_t;
using sonvale::darwin::kern_return_t;
using sonvale::darwin::mach_exception_data_type_t;
using sonvale::darwin::mach_msg_type_number_t;
using sonvale::darwin::mach_port_t;
using sonvale::darwin::task_t;
using sonvale::darwin::thread_state_flavor_t;
using sonvale::darwin::thread_t;

inline constexpr std::uint32_t kExceptionTypesCount = sonvale::darwin::EXC_TYPES_COUNT;

// Exception registrations: entry i registers `ports[i]` for the types of `masks[i]`.
struct tqcrash_mach_exception_port_set {
    std::uint32_t count;
    exception_mask_t masks[kExceptionTypesCount];
    mach_port_t ports[kExceptionTypesCount];
    exception_behavior_t behaviors[kExceptionTypesCount];
    thread_state_flavor_t flavors[kExceptionTypesCount];
};
static_assert(sizeof(tqcrash_mach_exception_port_set) == 228);

// Hands the exception to the first registration of `previous` that holds its type and a valid
// port, in the message its behavior asks for, and returns the handler's answer; KERN_FAILURE when
// there is none.
kern_return_t mach_exception_forward(task_t task, thread_t thread, exception_type_t exception,
                                     const mach_exception_data_type_t* codes, mach_msg_type_number_t codeCount,
                                     const tqcrash_mach_exception_port_set* previous);

// The signal, signal code and address an exception stands for (the address is always the second
// code). False with fewer than two codes, or a type this host has no signal for.
bool mach_exception_to_signal(exception_type_t exception, const mach_exception_data_type_t* codes,
                              mach_msg_type_number_t codeCount, crash_signal_facts* facts);

} // namespace tqcrash::async
