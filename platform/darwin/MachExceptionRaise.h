#pragma once

// The client side of the exception interfaces: each call sends one exception request to a handler's
// port and waits for its reply, as the interface generator's stubs do. The classic calls (message
// ids 2401-2403) carry 32-bit codes; the mach_exc calls (2405-2407) 64-bit ones. A reply must have
// the request's id + 100 (else MIG_REPLY_MISMATCH) and the reply layout (else MIG_TYPE_ERROR);
// more than two codes or a state beyond THREAD_STATE_MAX words is MIG_ARRAY_TOO_LARGE; a failed
// send returns its mach_msg error. The result is the handler's return code.
//
// The reply comes back on a port made for the call and destroyed after it. Safe in a signal
// handler: the faulting thread raises its own exception with these calls. The state calls return
// the handler's new state in `new_state` (room `*new_count` words); nothing applies it.

#include "platform/darwin/MachTypes.h"

namespace sonvale::darwin {

kern_return_t exception_raise(mach_port_t port, thread_t thread, task_t task, exception_type_t exception,
                              const exception_data_type_t* codes, mach_msg_type_number_t code_count);
kern_return_t exception_raise_state(mach_port_t port, exception_type_t exception, const exception_data_type_t* codes,
                                    mach_msg_type_number_t code_count, thread_state_flavor_t* flavor,
                                    const natural_t* old_state, mach_msg_type_number_t old_count,
                                    natural_t* new_state, mach_msg_type_number_t* new_count);
kern_return_t exception_raise_state_identity(mach_port_t port, thread_t thread, task_t task,
                                             exception_type_t exception, const exception_data_type_t* codes,
                                             mach_msg_type_number_t code_count, thread_state_flavor_t* flavor,
                                             const natural_t* old_state, mach_msg_type_number_t old_count,
                                             natural_t* new_state, mach_msg_type_number_t* new_count);

kern_return_t mach_exception_raise(mach_port_t port, thread_t thread, task_t task, exception_type_t exception,
                                   const mach_exception_data_type_t* codes, mach_msg_type_number_t code_count);
kern_return_t mach_exception_raise_state(mach_port_t port, exception_type_t exception,
                                         const mach_exception_data_type_t* codes, mach_msg_type_number_t code_count,
                                         thread_state_flavor_t* flavor, const natural_t* old_state,
                                         mach_msg_type_number_t old_count, natural_t* new_state,
                                         mach_msg_type_number_t* new_count);
kern_return_t mach_exception_raise_state_identity(mach_port_t port, thread_t thread, task_t task,
                                                  exception_type_t exception, const mach_exception_data_type_t* codes,
                                                  mach_msg_type_number_t code_count, thread_state_flavor_t* flavor,
                                                  const natural_t* old_state, mach_msg_type_number_t old_count,
                                                  natural_t* new_state, mach_msg_type_number_t* new_count);

// Sends an exception to a handler in the message its behavior asks for: 32-bit codes (each cut)
// without MACH_EXCEPTION_CODES; with EXCEPTION_STATE or EXCEPTION_STATE_IDENTITY, the thread's
// state of `flavor` goes along (a failure to read it is returned as is) and the new state that
// comes back is dropped. Any other behavior: KERN_FAILURE.
kern_return_t exception_deliver(mach_port_t port, exception_behavior_t behavior, thread_state_flavor_t flavor,
                                thread_t thread, task_t task, exception_type_t exception,
                                const mach_exception_data_type_t* codes, mach_msg_type_number_t code_count);

} // namespace sonvale::darwin
