// Crash path: no allocation, no lock, no stdio.

#include "crashcapture/TQCrashElfImage.h"

#include "crashcapture/TQCrashByteOrder.h"
#include "crashcapture/TQCrashEhPointerReader.h"
#include "crashcapture/TQCrashMemoryObject.h"
#include "crashcapture/TQCrashTaskMemory.h"
#include "platform/darwin/MachCpu.h"

#include <elf.h>

namespace tqcrash::async {

namespace {

template <typename T>
bool readAt(std::uint64_t address, T* out) {
    return task_memory_read(address, 0, out, sizeof(T)) == TQCRASH_ESUCCESS;
}

std::uint64_t align4(std::uint64_t n) {
    return (n + 3) & ~std::uint64_t{3};
}

// The GNU build-id among the notes of one PT_NOTE segment.
void readBuildId(std::uint64_t notes, std::uint64_t size, elf_image* image) {
    for (std::uint64_t at = 0; at + sizeof(Elf64_Nhdr) <= size;) {
        Elf64_Nhdr header;
        if (!readAt(notes + at, &header)) {
            return;
        }
        const std::uint64_t name = at + sizeof header;
        const std::uint64_t desc = name + align4(header.n_namesz);
        if (desc + header.n_descsz > size || desc < name) {
            return;
        }
        char owner[4];
        if (header.n_type == NT_GNU_BUILD_ID && header.n_namesz == 4 && readAt(notes + name, &owner) &&
            async_strncmp(owner, "GNU", 4) == 0 && header.n_descsz <= sizeof image->uuid &&
            task_memory_read(notes + desc, 0, image->uuid, header.n_descsz) == TQCRASH_ESUCCESS) {
            image->uuid_length = header.n_descsz;
            return;
        }
        at = desc + align4(header.n_descsz);
    }
}

// The end of the loadable segment holding `address`, or 0.
std::uint64_t segmentEnd(const elf_image* image, std::uint64_t phdrs, std::uint16_t count, std::uint64_t address) {
    for (std::uint16_t i = 0; i < count; ++i) {
        Elf64_Phdr segment;
        if (!readAt(phdrs + i * sizeof segment, &segment)) {
            return 0;
        }
        const std::uint64_t start = image->slide + segment.p_vaddr;
        if (segment.p_type == PT_LOAD && address >= start && address - start < segment.p_memsz) {
            return start + segment.p_memsz;
        }
    }
    return 0;
}

// .eh_frame_hdr names where .eh_frame starts; its entries, up to the zero terminator, give its size.
void readCallFrameSections(elf_image* image, std::uint64_t phdrs, std::uint16_t count, const Elf64_Phdr& header) {
    image->eh_frame_hdr = {image->slide + header.p_vaddr, header.p_memsz};
    tqcrash_async_mobject hdr;
    if (mobject_map_task_range(&hdr, image->eh_frame_hdr.address, image->eh_frame_hdr.size, true) != TQCRASH_ESUCCESS) {
        image->eh_frame_hdr = {};
        return;
    }
    std::uint8_t version = 0;
    std::uint8_t encoding = 0;
    gnu_ehptr_reader reader;
    gnu_ehptr_reader_init(&reader, tqcrash_async_byteorder_direct(), 8);
    gnu_ehptr_reader_set_data_base(&reader, image->eh_frame_hdr.address);
    std::uint64_t start = 0;
    std::size_t taken = 0;
    if (mobject_read_byte(&hdr, image->eh_frame_hdr.address, 0, &version) != TQCRASH_ESUCCESS || version != 1 ||
        mobject_read_byte(&hdr, image->eh_frame_hdr.address, 1, &encoding) != TQCRASH_ESUCCESS ||
        gnu_ehptr_reader_read(&reader, &hdr, image->eh_frame_hdr.address, 4, encoding, &start, &taken) !=
            TQCRASH_ESUCCESS) {
        mobject_unmap(&hdr);
        return;
    }
    mobject_unmap(&hdr);
    const std::uint64_t end = segmentEnd(image, phdrs, count, start);
    std::uint64_t at = start;
    while (at + 4 <= end) {
        std::uint32_t length = 0;
        if (!readAt(at, &length)) {
            return;
        }
        if (length == 0) {
            at += 4;
            break;
        }
        std::uint64_t next = at + 4 + length;
        if (length == 0xFFFFFFFFu) {
            std::uint64_t longLength = 0;
            if (!readAt(at + 4, &longLength) || __builtin_add_overflow(at + 12, longLength, &next)) {
                return;
            }
        }
        if (next > end || next <= at) {
            break;
        }
        at = next;
    }
    if (at > start) {
        image->eh_frame = {start, at - start};
    }
}

// Dynamic-section pointers are relocated in place by the loader, except in images it does not
// relocate (the vDSO): a pointer below the image is still a link-time address.
std::uint64_t dynamicAddress(const elf_image* image, std::uint64_t pointer) {
    return pointer < image->header_address ? pointer + image->slide : pointer;
}

// The number of dynamic symbols, from the SysV hash table or the highest chain of the GNU one.
std::uint64_t symbolCount(std::uint64_t sysvHash, std::uint64_t gnuHash) {
    std::uint32_t words[4];
    if (sysvHash != 0) {
        return readAt(sysvHash, &words) ? words[1] : 0;
    }
    if (gnuHash == 0 || !readAt(gnuHash, &words)) {
        return 0;
    }
    const std::uint32_t bucketCount = words[0];
    const std::uint32_t firstSymbol = words[1];
    const std::uint64_t buckets = gnuHash + 16 + std::uint64_t{words[2]} * 8;
    std::uint32_t last = 0;
    for (std::uint32_t i = 0; i < bucketCount; ++i) {
        std::uint32_t bucket = 0;
        if (!readAt(buckets + i * 4ull, &bucket)) {
            return 0;
        }
        last = bucket > last ? bucket : last;
    }
    if (last < firstSymbol) {
        return firstSymbol;
    }
    const std::uint64_t chains = buckets + bucketCount * 4ull;
    for (std::uint32_t index = last;; ++index) {
        std::uint32_t hash = 0;
        if (!readAt(chains + (index - firstSymbol) * 4ull, &hash)) {
            return 0;
        }
        if ((hash & 1) != 0) {
            return std::uint64_t{index} + 1;
        }
    }
}

void readDynamicSymbols(elf_image* image, const Elf64_Phdr& dynamic) {
    std::uint64_t symtab = 0, strtab = 0, strsz = 0, hash = 0, gnuHash = 0;
    const std::uint64_t start = image->slide + dynamic.p_vaddr;
    for (std::uint64_t at = 0; at + sizeof(Elf64_Dyn) <= dynamic.p_memsz; at += sizeof(Elf64_Dyn)) {
        Elf64_Dyn entry;
        if (!readAt(start + at, &entry) || entry.d_tag == DT_NULL) {
            break;
        }
        switch (entry.d_tag) {
        case DT_SYMTAB: symtab = dynamicAddress(image, entry.d_un.d_ptr); break;
        case DT_STRTAB: strtab = dynamicAddress(image, entry.d_un.d_ptr); break;
        case DT_STRSZ: strsz = entry.d_un.d_val; break;
        case DT_HASH: hash = dynamicAddress(image, entry.d_un.d_ptr); break;
        case DT_GNU_HASH: gnuHash = dynamicAddress(image, entry.d_un.d_ptr); break;
        default: break;
        }
    }
    const std::uint64_t count = symtab != 0 && strtab != 0 ? symbolCount(hash, gnuHash) : 0;
    if (count > 0 && count < (UINT64_MAX / sizeof(Elf64_Sym))) {
        image->symbols = {symtab, count * sizeof(Elf64_Sym)};
        image->strings = {strtab, strsz};
    }
}

} // namespace

tqcrash_error_t elf_image_init(elf_image* image, std::uint64_t header_address, const char* path) {
    async_memset(image, 0, sizeof *image);
    Elf64_Ehdr header;
    if (!readAt(header_address, &header)) {
        return TQCRASH_EINTERNAL;
    }
    if (async_strncmp(reinterpret_cast<const char*>(header.e_ident), ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_phentsize != sizeof(Elf64_Phdr)) {
        return TQCRASH_EINVALID_DATA;
    }
    std::uint64_t phdrs = 0;
    if (!async_address_add_checked(header_address, static_cast<std::int64_t>(header.e_phoff & INT64_MAX), &phdrs)) {
        return TQCRASH_EINVALID_DATA;
    }
    image->header_address = header_address;
    bool loadable = false;
    for (std::uint16_t i = 0; i < header.e_phnum && !loadable; ++i) {
        Elf64_Phdr segment;
        if (!readAt(phdrs + i * sizeof segment, &segment)) {
            return TQCRASH_EINTERNAL;
        }
        if (segment.p_type == PT_LOAD) {
            image->slide = header_address - (segment.p_vaddr - segment.p_offset);
            loadable = true;
        }
    }
    if (!loadable) {
        return TQCRASH_EINVALID_DATA;
    }
    const auto cpu = sonvale::darwin::cpuTypeOfElfMachine(header.e_machine);
    image->cpu_type = cpu.type;
    image->cpu_subtype = cpu.subtype;
    for (std::uint16_t i = 0; i < header.e_phnum; ++i) {
        Elf64_Phdr segment;
        if (!readAt(phdrs + i * sizeof segment, &segment)) {
            return TQCRASH_EINTERNAL;
        }
        const std::uint64_t start = image->slide + segment.p_vaddr;
        if (segment.p_type == PT_LOAD && (segment.p_flags & PF_X) != 0 && start >= header_address) {
            const std::uint64_t end = start + segment.p_memsz - header_address;
            image->text_size = end > image->text_size ? end : image->text_size;
        } else if (segment.p_type == PT_NOTE && image->uuid_length == 0) {
            readBuildId(start, segment.p_memsz, image);
        } else if (segment.p_type == PT_GNU_EH_FRAME) {
            readCallFrameSections(image, phdrs, header.e_phnum, segment);
        } else if (segment.p_type == PT_DYNAMIC) {
            readDynamicSymbols(image, segment);
        }
    }
    std::size_t length = 0;
    while (path[length] != '\0' && length + 1 < sizeof image->path) {
        image->path[length] = path[length];
        ++length;
    }
    image->path[length] = '\0';
    return TQCRASH_ESUCCESS;
}

bool elf_image_contains_address(const elf_image* image, std::uint64_t address) {
    return address >= image->header_address && address - image->header_address < image->text_size;
}

tqcrash_error_t elf_image_map_section(const elf_image* image, const char* name, tqcrash_async_mobject* section) {
    const elf_address_range* range = nullptr;
    if (async_strncmp(name, ".eh_frame", 16) == 0) {
        range = &image->eh_frame;
    } else if (async_strncmp(name, ".eh_frame_hdr", 16) == 0) {
        range = &image->eh_frame_hdr;
    }
    if (range == nullptr || range->address == 0 || range->size == 0) {
        return TQCRASH_ENOTFOUND;
    }
    return mobject_map_task_range(section, range->address, range->size, true);
}

tqcrash_error_t elf_image_find_symbol(const elf_image* image, std::uint64_t pc, elf_symbol_found found,
                                      void* context) {
    tqcrash_async_mobject symbols;
    tqcrash_async_mobject strings;
    if (image->symbols.size == 0 ||
        mobject_map_task_range(&symbols, image->symbols.address, image->symbols.size, true) != TQCRASH_ESUCCESS) {
        return TQCRASH_ENOTFOUND;
    }
    if (mobject_map_task_range(&strings, image->strings.address, image->strings.size, true) != TQCRASH_ESUCCESS) {
        mobject_unmap(&symbols);
        return TQCRASH_ENOTFOUND;
    }
    bool have = false;
    Elf64_Sym best{};
    for (std::uint64_t at = 0; at + sizeof(Elf64_Sym) <= image->symbols.size; at += sizeof(Elf64_Sym)) {
        const auto* entry = static_cast<const Elf64_Sym*>(
            mobject_local_pointer(&symbols, image->symbols.address, static_cast<std::int64_t>(at), sizeof(Elf64_Sym)));
        if (entry == nullptr) {
            break;
        }
        const unsigned type = ELF64_ST_TYPE(entry->st_info);
        const std::uint64_t start = image->slide + entry->st_value;
        if ((type == STT_FUNC || type == STT_GNU_IFUNC) && entry->st_shndx != SHN_UNDEF && start <= pc &&
            (!have || entry->st_value > best.st_value)) {
            best = *entry;
            have = true;
        }
    }
    tqcrash_error_t status = have ? TQCRASH_EINVALID_DATA : TQCRASH_ENOTFOUND;
    if (have && best.st_name < image->strings.size) {
        const auto* name = static_cast<const char*>(
            mobject_local_pointer(&strings, image->strings.address, best.st_name, image->strings.size - best.st_name));
        for (std::uint64_t i = 0; name != nullptr && i < image->strings.size - best.st_name; ++i) {
            if (name[i] == '\0') {
                found(image->slide + best.st_value, name, context);
                status = TQCRASH_ESUCCESS;
                break;
            }
        }
    }
    mobject_unmap(&strings);
    mobject_unmap(&symbols);
    return status;
}

} // namespace tqcrash::async
