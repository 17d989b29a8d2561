// Feeds arbitrary bytes to the ELF image reader as an image mapped in memory: an image's headers
// may be damaged, and they point wherever they like, so every input must end in an image or a
// refusal, never in a fault or a hang.

#include "crashcapture/TQCrashElfImage.h"
#include "crashcapture/TQCrashMemoryObject.h"
#include "fuzz/unwind/GuardedCopy.h"

#include <cstddef>
#include <cstdint>

using namespace tqcrash::async;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const GuardedCopy copy(data, size);
    const std::uintptr_t address = copy.address();
    if (address == 0) {
        return 0;
    }
    static elf_image image; // large: kept off the fuzzer's stack
    if (elf_image_init(&image, address, "fuzz") != tqcrash::TQCRASH_ESUCCESS) {
        return 0;
    }
    elf_image_contains_address(&image, address + 64);
    tqcrash_async_mobject section;
    if (elf_image_map_section(&image, ".eh_frame_hdr", &section) == tqcrash::TQCRASH_ESUCCESS) {
        mobject_unmap(&section);
    }
    elf_image_find_symbol(&image, address + size / 2, [](std::uint64_t, const char*, void*) {}, nullptr);
    return 0;
}
