// Feeds arbitrary bytes to the ELF image reader as an image mapped in memory: an image's headers
// may be damaged, and they point wherever they like, so every input must end in an image or a
// refusal, never in a fault or a hang.

#include "crashcapture/TQCrashElfImage.h"
#include "crashcapture/TQCrashMemoryObject.h"

#include <cstddef>
#include <cstdint>
#include <vector>

using namespace tqcrash::async;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Aligned, and with room past the input so that small headers still read as zeros.
    std::vector<std::uint64_t> words(size / 8 + 16, 0);
    __builtin_memcpy(words.data(), data, size);
    const auto address = reinterpret_cast<std::uintptr_t>(words.data());
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
