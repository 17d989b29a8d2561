#pragma once

// A checked view of a range of this process's memory. Making it verifies, against the mapping
// table, how much of the range is readable; afterwards every access is bounds-checked against that
// part, so the crash path may read through it without faulting. The view is of our own memory, so
// the local address equals the task address (delta 0); the fields keep the general form so that
// readers never assume it.
//
// Every function here is safe in a signal handler. A memory object belongs to the thread that made
// it.

#include "crashcapture/TQCrashError.h"

#include <cstddef>
#include <cstdint>

namespace tqcrash::async {

struct tqcrash_async_byteorder;

struct tqcrash_async_mobject {
    std::uintptr_t address;      // local address of the requested start
    std::uint64_t task_address;  // task address of the requested start
    std::uint64_t length;        // usable bytes from the start
    std::int64_t vm_slide;       // task address minus local address
    std::uintptr_t vm_address;   // base of the whole checked range (page multiple)
    std::uint64_t vm_length;
};

// Checks `length` bytes at `address`. With `require_full`, the whole range must be readable;
// otherwise the readable part from its start is taken. TQCRASH_ENOMEM when nothing (or, with
// `require_full`, not all) is readable or the range overflows.
tqcrash_error_t mobject_map_task_range(tqcrash_async_mobject* object, std::uint64_t address,
                                       std::uint64_t length, bool require_full);
std::uint64_t mobject_task_address(const tqcrash_async_mobject* object);
std::uint64_t mobject_length(const tqcrash_async_mobject* object);
// True when `length` bytes at `local + offset` lie inside the usable part, without overflow.
bool mobject_check_local_range(const tqcrash_async_mobject* object, std::uintptr_t local,
                               std::int64_t offset, std::uint64_t length);
// A local pointer to `length` bytes at task address `address + offset`, or null when outside.
const void* mobject_local_pointer(const tqcrash_async_mobject* object, std::uint64_t address,
                                  std::int64_t offset, std::uint64_t length);
// 0, or TQCRASH_EINVAL when the value lies outside the object.
tqcrash_error_t mobject_read_byte(const tqcrash_async_mobject* object, std::uint64_t address,
                                  std::int64_t offset, std::uint8_t* out);
tqcrash_error_t mobject_read_u16(const tqcrash_async_mobject* object, const tqcrash_async_byteorder* order,
                                 std::uint64_t address, std::int64_t offset, std::uint16_t* out);
tqcrash_error_t mobject_read_u32(const tqcrash_async_mobject* object, const tqcrash_async_byteorder* order,
                                 std::uint64_t address, std::int64_t offset, std::uint32_t* out);
tqcrash_error_t mobject_read_u64(const tqcrash_async_mobject* object, const tqcrash_async_byteorder* order,
                                 std::uint64_t address, std::int64_t offset, std::uint64_t* out);
// LEB128 at `address + offset`; `*size` gets the byte count. TQCRASH_EINVAL when a byte lies
// outside, TQCRASH_ENOTSUP when the value still continues after 64 bits.
tqcrash_error_t mobject_read_uleb128(const tqcrash_async_mobject* object, std::uint64_t address,
                                     std::int64_t offset, std::uint64_t* out, std::size_t* size);
tqcrash_error_t mobject_read_sleb128(const tqcrash_async_mobject* object, std::uint64_t address,
                                     std::int64_t offset, std::int64_t* out, std::size_t* size);
// Forgets the view.
void mobject_unmap(tqcrash_async_mobject* object);

} // namespace tqcrash::async
