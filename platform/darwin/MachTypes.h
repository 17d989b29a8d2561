#pragma once

// The Mach names, numbers and return codes that the crash engine speaks, as the stand-in in this
// folder gives them. Values are those of the published Mach interfaces.

#include <cstdint>

namespace sonvale::darwin {

using kern_return_t = int;
using natural_t = std::uint32_t;
using integer_t = std::int32_t;
using mach_port_t = natural_t;
using mach_port_name_t = natural_t;
using mach_port_right_t = natural_t;
using mach_port_delta_t = integer_t;
using mach_port_mscount_t = natural_t;
using mach_msg_id_t = integer_t;
using mach_msg_bits_t = std::uint32_t;
using mach_msg_size_t = natural_t;
using mach_msg_option_t = integer_t;
using mach_msg_timeout_t = natural_t;
using mach_msg_return_t = kern_return_t;
using mach_msg_type_name_t = std::uint32_t;
using mach_msg_type_number_t = natural_t;
using task_t = mach_port_t;
using thread_t = mach_port_t; // a thread's port is its kernel thread id
using exception_type_t = int;
using exception_mask_t = std::uint32_t;
using exception_behavior_t = int;
using thread_state_flavor_t = int;
using exception_data_type_t = integer_t;          // classic 32-bit codes
using mach_exception_data_type_t = std::int64_t;  // 64-bit codes
using vm_address_t = std::uint64_t;
using vm_size_t = std::uint64_t;

inline constexpr kern_return_t KERN_SUCCESS = 0;
inline constexpr kern_return_t KERN_INVALID_ADDRESS = 1;
inline constexpr kern_return_t KERN_PROTECTION_FAILURE = 2;
inline constexpr kern_return_t KERN_NO_SPACE = 3;
inline constexpr kern_return_t KERN_INVALID_ARGUMENT = 4;
inline constexpr kern_return_t KERN_FAILURE = 5;
inline constexpr kern_return_t KERN_RESOURCE_SHORTAGE = 6;
inline constexpr kern_return_t KERN_MEMORY_ERROR = 10;
inline constexpr kern_return_t KERN_INVALID_NAME = 15;
inline constexpr kern_return_t KERN_INVALID_TASK = 16;
inline constexpr kern_return_t KERN_INVALID_RIGHT = 17;
inline constexpr kern_return_t KERN_INVALID_VALUE = 18;
inline constexpr kern_return_t KERN_UREFS_OVERFLOW = 19;
inline constexpr kern_return_t KERN_OPERATION_TIMED_OUT = 49;

inline constexpr mach_port_t MACH_PORT_NULL = 0;
inline constexpr mach_port_t MACH_PORT_DEAD = ~mach_port_t{0};

inline constexpr mach_port_right_t MACH_PORT_RIGHT_SEND = 0;
inline constexpr mach_port_right_t MACH_PORT_RIGHT_RECEIVE = 1;
inline constexpr mach_port_right_t MACH_PORT_RIGHT_PORT_SET = 3;

inline constexpr mach_msg_type_name_t MACH_MSG_TYPE_MOVE_SEND = 17;
inline constexpr mach_msg_type_name_t MACH_MSG_TYPE_MOVE_SEND_ONCE = 18;
inline constexpr mach_msg_type_name_t MACH_MSG_TYPE_COPY_SEND = 19;
inline constexpr mach_msg_type_name_t MACH_MSG_TYPE_MAKE_SEND = 20;
inline constexpr mach_msg_type_name_t MACH_MSG_TYPE_MAKE_SEND_ONCE = 21;
inline constexpr mach_msg_type_name_t MACH_MSG_TYPE_PORT_SEND = MACH_MSG_TYPE_MOVE_SEND;
inline constexpr mach_msg_type_name_t MACH_MSG_TYPE_PORT_SEND_ONCE = MACH_MSG_TYPE_MOVE_SEND_ONCE;

inline constexpr mach_msg_bits_t MACH_MSGH_BITS_REMOTE_MASK = 0x0000001f;
inline constexpr mach_msg_bits_t MACH_MSGH_BITS_LOCAL_MASK = 0x00001f00;
inline constexpr mach_msg_bits_t MACH_MSGH_BITS_COMPLEX = 0x80000000;
constexpr mach_msg_bits_t MACH_MSGH_BITS(mach_msg_type_name_t remote, mach_msg_type_name_t local) {
    return remote | (local << 8);
}
constexpr mach_msg_type_name_t MACH_MSGH_BITS_REMOTE(mach_msg_bits_t bits) {
    return bits & MACH_MSGH_BITS_REMOTE_MASK;
}
constexpr mach_msg_type_name_t MACH_MSGH_BITS_LOCAL(mach_msg_bits_t bits) {
    return (bits & MACH_MSGH_BITS_LOCAL_MASK) >> 8;
}

inline constexpr mach_msg_option_t MACH_SEND_MSG = 0x00000001;
inline constexpr mach_msg_option_t MACH_RCV_MSG = 0x00000002;
inline constexpr mach_msg_option_t MACH_RCV_LARGE = 0x00000004;
inline constexpr mach_msg_option_t MACH_RCV_TIMEOUT = 0x00000100;
inline constexpr mach_msg_timeout_t MACH_MSG_TIMEOUT_NONE = 0;

inline constexpr mach_msg_return_t MACH_MSG_SUCCESS = 0;
inline constexpr mach_msg_return_t MACH_SEND_INVALID_DEST = 0x10000003;
inline constexpr mach_msg_return_t MACH_SEND_MSG_TOO_SMALL = 0x10000008;
inline constexpr mach_msg_return_t MACH_SEND_TOO_LARGE = 0x1000000a;
inline constexpr mach_msg_return_t MACH_SEND_NO_BUFFER = 0x1000000d;
inline constexpr mach_msg_return_t MACH_RCV_INVALID_NAME = 0x10004002;
inline constexpr mach_msg_return_t MACH_RCV_TIMED_OUT = 0x10004003;
inline constexpr mach_msg_return_t MACH_RCV_TOO_LARGE = 0x10004004;

// Errors of the interface-generator runtime that the exception calls return.
inline constexpr kern_return_t MIG_TYPE_ERROR = -300;
inline constexpr kern_return_t MIG_REPLY_MISMATCH = -301;
inline constexpr kern_return_t MIG_ARRAY_TOO_LARGE = -307;

inline constexpr mach_msg_id_t MACH_NOTIFY_NO_SENDERS = 70;

// Exception types, their mask bits, and how a handler wants them delivered.
inline constexpr exception_type_t EXC_BAD_ACCESS = 1;
inline constexpr exception_type_t EXC_BAD_INSTRUCTION = 2;
inline constexpr exception_type_t EXC_ARITHMETIC = 3;
inline constexpr exception_type_t EXC_EMULATION = 4;
inline constexpr exception_type_t EXC_SOFTWARE = 5;
inline constexpr exception_type_t EXC_BREAKPOINT = 6;
inline constexpr exception_type_t EXC_GUARD = 12;
inline constexpr int EXC_TYPES_COUNT = 14;

inline constexpr exception_mask_t EXC_MASK_BAD_ACCESS = 1u << EXC_BAD_ACCESS;
inline constexpr exception_mask_t EXC_MASK_BAD_INSTRUCTION = 1u << EXC_BAD_INSTRUCTION;
inline constexpr exception_mask_t EXC_MASK_ARITHMETIC = 1u << EXC_ARITHMETIC;
inline constexpr exception_mask_t EXC_MASK_SOFTWARE = 1u << EXC_SOFTWARE;
inline constexpr exception_mask_t EXC_MASK_BREAKPOINT = 1u << EXC_BREAKPOINT;
inline constexpr exception_mask_t EXC_MASK_GUARD = 1u << EXC_GUARD;
inline constexpr exception_mask_t EXC_MASK_ALL = 0x3FFE;

inline constexpr exception_behavior_t EXCEPTION_DEFAULT = 1;
inline constexpr exception_behavior_t EXCEPTION_STATE = 2;
inline constexpr exception_behavior_t EXCEPTION_STATE_IDENTITY = 3;
inline constexpr exception_behavior_t MACH_EXCEPTION_CODES = static_cast<exception_behavior_t>(0x80000000u);

// Codes that go with the exception types.
inline constexpr mach_exception_data_type_t EXC_I386_INVOP = 1;
inline constexpr mach_exception_data_type_t EXC_I386_DIV = 1;
inline constexpr mach_exception_data_type_t EXC_I386_SGL = 1;
inline constexpr mach_exception_data_type_t EXC_I386_BPT = 2;
inline constexpr mach_exception_data_type_t EXC_UNIX_BAD_SYSCALL = 0x10000;
inline constexpr mach_exception_data_type_t EXC_UNIX_BAD_PIPE = 0x10001;
inline constexpr mach_exception_data_type_t EXC_UNIX_ABORT = 0x10002;
inline constexpr mach_exception_data_type_t EXC_SOFT_SIGNAL = 0x10003;

// Thread-state flavors of x86-64 and their sizes in 32-bit words.
inline constexpr thread_state_flavor_t x86_THREAD_STATE64 = 4;
inline constexpr thread_state_flavor_t x86_EXCEPTION_STATE64 = 6;
inline constexpr thread_state_flavor_t x86_THREAD_STATE = 7;
inline constexpr mach_msg_type_number_t x86_THREAD_STATE64_COUNT = 42;
inline constexpr mach_msg_type_number_t x86_EXCEPTION_STATE64_COUNT = 4;
inline constexpr mach_msg_type_number_t x86_THREAD_STATE_COUNT = 44; // a flavor/count header, then the 64-bit state
// The largest state an exception message carries.
inline constexpr mach_msg_type_number_t THREAD_STATE_MAX = 1296;

} // namespace sonvale::darwin
