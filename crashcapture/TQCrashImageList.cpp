#include "crashcapture/TQCrashImageList.h"

#include <elf.h>
#include <link.h>
#include <unistd.h>

#include <climits>
#include <memory>

namespace tqcrash::async {

namespace detail {

std::vector<loaded_object> loaded_objects() {
    std::vector<loaded_object> objects;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* context) -> int {
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                const ElfW(Phdr)& segment = info->dlpi_phdr[i];
                if (segment.p_type == PT_LOAD && segment.p_offset == 0) {
                    std::string path = info->dlpi_name;
                    if (path.empty()) { // the main program: its path is the executable's
                        char resolved[PATH_MAX];
                        const ssize_t length = readlink("/proc/self/exe", resolved, sizeof resolved);
                        path.assign(resolved, length > 0 ? static_cast<std::size_t>(length) : 0);
                    }
                    static_cast<std::vector<loaded_object>*>(context)->push_back(
                        {info->dlpi_addr + segment.p_vaddr, std::move(path)});
                    break;
                }
            }
            return 0;
        },
        &objects);
    return objects;
}

} // namespace detail

bool image_list_add(image_list* list, std::uint64_t header_address, const char* path) {
    auto image = std::make_unique<elf_image>();
    return elf_image_init(image.get(), header_address, path) == TQCRASH_ESUCCESS && list->images.append(*image);
}

bool image_list_remove(image_list* list, std::uint64_t header_address) {
    return list->images.remove_first(
        [header_address](const elf_image& image) { return image.header_address == header_address; });
}

void image_list_add_process_images(image_list* list) {
    for (const detail::loaded_object& object : detail::loaded_objects()) {
        image_list_add(list, object.header, object.path.c_str());
    }
}

} // namespace tqcrash::async
