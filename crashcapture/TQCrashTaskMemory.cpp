// Crash path: no allocation, no lock, no stdio.

#include "crashcapture/TQCrashTaskMemory.h"

#include "crashcapture/TQCrashByteOrder.h"
#include "platform/darwin/VmRead.h"

namespace tqcrash::async {

namespace {

template <typename T>
tqcrash_error_t readConverted(T (*convert)(T), std::uint64_t address, std::int64_t offset, T* out) {
    T raw = 0;
    const tqcrash_error_t status = task_memory_read(address, offset, &raw, sizeof raw);
    if (status == TQCRASH_ESUCCESS) {
        *out = convert(raw);
    }
    return status;
}

} // namespace

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

tqcrash_error_t task_memory_read_u32(const tqcrash_async_byteorder* order, std::uint64_t address,
                                     std::int64_t offset, std::uint32_t* out) {
    return readConverted(order->swap32, address, offset, out);
}

tqcrash_error_t task_memory_read_u64(const tqcrash_async_byteorder* order, std::uint64_t address,
                                     std::int64_t offset, std::uint64_t* out) {
    return readConverted(order->swap64, address, offset, out);
}

int async_strncmp(const char* a, const char* b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        const auto left = static_cast<unsigned char>(a[i]);
        const auto right = static_cast<unsigned char>(b[i]);
        if (left != right) {
            return left - right;
        }
        if (left == 0) {
            return 0;
        }
    }
    return 0;
}

// Plain loops the compiler must not turn back into library calls.
void* async_memcpy(void* destination, const void* source, std::size_t n) {
    auto* to = static_cast<volatile unsigned char*>(destination);
    const auto* from = static_cast<const unsigned char*>(source);
    for (std::size_t i = 0; i < n; ++i) {
        to[i] = from[i];
    }
    return destination;
}

void* async_memset(void* destination, int value, std::size_t n) {
    auto* to = static_cast<volatile unsigned char*>(destination);
    for (std::size_t i = 0; i < n; ++i) {
        to[i] = static_cast<unsigned char>(value);
    }
    return destination;
}

} // namespace tqcrash::async
