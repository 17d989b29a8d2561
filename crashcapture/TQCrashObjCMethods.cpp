// Crash path: no allocation, no lock, no stdio.

#include "crashcapture/TQCrashObjCMethods.h"

#include "crashcapture/TQCrashByteOrder.h"
#include "crashcapture/TQCrashMachOImage.h"
#include "crashcapture/TQCrashTaskMemory.h"

namespace tqcrash::async {

namespace {

constexpr std::uint64_t kPointerMask = 0x7ffffffffff8;
constexpr std::uint32_t kMostMethods = 1u << 16;
constexpr std::uint64_t kMostClasses = 1u << 20;

struct section_place {
    const char* section;
    const char* segments[3];
};

// Where each section is looked for, in order.
constexpr section_place kPlaces[objc_symbol_cache::section_count] = {
    {"__objc_const", {"__DATA", "__DATA_CONST", "__DATA_DIRTY"}},
    {"__objc_const_ax", {"__DATA", "__DATA_CONST", "__DATA_DIRTY"}},
    {"__objc_methlist", {"__TEXT", "__DATA", "__DATA_CONST"}},
    {"__objc_selrefs", {"__DATA", "__DATA_CONST", "__DATA_DIRTY"}},
    {"__objc_classlist", {"__DATA", "__DATA_CONST", "__DATA_DIRTY"}},
    {"__objc_catlist", {"__DATA", "__DATA_CONST", "__DATA_DIRTY"}},
    {"__objc_data", {"__DATA", nullptr, nullptr}},
    {"__data", {"__DATA", nullptr, nullptr}},
};

void unmapAll(objc_symbol_cache* cache) {
    for (int i = 0; i < objc_symbol_cache::section_count; ++i) {
        if (cache->mapped[i]) {
            mobject_unmap(&cache->sections[i]);
            cache->mapped[i] = false;
        }
    }
    cache->image = nullptr;
}

void mapFor(objc_symbol_cache* cache, const macho_image* image) {
    if (cache->image == image) {
        return;
    }
    unmapAll(cache);
    for (int i = 0; i < objc_symbol_cache::section_count; ++i) {
        for (const char* segment : kPlaces[i].segments) {
            if (segment != nullptr &&
                macho_map_section(image, segment, kPlaces[i].section, &cache->sections[i]) == TQCRASH_ESUCCESS) {
                cache->mapped[i] = true;
                break;
            }
        }
    }
    cache->image = image;
}

bool inSection(const objc_symbol_cache* cache, int section, std::uint64_t address, std::uint64_t length) {
    return cache->mapped[section] && mobject_local_pointer(&cache->sections[section], address, 0, length) != nullptr;
}

// A C string of task memory, at most 255 characters, into `out`.
tqcrash_error_t readName(std::uint64_t address, char (&out)[256]) {
    for (std::size_t i = 0; i + 1 < sizeof out; ++i) {
        TQCRASH_TRY(task_memory_read(address, static_cast<std::int64_t>(i), &out[i], 1));
        if (out[i] == '\0') {
            return TQCRASH_ESUCCESS;
        }
    }
    out[sizeof out - 1] = '\0';
    return TQCRASH_ESUCCESS;
}

struct method_walk {
    const macho_image* image;
    const objc_symbol_cache* cache;
    std::uint64_t pc;
    // Pass one finds the best implementation; pass two reports the method that has it.
    bool reporting;
    bool reported;
    bool found;
    std::uint64_t best;
    objc_found_method callback;
    void* context;

    tqcrash_error_t u64(std::uint64_t address, std::uint64_t* out) const {
        return task_memory_read_u64(image->byteorder, address, 0, out);
    }
    tqcrash_error_t u32(std::uint64_t address, std::uint32_t* out) const {
        return task_memory_read_u32(image->byteorder, address, 0, out);
    }

    void report(std::uint64_t className, std::uint64_t selector, bool isClassMethod) {
        char cls[256];
        char sel[256];
        if (readName(className, cls) != TQCRASH_ESUCCESS || readName(selector, sel) != TQCRASH_ESUCCESS) {
            return;
        }
        char text[256];
        std::size_t at = 0;
        auto put = [&](const char* part) {
            for (std::size_t i = 0; part[i] != '\0' && at + 1 < sizeof text; ++i) {
                text[at++] = part[i];
            }
        };
        put(isClassMethod ? "+[" : "-[");
        put(cls);
        put(" ");
        put(sel);
        put("]");
        text[at] = '\0';
        callback(best, text, context);
    }

    tqcrash_error_t methodList(std::uint64_t list, std::uint64_t className, bool isClassMethod) {
        if (list == 0) {
            return TQCRASH_ESUCCESS;
        }
        if (!inSection(cache, objc_symbol_cache::objc_const, list, 8) &&
            !inSection(cache, objc_symbol_cache::objc_const_ax, list, 8) &&
            !inSection(cache, objc_symbol_cache::objc_methlist, list, 8)) {
            return TQCRASH_EINVALID_DATA;
        }
        std::uint32_t flags = 0, count = 0;
        TQCRASH_TRY(u32(list, &flags));
        TQCRASH_TRY(u32(list + 4, &count));
        const std::uint32_t size = flags & 0xFFFC;
        const bool relative = (flags & 0x80000000u) != 0;
        if (count > kMostMethods || size < (relative ? 12u : 24u)) {
            return TQCRASH_EINVALID_DATA;
        }
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint64_t entry = list + 8 + std::uint64_t{i} * size;
            std::uint64_t selector = 0, implementation = 0;
            if (relative) {
                std::uint32_t nameOffset = 0, impOffset = 0;
                TQCRASH_TRY(u32(entry, &nameOffset));
                TQCRASH_TRY(u32(entry + 8, &impOffset));
                selector = entry + static_cast<std::uint64_t>(static_cast<std::int64_t>(static_cast<std::int32_t>(nameOffset)));
                if (cache->mapped[objc_symbol_cache::objc_selrefs]) {
                    TQCRASH_TRY(u64(selector, &selector)); // through the selector reference
                }
                implementation = entry + 8 + static_cast<std::uint64_t>(static_cast<std::int64_t>(static_cast<std::int32_t>(impOffset)));
            } else {
                TQCRASH_TRY(u64(entry, &selector));
                TQCRASH_TRY(u64(entry + 16, &implementation));
            }
            if (!reporting) {
                if (implementation <= pc && (!found || implementation > best)) {
                    found = true;
                    best = implementation;
                }
            } else if (implementation == best && !reported) {
                report(className, selector, isClassMethod);
                reported = true;
            }
        }
        return TQCRASH_ESUCCESS;
    }

    // The read-only data of a class: through the writable data when the class is realized.
    tqcrash_error_t readOnlyData(std::uint64_t cls, std::uint64_t* ro) const {
        std::uint64_t data = 0;
        TQCRASH_TRY(u64(cls + 32, &data));
        data &= kPointerMask;
        std::uint32_t flags = 0;
        TQCRASH_TRY(u32(data, &flags));
        if ((flags & 0x80000000u) == 0) {
            *ro = data;
            return TQCRASH_ESUCCESS;
        }
        TQCRASH_TRY(u64(data + 8, ro));
        if ((*ro & 1) != 0) {
            TQCRASH_TRY(u64(*ro & ~std::uint64_t{1}, ro));
        }
        return TQCRASH_ESUCCESS;
    }

    tqcrash_error_t classMethods(std::uint64_t cls, bool isMeta) {
        std::uint64_t ro = 0, name = 0, methods = 0;
        TQCRASH_TRY(readOnlyData(cls, &ro));
        TQCRASH_TRY(u64(ro + 24, &name));
        TQCRASH_TRY(u64(ro + 32, &methods));
        return methodList(methods, name, isMeta);
    }

    tqcrash_error_t run() {
        if (cache->mapped[objc_symbol_cache::objc_classlist]) {
            const tqcrash_async_mobject& list = cache->sections[objc_symbol_cache::objc_classlist];
            const std::uint64_t count = mobject_length(&list) / 8;
            for (std::uint64_t i = 0; i < count && i < kMostClasses; ++i) {
                std::uint64_t cls = 0, meta = 0;
                TQCRASH_TRY(mobject_read_u64(&list, image->byteorder, mobject_task_address(&list), static_cast<std::int64_t>(i * 8), &cls));
                cls = (cls & 1) != 0 ? cls & kPointerMask : cls;
                TQCRASH_TRY(classMethods(cls, false));
                TQCRASH_TRY(u64(cls, &meta));
                TQCRASH_TRY(classMethods(meta & kPointerMask, true));
            }
        }
        if (cache->mapped[objc_symbol_cache::objc_catlist]) {
            const tqcrash_async_mobject& list = cache->sections[objc_symbol_cache::objc_catlist];
            const std::uint64_t count = mobject_length(&list) / 8;
            for (std::uint64_t i = 0; i < count && i < kMostClasses; ++i) {
                std::uint64_t category = 0, name = 0, cls = 0, instance = 0, classSide = 0;
                TQCRASH_TRY(mobject_read_u64(&list, image->byteorder, mobject_task_address(&list), static_cast<std::int64_t>(i * 8), &category));
                TQCRASH_TRY(u64(category, &name));
                TQCRASH_TRY(u64(category + 8, &cls));
                TQCRASH_TRY(u64(category + 16, &instance));
                TQCRASH_TRY(u64(category + 24, &classSide));
                if (cls != 0) {
                    std::uint64_t ro = 0;
                    TQCRASH_TRY(readOnlyData(cls, &ro));
                    TQCRASH_TRY(u64(ro + 24, &name));
                }
                TQCRASH_TRY(methodList(instance, name, false));
                TQCRASH_TRY(methodList(classSide, name, true));
            }
        }
        return TQCRASH_ESUCCESS;
    }
};

} // namespace

tqcrash_error_t objc_symbol_cache_init(objc_symbol_cache* cache) {
    async_memset(cache, 0, sizeof *cache);
    return TQCRASH_ESUCCESS;
}

void objc_symbol_cache_free(objc_symbol_cache* cache) {
    unmapAll(cache);
}

tqcrash_error_t objc_find_method(const macho_image* image, objc_symbol_cache* cache, std::uint64_t pc,
                                 objc_found_method found, void* context) {
    if (!image->m64) {
        return TQCRASH_ENOTSUP;
    }
    tqcrash_async_mobject legacy;
    if (macho_map_section(image, "__OBJC", "__module_info", &legacy) == TQCRASH_ESUCCESS) {
        mobject_unmap(&legacy);
        return TQCRASH_ENOTSUP; // the legacy runtime's module list
    }
    mapFor(cache, image);
    method_walk walk{image, cache, pc, false, false, false, 0, found, context};
    TQCRASH_TRY(walk.run());
    if (!walk.found) {
        return TQCRASH_ENOTFOUND;
    }
    walk.reporting = true;
    return walk.run();
}

} // namespace tqcrash::async
