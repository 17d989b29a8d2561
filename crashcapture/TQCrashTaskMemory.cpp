// Crash path: no allocation, no lock, no stdio.

#include "crashcapture/TQCrashTaskMemory.h"

#include "platform/darwin/VmRead.h"

namespace tqcrash::async {

bool async_address_add_checked(std::uint64_t address, std::int64_t offset, std::uint64_t* result) {
    if (offset >= 0) {
        return !__builtin_add_overflow(address, static_cast<std::uint64_t>(offset), result);
    }
    const std::uint64_t magnitude = ~static_cast<std::uint64_t>(offset) + 1;
    return !__builtin_sub_overflow(address, magnitude, result);
}

tqcrash_error_t task_memory_read(std::uint64_t address, std::int64_t offset, void* destination,
                                 std::size_t length) {
    std::uint64_t start = 0;
    if (!async_address_add_checked(address, offset, &start)) {
        return TQCRASH_ENOMEM;
    }
    std::uint64_t copied = 0;
    switch (sonvale::darwin::vm_read_overwrite(start, length, destination, &copied)) {
    case sonvale::darwin::KERN_SUCCESS:
        return TQCRASH_ESUCCESS;
    case sonvale::darwin::KERN_INVALID_ADDRESS:
        return TQCRASH_ENOTFOUND;
    case sonvale::darwin::KERN_PROTECTION_FAILURE:
        return TQCRASH_EACCESS;
    default:
        return TQCRASH_EUNKNOWN;
    }
}

} // namespace tqcrash::async
