#pragma once

#include "crashcapture/TQCrashError.h"

#include <cstddef>
#include <cstdint>

namespace tqcrash::async {

struct tqcrash_async_byteorder;

// Every function here is safe in a signal handler.

// `address + offset` into `*result`; false when it overflows either way.
bool async_address_add_checked(std::uint64_t address, std::int64_t offset, std::uint64_t* result);

// Copies `length` bytes at `address + offset` of this process without faulting: 0, or
// TQCRASH_ENOMEM (offset overflow), TQCRASH_ENOTFOUND (unmapped), TQCRASH_EACCESS (unreadable),
// TQCRASH_EUNKNOWN.
tqcrash_error_t task_memory_read(std::uint64_t address, std::int64_t offset, void* destination,
                                 std::size_t length);
// A read, then converted from the image's byte order.
tqcrash_error_t task_memory_read_u32(const tqcrash_async_byteorder* order, std::uint64_t address,
                                     std::int64_t offset, std::uint32_t* out);
tqcrash_error_t task_memory_read_u64(const tqcrash_async_byteorder* order, std::uint64_t address,
                                     std::int64_t offset, std::uint64_t* out);

// 0 when equal within `n` characters or up to a common terminator, else the difference of the
// first differing bytes.
int async_strncmp(const char* a, const char* b, std::size_t n);
void* async_memcpy(void* destination, const void* source, std::size_t n);
void* async_memset(void* destination, int value, std::size_t n);

} // namespace tqcrash::async
