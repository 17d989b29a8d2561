// Feeds arbitrary bytes to the compact unwind lookup and decoder as an "__unwind_info" section:
// every input must end in an entry or a refusal, never in a fault.
//
// Input: four bytes of the offset to look up, then the section.

#include "crashcapture/TQCrashByteOrder.h"
#include "crashcapture/TQCrashCompactUnwind.h"
#include "crashcapture/TQCrashMemoryObject.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace tqcrash::async;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) {
        return 0;
    }
    std::uint32_t target = 0;
    std::memcpy(&target, data, 4);
    const std::vector<std::uint8_t> bytes(data + 4, data + size);
    tqcrash_async_mobject section;
    if (mobject_map_task_range(&section, reinterpret_cast<std::uintptr_t>(bytes.data()), bytes.size(), true) !=
        tqcrash::TQCRASH_ESUCCESS) {
        return 0;
    }
    std::uint32_t encoding = 0, start = 0;
    if (compact_unwind_lookup(&section, tqcrash_async_byteorder_direct(), target, &encoding, &start) ==
        tqcrash::TQCRASH_ESUCCESS) {
        for (std::int32_t cpu : {7, 0x1000007, 0x100000C}) {
            compact_unwind_entry entry;
            compact_unwind_decode(cpu, encoding, &entry);
        }
    }
    mobject_unmap(&section);
    return 0;
}
