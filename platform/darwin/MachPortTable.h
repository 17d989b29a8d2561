#pragma once

// The port table behind MachPort.h, shared with the message layer of this folder. Not for the
// crash engine: it speaks through MachPort.h and MachMessage.h.

#include "platform/darwin/MachTypes.h"

#include <sys/types.h>

#include <atomic>

namespace sonvale::darwin::detail {

enum PortKind : std::uint32_t { kPortFree = 0, kPortClaimed = 1, kPortReceive = 2, kPortSet = 3 };

struct PortEntry {
    std::atomic<std::uint32_t> kind{kPortFree};
    std::atomic<mach_port_name_t> name{MACH_PORT_NULL};
    std::atomic<std::uint32_t> generation{0};
    std::atomic<std::int32_t> sendRefs{0};
    std::atomic<mach_port_name_t> set{MACH_PORT_NULL};             // a port's set
    std::atomic<mach_port_name_t> noSendersNotify{MACH_PORT_NULL}; // a port's notification port
    // Bumped whenever a message for this port (or, for a set, for one of its ports) arrives or the
    // entry goes away: receivers wait on it with a futex.
    std::atomic<std::uint32_t> arrivals{0};
    // The thread that last received from it: an exception raised on that thread is never sent to
    // the port it would have to answer itself.
    std::atomic<pid_t> receiver{0};
};

// The live entry of a port or port set, or null for any other name.
PortEntry* port_find(mach_port_name_t name);

// Bumps the arrival word of an entry and wakes its waiting receivers.
void port_signal_arrival(PortEntry* entry);

// Defined by the message layer: frees the messages queued for a port that goes away.
void message_queue_drop(mach_port_name_t port);

// Defined by the message layer: queues a no-senders notification for `port` on `notify`.
void message_send_no_senders(mach_port_name_t notify, mach_port_name_t port);

} // namespace sonvale::darwin::detail
