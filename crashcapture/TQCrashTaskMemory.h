#pragma once

#include "crashcapture/TQCrashError.h"

#include <cstddef>
#include <cstdint>

namespace tqcrash::async {

// `address + offset` into `*result`; false when it overflows either way. Safe in a signal handler.
bool async_address_add_checked(std::uint64_t address, std::int64_t offset, std::uint64_t* result);

// Copies `length` bytes at `address + offset` of this process without faulting: 0, or
// TQCRASH_ENOMEM (offset overflow), TQCRASH_ENOTFOUND (unmapped), TQCRASH_EACCESS (unreadable),
// TQCRASH_EUNKNOWN. Safe in a signal handler.
tqcrash_error_t task_memory_read(std::uint64_t address, std::int64_t offset, void* destination,
                                 std::size_t length);

} // namespace tqcrash::async
