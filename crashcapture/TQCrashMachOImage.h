#pragma once

// A Mach-O image in this process's memory, read through checked views: its header, load commands,
// segments, sections and symbol table. The engine reads images of the Mach-O format wherever it
// meets them (fixtures here: the loader of this system gives ELF images, see TQCrashElfImage.h).
//
// macho_image_init and macho_image_free run on normal threads; every other function is safe in a
// signal handler.

#include "crashcapture/TQCrashError.h"
#include "crashcapture/TQCrashMemoryObject.h"

#include <climits>
#include <cstdint>

namespace tqcrash::async {

struct tqcrash_async_byteorder;
struct objc_symbol_cache;

inline constexpr std::uint32_t MH_MAGIC = 0xfeedface;
inline constexpr std::uint32_t MH_CIGAM = 0xcefaedfe;
inline constexpr std::uint32_t MH_MAGIC_64 = 0xfeedfacf;
inline constexpr std::uint32_t MH_CIGAM_64 = 0xcffaedfe;
inline constexpr std::uint32_t LC_SEGMENT = 0x1;
inline constexpr std::uint32_t LC_SYMTAB = 0x2;
inline constexpr std::uint32_t LC_DYSYMTAB = 0xb;
inline constexpr std::uint32_t LC_SEGMENT_64 = 0x19;
inline constexpr std::uint32_t LC_UUID = 0x1b;

struct macho_header {
    std::uint32_t magic, cputype, cpusubtype, filetype, ncmds, sizeofcmds, flags;
};

struct macho_image {
    std::uint64_t header_addr;
    std::uint64_t vmaddr_slide; // header address minus the "__TEXT" vmaddr (0 when equal)
    char path[PATH_MAX];
    macho_header header;        // in host order
    const tqcrash_async_byteorder* byteorder;
    std::uint32_t header_size;  // 28 or 32
    tqcrash_async_mobject load_cmds;
    std::uint64_t text_size;
    std::uint64_t text_vmaddr;
    bool m64;
};

// A mapped segment and where it lies in the file.
struct macho_segment {
    tqcrash_async_mobject mobj;
    std::uint64_t fileoff;
    std::uint64_t filesize;
};

// TQCRASH_EINTERNAL when the header can't be read, TQCRASH_EINVAL for an unknown magic or an image
// without "__TEXT", TQCRASH_ENOMEM when the load commands can't be mapped.
tqcrash_error_t macho_image_init(macho_image* image, const char* path, std::uint64_t header_addr);
void macho_image_free(macho_image* image);

bool macho_image_contains_address(const macho_image* image, std::uint64_t address);
// The load command after `previous` (the first for null), or null; each is at least 8 bytes and
// lies inside the load commands.
const void* macho_next_load_command(const macho_image* image, const void* previous);
const void* macho_find_load_command(const macho_image* image, std::uint32_t type);
const void* macho_find_segment(const macho_image* image, const char* name);
// A 32-bit field of a load command, in host order; false when outside the load commands.
bool macho_load_command_u32(const macho_image* image, const void* command, std::size_t offset, std::uint32_t* out);
// 8 when there is no such segment; partial mapping allowed.
tqcrash_error_t macho_map_segment(const macho_image* image, const char* name, macho_segment* segment);
// 8 when not found, 5 when a section header lies outside the load commands; full mapping required.
tqcrash_error_t macho_map_section(const macho_image* image, const char* segment, const char* section,
                                  tqcrash_async_mobject* out);

enum : std::uint32_t { MACHO_SYMBOLS_TABLE = 1, MACHO_SYMBOLS_OBJC = 2 };
using macho_found_symbol = void (*)(std::uint64_t address, const char* name, void* context);
// The symbol of `pc`: from the symbol table (flags bit 0) and the Objective-C method lists (bit 1);
// the candidate with the highest start wins, a method name at equal addresses. The callback runs
// once. 8 when both lookups fail, 6 when nothing was recorded.
tqcrash_error_t macho_find_symbol(const macho_image* image, std::uint32_t flags, objc_symbol_cache* cache,
                                  std::uint64_t pc, macho_found_symbol callback, void* context);

} // namespace tqcrash::async
