#pragma once

// What the crash engine expects of Mach messages: mach_msg sends a message to a port of this task
// and receives one from a port or a port set, with the header, descriptor and NDR layouts of the
// published interface, so that messages are built and read byte for byte as on Darwin.
//
// Design: queued messages live in a fixed pool of kMessageSlots slots of kMessageMax bytes in
// static storage, claimed and released with atomics; a receiver waits with a futex on the arrival
// word of its port or set. No allocation and no lock: safe in a signal handler, where a faulting
// thread sends its exception and waits for the answer. A port queues at most kPortQueueLimit
// messages: a send to a full port (or when every slot is taken) waits until some message is
// received, as a Mach send without a timeout does, so that many threads faulting at once wait for
// the exception server instead of failing. Rights carried in a header keep their names (one name
// space); a receiver sees the sender's local port as its remote port, with the disposition the
// right arrived as.

#include "platform/darwin/MachTypes.h"

#include <cstddef>

namespace sonvale::darwin {

using mach_msg_descriptor_type_t = std::uint32_t;

struct mach_msg_header_t {
    mach_msg_bits_t msgh_bits;
    mach_msg_size_t msgh_size;
    mach_port_t msgh_remote_port;
    mach_port_t msgh_local_port;
    mach_port_name_t msgh_voucher_port;
    mach_msg_id_t msgh_id;
};
static_assert(sizeof(mach_msg_header_t) == 24);

struct mach_msg_body_t {
    mach_msg_size_t msgh_descriptor_count;
};

inline constexpr mach_msg_descriptor_type_t MACH_MSG_PORT_DESCRIPTOR = 0;

struct mach_msg_port_descriptor_t {
    mach_port_t name;
    mach_msg_size_t pad1;
    unsigned int pad2 : 16;
    mach_msg_type_name_t disposition : 8;
    mach_msg_descriptor_type_t type : 8;
};
static_assert(sizeof(mach_msg_port_descriptor_t) == 12);

// How the sender encodes numbers; every message of this process carries the same record.
struct NDR_record_t {
    unsigned char mig_vers, if_vers, reserved1, mig_encoding, int_rep, char_rep, float_rep, reserved2;
};
static_assert(sizeof(NDR_record_t) == 8);
inline constexpr NDR_record_t NDR_record{0, 0, 0, 0, 1, 0, 0, 0};

// The largest message a port queues, how many messages can wait at once in the process, and how
// many for one port.
inline constexpr mach_msg_size_t kMessageMax = 6144;
inline constexpr std::size_t kMessageSlots = 64;
inline constexpr std::uint32_t kPortQueueLimit = 8;

// MACH_SEND_MSG sends `send_size` bytes of `msg` to msg->msgh_remote_port; MACH_RCV_MSG then
// receives into `msg` (at most `rcv_size` bytes) from `rcv_name`, waiting for ever or, with
// MACH_RCV_TIMEOUT, `timeout` milliseconds. A message larger than `rcv_size` gives
// MACH_RCV_TOO_LARGE: with MACH_RCV_LARGE it stays queued and msgh_size tells its size, without
// it is destroyed. `notify` is unused.
mach_msg_return_t mach_msg(mach_msg_header_t* msg, mach_msg_option_t option, mach_msg_size_t send_size,
                           mach_msg_size_t rcv_size, mach_port_name_t rcv_name, mach_msg_timeout_t timeout,
                           mach_port_name_t notify);

} // namespace sonvale::darwin
