// Feeds arbitrary bytes to the Mach-O reader as an image in memory, with symbol and method
// lookups: load commands may be damaged and point anywhere, so every input must end in an image or
// a refusal, never in a fault or a hang.

#include "crashcapture/TQCrashMachOImage.h"
#include "crashcapture/TQCrashObjCMethods.h"
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
    static macho_image image; // large: kept off the fuzzer's stack
    if (macho_image_init(&image, "fuzz", address) != tqcrash::TQCRASH_ESUCCESS) {
        return 0;
    }
    tqcrash_async_mobject section;
    if (macho_map_section(&image, "__TEXT", "__unwind_info", &section) == tqcrash::TQCRASH_ESUCCESS) {
        mobject_unmap(&section);
    }
    objc_symbol_cache cache;
    objc_symbol_cache_init(&cache);
    macho_find_symbol(&image, MACHO_SYMBOLS_TABLE | MACHO_SYMBOLS_OBJC, &cache, address + size / 2,
                      [](std::uint64_t, const char*, void*) {}, nullptr);
    objc_symbol_cache_free(&cache);
    macho_image_free(&image);
    return 0;
}
