#pragma once

#include <cstdint>

namespace tqcrash::async {

// Converts 16-, 32- and 64-bit values of an image to host order. Safe in a signal handler.
struct tqcrash_async_byteorder {
    std::uint16_t (*swap16)(std::uint16_t);
    std::uint32_t (*swap32)(std::uint32_t);
    std::uint64_t (*swap64)(std::uint64_t);
};

// For images in the other byte order.
const tqcrash_async_byteorder* tqcrash_async_byteorder_swapped();
// For images in host order.
const tqcrash_async_byteorder* tqcrash_async_byteorder_direct();

} // namespace tqcrash::async
