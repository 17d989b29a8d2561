#pragma once

// What the crash engine expects of exception port registrations: per exception type, a port with
// the behavior and thread-state flavor its handler wants, for the whole task or for one thread.
// An exception goes to the faulting thread's own registration first, then to the task's
// (MachExceptionDelivery.h).
//
// Design: each registration is one 64-bit word (port, behavior, flavor), so the faulting thread
// reads it with one atomic load and never waits. A registration holds one send reference on its
// port; the ports a swap or get returns each carry one reference for the caller. Changes run on
// normal threads, one at a time. The first registration of a port installs the fault handler.
// Thread registrations stay until they are swapped back to MACH_PORT_NULL (the entry is then
// freed), also when their thread has ended; at most kThreadRegistrationCapacity threads hold some.

#include "platform/darwin/MachTypes.h"

namespace sonvale::darwin {

inline constexpr std::uint32_t kThreadRegistrationCapacity = 64;

// One registration as the deliverer reads it.
struct exception_registration {
    mach_port_t port;
    exception_behavior_t behavior;
    thread_state_flavor_t flavor;
};

// On entry `*count` is the room of the arrays (EXC_TYPES_COUNT is always enough); on return the
// number of distinct registrations, each with the mask of the types it holds.
kern_return_t task_get_exception_ports(task_t task, exception_mask_t mask, exception_mask_t* masks,
                                       mach_msg_type_number_t* count, mach_port_t* ports,
                                       exception_behavior_t* behaviors, thread_state_flavor_t* flavors);
kern_return_t thread_get_exception_ports(thread_t thread, exception_mask_t mask, exception_mask_t* masks,
                                         mach_msg_type_number_t* count, mach_port_t* ports,
                                         exception_behavior_t* behaviors, thread_state_flavor_t* flavors);

// Registers `port` for every type of `mask` and returns what was registered before, as the get
// calls do.
kern_return_t task_swap_exception_ports(task_t task, exception_mask_t mask, mach_port_t port,
                                        exception_behavior_t behavior, thread_state_flavor_t flavor,
                                        exception_mask_t* masks, mach_msg_type_number_t* count,
                                        mach_port_t* ports, exception_behavior_t* behaviors,
                                        thread_state_flavor_t* flavors);
kern_return_t thread_swap_exception_ports(thread_t thread, exception_mask_t mask, mach_port_t port,
                                          exception_behavior_t behavior, thread_state_flavor_t flavor,
                                          exception_mask_t* masks, mach_msg_type_number_t* count,
                                          mach_port_t* ports, exception_behavior_t* behaviors,
                                          thread_state_flavor_t* flavors);

// The registration for `type` of a thread (MACH_PORT_NULL for none), or of the task when
// `thread` is MACH_PORT_NULL. Safe in a signal handler.
exception_registration exception_registration_find(thread_t thread, exception_type_t type);

} // namespace sonvale::darwin
