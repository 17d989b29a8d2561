// Crash path: no allocation, no lock, no stdio.

#include "crashcapture/TQCrashMachOImage.h"

#include "crashcapture/TQCrashByteOrder.h"
#include "crashcapture/TQCrashObjCMethods.h"
#include "crashcapture/TQCrashTaskMemory.h"

namespace tqcrash::async {

namespace {

std::uint64_t addressOf(const void* pointer) {
    return reinterpret_cast<std::uintptr_t>(pointer);
}

bool readU64(const macho_image* image, const void* command, std::size_t offset, std::uint64_t* out) {
    return mobject_read_u64(&image->load_cmds, image->byteorder, addressOf(command), static_cast<std::int64_t>(offset),
                            out) == TQCRASH_ESUCCESS;
}

// A segment command's vmaddr, vmsize, fileoff and filesize, whatever its width.
struct segment_fields {
    std::uint64_t vmaddr, vmsize, fileoff, filesize;
    std::uint32_t nsects;
};

bool readSegment(const macho_image* image, const void* command, segment_fields* out) {
    std::uint32_t size = 0;
    if (!macho_load_command_u32(image, command, 4, &size)) {
        return false;
    }
    if (image->m64) {
        return size >= 72 && readU64(image, command, 24, &out->vmaddr) && readU64(image, command, 32, &out->vmsize) &&
               readU64(image, command, 40, &out->fileoff) && readU64(image, command, 48, &out->filesize) &&
               macho_load_command_u32(image, command, 64, &out->nsects);
    }
    std::uint32_t words[4];
    for (int i = 0; i < 4; ++i) {
        if (size < 56 || !macho_load_command_u32(image, command, 24 + 4 * static_cast<std::size_t>(i), &words[i])) {
            return false;
        }
    }
    *out = segment_fields{words[0], words[1], words[2], words[3], 0};
    return macho_load_command_u32(image, command, 48, &out->nsects);
}

bool namesMatch(const macho_image* image, const void* command, std::size_t offset, const char* name) {
    const auto* text = static_cast<const char*>(mobject_local_pointer(&image->load_cmds, addressOf(command),
                                                                      static_cast<std::int64_t>(offset), 16));
    return text != nullptr && async_strncmp(text, name, 16) == 0;
}

} // namespace

tqcrash_error_t macho_image_init(macho_image* image, const char* path, std::uint64_t header_addr) {
    async_memset(image, 0, sizeof *image);
    std::size_t length = 0;
    while (path[length] != '\0' && length + 1 < sizeof image->path) {
        image->path[length] = path[length];
        ++length;
    }
    image->header_addr = header_addr;
    if (task_memory_read(header_addr, 0, &image->header, sizeof image->header) != TQCRASH_ESUCCESS) {
        return TQCRASH_EINTERNAL;
    }
    switch (image->header.magic) {
    case MH_MAGIC: image->byteorder = tqcrash_async_byteorder_direct(); image->header_size = 28; break;
    case MH_MAGIC_64: image->byteorder = tqcrash_async_byteorder_direct(); image->header_size = 32; image->m64 = true; break;
    case MH_CIGAM: image->byteorder = tqcrash_async_byteorder_swapped(); image->header_size = 28; break;
    case MH_CIGAM_64: image->byteorder = tqcrash_async_byteorder_swapped(); image->header_size = 32; image->m64 = true; break;
    default: return TQCRASH_EINVAL;
    }
    const auto* order = image->byteorder;
    macho_header& h = image->header;
    h = {h.magic, order->swap32(h.cputype), order->swap32(h.cpusubtype), order->swap32(h.filetype),
         order->swap32(h.ncmds), order->swap32(h.sizeofcmds), order->swap32(h.flags)};
    if (mobject_map_task_range(&image->load_cmds, header_addr + image->header_size, h.sizeofcmds, true) !=
        TQCRASH_ESUCCESS) {
        return TQCRASH_ENOMEM;
    }
    const void* text = macho_find_segment(image, "__TEXT");
    segment_fields fields{};
    if (text == nullptr || !readSegment(image, text, &fields)) {
        mobject_unmap(&image->load_cmds);
        return TQCRASH_EINVAL;
    }
    image->text_size = fields.vmsize;
    image->text_vmaddr = fields.vmaddr;
    image->vmaddr_slide = header_addr != fields.vmaddr ? header_addr - fields.vmaddr : 0;
    return TQCRASH_ESUCCESS;
}

void macho_image_free(macho_image* image) {
    mobject_unmap(&image->load_cmds);
}

bool macho_image_contains_address(const macho_image* image, std::uint64_t address) {
    return address >= image->header_addr && address - image->header_addr < image->text_size;
}

bool macho_load_command_u32(const macho_image* image, const void* command, std::size_t offset, std::uint32_t* out) {
    return mobject_read_u32(&image->load_cmds, image->byteorder, addressOf(command), static_cast<std::int64_t>(offset),
                            out) == TQCRASH_ESUCCESS;
}

const void* macho_next_load_command(const macho_image* image, const void* previous) {
    std::uint64_t at = mobject_task_address(&image->load_cmds);
    if (previous != nullptr) {
        std::uint32_t size = 0;
        if (!macho_load_command_u32(image, previous, 4, &size) || size < 8) {
            return nullptr;
        }
        at = addressOf(previous) + size;
    }
    std::uint32_t size = 0;
    const void* command = mobject_local_pointer(&image->load_cmds, at, 0, 8);
    if (command == nullptr || !macho_load_command_u32(image, command, 4, &size) || size < 8 ||
        mobject_local_pointer(&image->load_cmds, at, 0, size) == nullptr) {
        return nullptr;
    }
    return command;
}

const void* macho_find_load_command(const macho_image* image, std::uint32_t type) {
    std::uint32_t count = 0;
    for (const void* command = macho_next_load_command(image, nullptr); command != nullptr && count < image->header.ncmds;
         command = macho_next_load_command(image, command), ++count) {
        std::uint32_t kind = 0;
        if (macho_load_command_u32(image, command, 0, &kind) && kind == type) {
            return command;
        }
    }
    return nullptr;
}

const void* macho_find_segment(const macho_image* image, const char* name) {
    const std::uint32_t type = image->m64 ? LC_SEGMENT_64 : LC_SEGMENT;
    std::uint32_t count = 0;
    for (const void* command = macho_next_load_command(image, nullptr); command != nullptr && count < image->header.ncmds;
         command = macho_next_load_command(image, command), ++count) {
        std::uint32_t kind = 0;
        if (macho_load_command_u32(image, command, 0, &kind) && kind == type && namesMatch(image, command, 8, name)) {
            return command;
        }
    }
    return nullptr;
}

tqcrash_error_t macho_map_segment(const macho_image* image, const char* name, macho_segment* segment) {
    const void* command = macho_find_segment(image, name);
    segment_fields fields{};
    if (command == nullptr || !readSegment(image, command, &fields)) {
        return TQCRASH_ENOTFOUND;
    }
    segment->fileoff = fields.fileoff;
    segment->filesize = fields.filesize;
    return mobject_map_task_range(&segment->mobj, fields.vmaddr + image->vmaddr_slide, fields.vmsize, false);
}

tqcrash_error_t macho_map_section(const macho_image* image, const char* segmentName, const char* sectionName,
                                  tqcrash_async_mobject* out) {
    const void* command = macho_find_segment(image, segmentName);
    segment_fields fields{};
    if (command == nullptr || !readSegment(image, command, &fields)) {
        return TQCRASH_ENOTFOUND;
    }
    const std::size_t first = image->m64 ? 72 : 56;
    const std::size_t width = image->m64 ? 80 : 68;
    for (std::uint32_t i = 0; i < fields.nsects; ++i) {
        const std::size_t at = first + i * width;
        if (mobject_local_pointer(&image->load_cmds, addressOf(command), static_cast<std::int64_t>(at), width) == nullptr) {
            return TQCRASH_EINVAL;
        }
        if (!namesMatch(image, command, at, sectionName)) {
            continue;
        }
        std::uint64_t address = 0, size = 0;
        if (image->m64) {
            readU64(image, command, at + 32, &address);
            readU64(image, command, at + 40, &size);
        } else {
            std::uint32_t a = 0, s = 0;
            macho_load_command_u32(image, command, at + 32, &a);
            macho_load_command_u32(image, command, at + 36, &s);
            address = a;
            size = s;
        }
        return mobject_map_task_range(out, address + image->vmaddr_slide, size, true);
    }
    return TQCRASH_ENOTFOUND;
}

namespace {

// The best symbol so far: the highest start wins; names are cut to 255 characters.
struct symbol_result {
    char name[256];
    bool found;
    std::uint64_t address;

    void offer(std::uint64_t start, const char* text, bool method) {
        if (found && (start < address || (start == address && !method))) {
            return;
        }
        std::size_t i = 0;
        for (; i + 1 < sizeof name && text[i] != '\0'; ++i) {
            name[i] = text[i];
        }
        name[i] = '\0';
        address = start;
        found = true;
    }
};

// Searches entries [first, first + count) of the symbol table for the highest value not above
// `target`; `*best` and `*bestName` hold the best so far.
tqcrash_error_t searchSymbols(const macho_image* image, const tqcrash_async_mobject* linkedit, std::uint64_t symbols,
                              std::uint32_t first, std::uint32_t count,
                              std::uint64_t target, bool* have, std::uint64_t* best, std::uint32_t* bestName) {
    const std::uint64_t width = image->m64 ? 16 : 12;
    for (std::uint64_t i = first; i < std::uint64_t{first} + count; ++i) {
        const std::uint64_t entry = symbols + i * width;
        std::uint32_t nameIndex = 0;
        std::uint8_t type = 0;
        std::uint16_t desc = 0;
        std::uint64_t value = 0;
        if (mobject_read_u32(linkedit, image->byteorder, entry, 0, &nameIndex) != TQCRASH_ESUCCESS ||
            mobject_read_byte(linkedit, entry, 4, &type) != TQCRASH_ESUCCESS ||
            mobject_read_u16(linkedit, image->byteorder, entry, 6, &desc) != TQCRASH_ESUCCESS) {
            return TQCRASH_EINVAL;
        }
        if (image->m64) {
            if (mobject_read_u64(linkedit, image->byteorder, entry, 8, &value) != TQCRASH_ESUCCESS) return TQCRASH_EINVAL;
        } else {
            std::uint32_t value32 = 0;
            if (mobject_read_u32(linkedit, image->byteorder, entry, 8, &value32) != TQCRASH_ESUCCESS) return TQCRASH_EINVAL;
            value = value32;
        }
        if ((type & 0xEE) != 0x0E) {
            continue; // not a section symbol, or a debugging entry
        }
        if ((desc & 0x0008) != 0) {
            value += 1; // Thumb
        }
        if (value <= target && (!*have || value > *best)) {
            *have = true;
            *best = value;
            *bestName = nameIndex;
        }
    }
    return TQCRASH_ESUCCESS;
}

tqcrash_error_t findInSymbolTable(const macho_image* image, std::uint64_t pc, symbol_result* result) {
    const void* symtab = macho_find_load_command(image, LC_SYMTAB);
    std::uint32_t symoff = 0, nsyms = 0, stroff = 0, strsize = 0;
    if (symtab == nullptr || !macho_load_command_u32(image, symtab, 8, &symoff) ||
        !macho_load_command_u32(image, symtab, 12, &nsyms) || !macho_load_command_u32(image, symtab, 16, &stroff) ||
        !macho_load_command_u32(image, symtab, 20, &strsize)) {
        return TQCRASH_ENOTFOUND;
    }
    macho_segment linkedit;
    if (macho_map_segment(image, "__LINKEDIT", &linkedit) != TQCRASH_ESUCCESS) {
        return TQCRASH_EINTERNAL;
    }
    const std::uint64_t base = mobject_task_address(&linkedit.mobj);
    const std::uint64_t symbols = base + symoff - linkedit.fileoff;
    const std::uint64_t strings = base + stroff - linkedit.fileoff;
    const std::uint64_t width = image->m64 ? 16 : 12;
    tqcrash_error_t status = TQCRASH_ESUCCESS;
    if (symoff < linkedit.fileoff || stroff < linkedit.fileoff ||
        mobject_local_pointer(&linkedit.mobj, symbols, 0, nsyms * width) == nullptr ||
        mobject_local_pointer(&linkedit.mobj, strings, 0, strsize) == nullptr) {
        status = TQCRASH_EINVAL;
    }
    const std::uint64_t target = pc - image->vmaddr_slide;
    bool have = false;
    std::uint64_t best = 0;
    std::uint32_t bestName = 0;
    const void* dysymtab = status == TQCRASH_ESUCCESS ? macho_find_load_command(image, LC_DYSYMTAB) : nullptr;
    if (status == TQCRASH_ESUCCESS && dysymtab != nullptr) {
        std::uint32_t ilocal = 0, nlocal = 0, iext = 0, next = 0;
        macho_load_command_u32(image, dysymtab, 8, &ilocal);
        macho_load_command_u32(image, dysymtab, 12, &nlocal);
        macho_load_command_u32(image, dysymtab, 16, &iext);
        macho_load_command_u32(image, dysymtab, 20, &next);
        if (std::uint64_t{iext} + next > nsyms || std::uint64_t{ilocal} + nlocal > nsyms) {
            status = TQCRASH_EINVAL;
        } else {
            status = searchSymbols(image, &linkedit.mobj, symbols, iext, next, target, &have, &best, &bestName);
            if (status == TQCRASH_ESUCCESS) {
                status = searchSymbols(image, &linkedit.mobj, symbols, ilocal, nlocal, target, &have,
                                       &best, &bestName);
            }
        }
    } else if (status == TQCRASH_ESUCCESS) {
        status = searchSymbols(image, &linkedit.mobj, symbols, 0, nsyms, target, &have, &best, &bestName);
    }
    if (status == TQCRASH_ESUCCESS && !have) {
        status = TQCRASH_ENOTFOUND;
    }
    if (status == TQCRASH_ESUCCESS) {
        // The name must end inside the string table.
        status = TQCRASH_EINVAL;
        for (std::uint64_t i = bestName; i < strsize; ++i) {
            std::uint8_t byte = 1;
            if (mobject_read_byte(&linkedit.mobj, strings, static_cast<std::int64_t>(i), &byte) != TQCRASH_ESUCCESS) {
                break;
            }
            if (byte == 0) {
                result->offer(image->vmaddr_slide + best,
                              static_cast<const char*>(mobject_local_pointer(&linkedit.mobj, strings, bestName, 1)), false);
                status = TQCRASH_ESUCCESS;
                break;
            }
        }
    }
    mobject_unmap(&linkedit.mobj);
    return status;
}

} // namespace

tqcrash_error_t macho_find_symbol(const macho_image* image, std::uint32_t flags, objc_symbol_cache* cache,
                                  std::uint64_t pc, macho_found_symbol callback, void* context) {
    symbol_result result{};
    tqcrash_error_t tableStatus = TQCRASH_ENOTFOUND;
    tqcrash_error_t methodStatus = TQCRASH_ENOTFOUND;
    if ((flags & MACHO_SYMBOLS_TABLE) != 0) {
        tableStatus = findInSymbolTable(image, pc, &result);
    }
    if ((flags & MACHO_SYMBOLS_OBJC) != 0 && cache != nullptr) {
        methodStatus = objc_find_method(
            image, cache, pc,
            [](std::uint64_t start, const char* name, void* out) { static_cast<symbol_result*>(out)->offer(start, name, true); },
            &result);
    }
    if (tableStatus != TQCRASH_ESUCCESS && methodStatus != TQCRASH_ESUCCESS) {
        return TQCRASH_ENOTFOUND;
    }
    if (!result.found) {
        return TQCRASH_EINTERNAL;
    }
    callback(result.address, result.name, context);
    return TQCRASH_ESUCCESS;
}

} // namespace tqcrash::async
