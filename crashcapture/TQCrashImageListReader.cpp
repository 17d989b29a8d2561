// Crash path: no allocation, no lock, no stdio.

#include "crashcapture/TQCrashImageList.h"

namespace tqcrash::async {

namespace {
constinit never_destroyed<image_list> gProcessImages;
}

image_list& process_image_list() {
    return gProcessImages.value;
}

void image_list_set_reading(const image_list* list, bool reading) {
    list->images.set_reading(reading);
}

const image_node* image_list_next(const image_list* list, const image_node* current) {
    return list->images.next(current);
}

const image_node* image_list_find_containing(const image_list* list, std::uint64_t address) {
    for (const image_node* node = image_list_next(list, nullptr); node != nullptr;
         node = image_list_next(list, node)) {
        if (elf_image_contains_address(&node->value, address)) {
            return node;
        }
    }
    return nullptr;
}

} // namespace tqcrash::async
