#pragma once

// Method names from the Objective-C runtime metadata of a Mach-O image (the modern 64-bit
// layout: class list, class and metaclass read-only data, method lists with absolute or relative
// entries, categories): "-[Class selector]" or "+[Class selector]" for the method whose
// implementation starts highest at or below a pc. Safe in a signal handler; the cache belongs to
// the thread that made it.

#include "crashcapture/TQCrashError.h"
#include "crashcapture/TQCrashMemoryObject.h"

#include <cstdint>

namespace tqcrash::async {

struct macho_image;

struct objc_symbol_cache {
    enum section : int { objc_const, objc_const_ax, objc_methlist, objc_selrefs, objc_classlist, objc_catlist,
                         objc_data, data, section_count };
    const macho_image* image; // the image the sections below are mapped for
    tqcrash_async_mobject sections[section_count];
    bool mapped[section_count];
};

// Always 0.
tqcrash_error_t objc_symbol_cache_init(objc_symbol_cache* cache);
void objc_symbol_cache_free(objc_symbol_cache* cache);

using objc_found_method = void (*)(std::uint64_t implementation, const char* name, void* context);
// 8 when no method starts at or below `pc`, 9 for malformed metadata (a method list outside the
// method-list sections), TQCRASH_ENOTSUP for images without the modern 64-bit metadata, or a read
// status.
tqcrash_error_t objc_find_method(const macho_image* image, objc_symbol_cache* cache, std::uint64_t pc,
                                 objc_found_method found, void* context);

} // namespace tqcrash::async
