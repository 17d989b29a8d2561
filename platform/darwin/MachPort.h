#pragma once

// What the crash engine expects of Mach ports: one name space for this process (its task), in
// which a port has a receive right, counted send rights and an optional set it belongs to, and a
// port set gathers ports for one receiver. Thread ports are kernel thread ids; the task's own port
// is mach_task_self(); no other task is reachable.
//
// Design: a fixed table of kPortCapacity entries in static storage, claimed and released with
// atomics only, so that every function here is safe in a signal handler (a faulting thread makes
// itself a reply port). Names carry a generation, so a stale name is refused, not mistaken for a
// newer port in the same entry.

#include "platform/darwin/MachTypes.h"

namespace sonvale::darwin {

using mach_port_urefs_t = natural_t;

// How many ports and port sets can live at once.
inline constexpr natural_t kPortCapacity = 128;

task_t mach_task_self();
thread_t mach_thread_self();

// A new port with its receive right (MACH_PORT_RIGHT_RECEIVE) or a new port set
// (MACH_PORT_RIGHT_PORT_SET). KERN_NO_SPACE when the table is full.
kern_return_t mach_port_allocate(task_t task, mach_port_right_t right, mach_port_name_t* name);

// Gives the task a send right to its own port: MACH_MSG_TYPE_MAKE_SEND or MACH_MSG_TYPE_COPY_SEND
// add one user reference. `name` and `port` are the same name in this one name space.
kern_return_t mach_port_insert_right(task_t task, mach_port_name_t name, mach_port_t port,
                                     mach_msg_type_name_t type);

// Changes the user references of a right: send references of a port, or (delta -1) destroys a
// receive right or a port set. A port whose last send reference goes sends its no-senders
// notification, when one was asked for.
kern_return_t mach_port_mod_refs(task_t task, mach_port_name_t name, mach_port_right_t right,
                                 mach_port_delta_t delta);

// Releases one send reference.
kern_return_t mach_port_deallocate(task_t task, mach_port_name_t name);

kern_return_t mach_port_get_refs(task_t task, mach_port_name_t name, mach_port_right_t right,
                                 mach_port_urefs_t* refs);

// Moves a port into a port set, or out of any set when `set` is MACH_PORT_NULL.
kern_return_t mach_port_move_member(task_t task, mach_port_name_t member, mach_port_name_t set);

// Asks for MACH_NOTIFY_NO_SENDERS on `name`, delivered to `notify` (a send-once right made from a
// port of this task) once the port has no send right left. `*previous` is always MACH_PORT_NULL:
// a new request replaces the old one.
kern_return_t mach_port_request_notification(task_t task, mach_port_name_t name, mach_msg_id_t variant,
                                             mach_port_mscount_t sync, mach_port_t notify,
                                             mach_msg_type_name_t notifyType, mach_port_t* previous);

} // namespace sonvale::darwin
