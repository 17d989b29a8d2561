#pragma once

#include <cstdint>

namespace sonvale::darwin {

// How many bytes from `address` on, at most `length`, lie in readable mappings of this process
// without a gap, as /proc/self/maps lists them: the stand-in for probing a range with memory
// entries. 0 when the first byte is unreadable or the table cannot be read.
//
// Safe in a signal handler: open, read and close with a buffer on the stack, no allocation.
std::uint64_t readable_length(std::uint64_t address, std::uint64_t length);

// While the threads of the process are stopped for a report the table does not change, yet a
// report checks hundreds of ranges: between mappings_freeze() and mappings_thaw() readable_length
// answers from one snapshot instead of reading the table each time. False (and nothing changes)
// when the table cannot be read or holds more than kFrozenMappingsCapacity readable runs. One
// snapshot at a time, taken by the thread that stopped the others. Safe in a signal handler.
inline constexpr std::uint32_t kFrozenMappingsCapacity = 4096;
bool mappings_freeze();
void mappings_thaw();

} // namespace sonvale::darwin
