#pragma once

// One loaded ELF image as the crash engine sees it: where its header lies, the extent of its code,
// its build-id (a report's image UUID), its call-frame sections and its dynamic symbol table. It
// presents the same view of an image that the Mach-O reader gives of a Mach-O one: contains an
// address, maps a section, finds the symbol of a pc.
//
// The record is a plain value filled once by elf_image_init from the image's program headers (the
// section header table is not loaded, so sections come from PT_GNU_EH_FRAME and PT_DYNAMIC). Every
// function here is safe in a signal handler; reads go through checked task reads and memory
// objects.

#include "crashcapture/TQCrashError.h"

#include <climits>
#include <cstddef>
#include <cstdint>

namespace tqcrash::async {

struct tqcrash_async_mobject;

struct elf_address_range {
    std::uint64_t address; // 0: absent
    std::uint64_t size;
};

struct elf_image {
    std::uint64_t header_address; // where the ELF header is mapped
    std::uint64_t slide;          // load bias: runtime address minus link-time address
    std::uint64_t text_size;      // from the header to the end of the last executable segment
    std::int32_t cpu_type;
    std::int32_t cpu_subtype;
    elf_address_range eh_frame;
    elf_address_range eh_frame_hdr;
    elf_address_range symbols;     // the dynamic symbol table (Elf64_Sym entries)
    elf_address_range strings;     // its string table
    std::uint32_t uuid_length;     // 0: the image has no build-id
    std::uint8_t uuid[64];
    char path[PATH_MAX];
};

// Reads the image whose ELF header is mapped at `header_address`. TQCRASH_EINTERNAL when the header
// cannot be read, TQCRASH_EINVALID_DATA when it is no 64-bit ELF image with a loadable segment.
tqcrash_error_t elf_image_init(elf_image* image, std::uint64_t header_address, const char* path);

// header address <= address < header address + text size.
bool elf_image_contains_address(const elf_image* image, std::uint64_t address);

// Maps ".eh_frame" or ".eh_frame_hdr" whole. TQCRASH_ENOTFOUND when the image has no such section.
tqcrash_error_t elf_image_map_section(const elf_image* image, const char* name, tqcrash_async_mobject* section);

// The function symbol with the highest address not above `pc`, from the dynamic symbol table:
// `found(start address, name, context)` runs once. TQCRASH_ENOTFOUND when no symbol lies at or
// below `pc`, TQCRASH_EINVALID_DATA when its name runs out of the string table.
using elf_symbol_found = void (*)(std::uint64_t address, const char* name, void* context);
tqcrash_error_t elf_image_find_symbol(const elf_image* image, std::uint64_t pc, elf_symbol_found found,
                                      void* context);

} // namespace tqcrash::async
