#pragma once

#include <cstdint>

namespace sonvale::darwin {

// How many bytes from `address` on, at most `length`, lie in readable mappings of this process
// without a gap, as /proc/self/maps lists them: the stand-in for probing a range with memory
// entries. 0 when the first byte is unreadable or the table cannot be read.
//
// Safe in a signal handler: open, read and close with a buffer on the stack, no allocation.
std::uint64_t readable_length(std::uint64_t address, std::uint64_t length);

} // namespace sonvale::darwin
