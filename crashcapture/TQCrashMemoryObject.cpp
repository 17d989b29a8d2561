// Crash path: no allocation, no lock, no stdio.

#include "crashcapture/TQCrashMemoryObject.h"

#include "crashcapture/TQCrashByteOrder.h"
#include "crashcapture/TQCrashTaskMemory.h"
#include "platform/darwin/ProcessMappings.h"

#include <unistd.h>

namespace tqcrash::async {

namespace {

std::uint64_t pageSize() {
    const long size = sysconf(_SC_PAGESIZE);
    return size > 0 ? static_cast<std::uint64_t>(size) : 4096;
}

template <typename T>
tqcrash_error_t readValue(const tqcrash_async_mobject* object, std::uint64_t address, std::int64_t offset, T* out) {
    const void* at = mobject_local_pointer(object, address, offset, sizeof(T));
    if (at == nullptr) {
        return TQCRASH_EINVAL;
    }
    async_memcpy(out, at, sizeof(T));
    return TQCRASH_ESUCCESS;
}

// The bits of a LEB128 value; `*bits` gets how many it had, `*negative` bit 6 of its last byte.
tqcrash_error_t readLeb128(const tqcrash_async_mobject* object, std::uint64_t address, std::int64_t offset,
                           std::uint64_t* out, std::size_t* size, unsigned* bits, bool* negative) {
    std::uint64_t value = 0;
    for (std::size_t i = 0;; ++i) {
        std::uint8_t byte = 0;
        if (offset > INT64_MAX - static_cast<std::int64_t>(i) ||
            mobject_read_byte(object, address, offset + static_cast<std::int64_t>(i), &byte) != TQCRASH_ESUCCESS) {
            return TQCRASH_EINVAL;
        }
        const unsigned shift = static_cast<unsigned>(7 * i);
        if (shift >= 64) {
            return TQCRASH_ENOTSUP;
        }
        value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) {
            *out = value;
            *size = i + 1;
            *bits = shift + 7;
            *negative = (byte & 0x40) != 0;
            return TQCRASH_ESUCCESS;
        }
    }
}

} // namespace

tqcrash_error_t mobject_map_task_range(tqcrash_async_mobject* object, std::uint64_t address,
                                       std::uint64_t length, bool require_full) {
    const std::uint64_t page = pageSize();
    const std::uint64_t base = address & ~(page - 1);
    std::uint64_t end = 0;
    if (__builtin_add_overflow(address, length, &end) || end > UINT64_MAX - page) {
        return TQCRASH_ENOMEM;
    }
    std::uint64_t total = ((end + page - 1) & ~(page - 1)) - base;
    const std::uint64_t readable = sonvale::darwin::readable_length(base, total);
    if (readable == 0 || (require_full && readable < total)) {
        return TQCRASH_ENOMEM;
    }
    total = readable;
    const std::uint64_t inPage = address - base;
    if (total <= inPage) {
        return TQCRASH_ENOMEM;
    }
    object->vm_address = static_cast<std::uintptr_t>(base);
    object->vm_length = total;
    object->address = static_cast<std::uintptr_t>(address);
    object->task_address = address;
    object->length = length < total - inPage ? length : total - inPage;
    object->vm_slide = 0;
    return TQCRASH_ESUCCESS;
}

std::uint64_t mobject_task_address(const tqcrash_async_mobject* object) {
    return object->task_address;
}

std::uint64_t mobject_length(const tqcrash_async_mobject* object) {
    return object->length;
}

bool mobject_check_local_range(const tqcrash_async_mobject* object, std::uintptr_t local, std::int64_t offset,
                               std::uint64_t length) {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
    if (!async_address_add_checked(local, offset, &start) || __builtin_add_overflow(start, length, &end)) {
        return false;
    }
    return start >= object->address && end <= object->address + object->length;
}

const void* mobject_local_pointer(const tqcrash_async_mobject* object, std::uint64_t address, std::int64_t offset,
                                  std::uint64_t length) {
    std::uint64_t local = 0;
    if (!async_address_add_checked(address, -object->vm_slide, &local) ||
        !mobject_check_local_range(object, static_cast<std::uintptr_t>(local), offset, length)) {
        return nullptr;
    }
    return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(local + static_cast<std::uint64_t>(offset)));
}

tqcrash_error_t mobject_read_byte(const tqcrash_async_mobject* object, std::uint64_t address, std::int64_t offset,
                                  std::uint8_t* out) {
    return readValue(object, address, offset, out);
}

tqcrash_error_t mobject_read_u16(const tqcrash_async_mobject* object, const tqcrash_async_byteorder* order,
                                 std::uint64_t address, std::int64_t offset, std::uint16_t* out) {
    const tqcrash_error_t status = readValue(object, address, offset, out);
    if (status == TQCRASH_ESUCCESS) {
        *out = order->swap16(*out);
    }
    return status;
}

tqcrash_error_t mobject_read_u32(const tqcrash_async_mobject* object, const tqcrash_async_byteorder* order,
                                 std::uint64_t address, std::int64_t offset, std::uint32_t* out) {
    const tqcrash_error_t status = readValue(object, address, offset, out);
    if (status == TQCRASH_ESUCCESS) {
        *out = order->swap32(*out);
    }
    return status;
}

tqcrash_error_t mobject_read_u64(const tqcrash_async_mobject* object, const tqcrash_async_byteorder* order,
                                 std::uint64_t address, std::int64_t offset, std::uint64_t* out) {
    const tqcrash_error_t status = readValue(object, address, offset, out);
    if (status == TQCRASH_ESUCCESS) {
        *out = order->swap64(*out);
    }
    return status;
}

tqcrash_error_t mobject_read_uleb128(const tqcrash_async_mobject* object, std::uint64_t address,
                                     std::int64_t offset, std::uint64_t* out, std::size_t* size) {
    unsigned bits = 0;
    bool negative = false;
    return readLeb128(object, address, offset, out, size, &bits, &negative);
}

tqcrash_error_t mobject_read_sleb128(const tqcrash_async_mobject* object, std::uint64_t address,
                                     std::int64_t offset, std::int64_t* out, std::size_t* size) {
    std::uint64_t value = 0;
    unsigned bits = 0;
    bool negative = false;
    const tqcrash_error_t status = readLeb128(object, address, offset, &value, size, &bits, &negative);
    if (status == TQCRASH_ESUCCESS) {
        if (negative && bits < 64) {
            value |= ~std::uint64_t{0} << bits;
        }
        *out = static_cast<std::int64_t>(value);
    }
    return status;
}

void mobject_unmap(tqcrash_async_mobject* object) {
    object->length = 0;
    object->vm_length = 0;
}

} // namespace tqcrash::async
