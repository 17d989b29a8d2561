// Crash path: no allocation, no lock, no stdio.

#include "crashcapture/TQCrashByteOrder.h"

namespace tqcrash::async {

namespace {

std::uint16_t swap16(std::uint16_t v) { return __builtin_bswap16(v); }
std::uint32_t swap32(std::uint32_t v) { return __builtin_bswap32(v); }
std::uint64_t swap64(std::uint64_t v) { return __builtin_bswap64(v); }
std::uint16_t keep16(std::uint16_t v) { return v; }
std::uint32_t keep32(std::uint32_t v) { return v; }
std::uint64_t keep64(std::uint64_t v) { return v; }

constexpr tqcrash_async_byteorder kSwapped{swap16, swap32, swap64};
constexpr tqcrash_async_byteorder kDirect{keep16, keep32, keep64};

} // namespace

const tqcrash_async_byteorder* tqcrash_async_byteorder_swapped() {
    return &kSwapped;
}

const tqcrash_async_byteorder* tqcrash_async_byteorder_direct() {
    return &kDirect;
}

} // namespace tqcrash::async
