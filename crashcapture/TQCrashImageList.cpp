#include "crashcapture/TQCrashImageList.h"

#include "crashcapture/TQCrashTaskMemory.h"
#include "platform/darwin/MachCpu.h"

#include <elf.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace tqcrash::async {

namespace {

// Copies the build-id note of a PT_NOTE segment, when it holds one.
bool readBuildId(std::uint64_t notes, std::uint64_t size, loaded_image* image) {
    std::vector<std::uint8_t> bytes(size);
    if (task_memory_read(notes, 0, bytes.data(), bytes.size()) != TQCRASH_ESUCCESS) {
        return false;
    }
    auto align4 = [](std::uint64_t n) { return (n + 3) & ~std::uint64_t{3}; };
    for (std::uint64_t at = 0; at + sizeof(Elf64_Nhdr) <= size;) {
        Elf64_Nhdr header;
        std::memcpy(&header, bytes.data() + at, sizeof header);
        const std::uint64_t name = at + sizeof header;
        const std::uint64_t desc = name + align4(header.n_namesz);
        if (desc + header.n_descsz > size) {
            return false;
        }
        if (header.n_type == NT_GNU_BUILD_ID && header.n_namesz == 4 &&
            std::memcmp(bytes.data() + name, "GNU", 4) == 0 && header.n_descsz <= sizeof image->uuid) {
            std::memcpy(image->uuid, bytes.data() + desc, header.n_descsz);
            image->uuid_length = header.n_descsz;
            return true;
        }
        at = desc + align4(header.n_descsz);
    }
    return false;
}

int addLoadedObject(dl_phdr_info* info, std::size_t, void* list) {
    const ElfW(Phdr)* first = nullptr;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        if (info->dlpi_phdr[i].p_type == PT_LOAD && info->dlpi_phdr[i].p_offset == 0) {
            first = &info->dlpi_phdr[i];
            break;
        }
    }
    if (first != nullptr) {
        // The main program has no name here; its path is the executable's.
        const char* path = info->dlpi_name[0] != '\0' ? info->dlpi_name : "/proc/self/exe";
        char resolved[PATH_MAX];
        if (std::strcmp(path, "/proc/self/exe") == 0) {
            const ssize_t length = readlink(path, resolved, sizeof resolved - 1);
            resolved[length > 0 ? length : 0] = '\0';
            path = resolved;
        }
        image_list_add(static_cast<image_list*>(list), info->dlpi_addr + first->p_vaddr, path);
    }
    return 0;
}

} // namespace

bool image_list_add(image_list* list, std::uint64_t header_address, const char* path) {
    Elf64_Ehdr header;
    if (task_memory_read(header_address, 0, &header, sizeof header) != TQCRASH_ESUCCESS ||
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64 ||
        header.e_phentsize != sizeof(Elf64_Phdr)) {
        return false;
    }
    std::vector<Elf64_Phdr> segments(header.e_phnum);
    if (task_memory_read(header_address, static_cast<std::int64_t>(header.e_phoff), segments.data(),
                         segments.size() * sizeof(Elf64_Phdr)) != TQCRASH_ESUCCESS) {
        return false;
    }
    const auto firstLoad = std::find_if(segments.begin(), segments.end(),
                                        [](const Elf64_Phdr& s) { return s.p_type == PT_LOAD; });
    if (firstLoad == segments.end()) {
        return false;
    }
    const std::uint64_t bias = header_address - firstLoad->p_vaddr;

    auto image = std::make_unique<loaded_image>();
    image->header_address = header_address;
    const auto cpu = sonvale::darwin::cpuTypeOfElfMachine(header.e_machine);
    image->cpu_type = cpu.type;
    image->cpu_subtype = cpu.subtype;
    for (const Elf64_Phdr& segment : segments) {
        if (segment.p_type == PT_LOAD && (segment.p_flags & PF_X) != 0) {
            image->text_size = std::max(image->text_size, bias + segment.p_vaddr + segment.p_memsz - header_address);
        } else if (segment.p_type == PT_NOTE && image->uuid_length == 0) {
            readBuildId(bias + segment.p_vaddr, segment.p_memsz, image.get());
        }
    }
    std::strncpy(image->path, path, sizeof image->path - 1);
    return list->images.append(*image);
}

bool image_list_remove(image_list* list, std::uint64_t header_address) {
    return list->images.remove_first(
        [header_address](const loaded_image& image) { return image.header_address == header_address; });
}

void image_list_add_process_images(image_list* list) {
    dl_iterate_phdr(addLoadedObject, list);
}

} // namespace tqcrash::async
