#pragma once

// The loaded images of this process as the crash path reads them: header address, the extent of
// their code, path, build-id (a report's image UUID) and CPU type.
//
// Images are added and removed on normal threads (they read headers and may allocate); the crash
// path walks the list between image_list_set_reading(true) and (false), without a lock.

#include "crashcapture/TQCrashAsyncList.h"

#include <climits>
#include <cstdint>

namespace tqcrash::async {

struct loaded_image {
    std::uint64_t header_address; // where the ELF header is mapped
    std::uint64_t text_size;      // from the header to the end of the last executable segment
    std::int32_t cpu_type;
    std::int32_t cpu_subtype;
    std::uint32_t uuid_length;    // 0: the image has no build-id
    std::uint8_t uuid[64];
    char path[PATH_MAX];
};

struct image_list {
    async_list<loaded_image> images;
};
using image_node = async_list<loaded_image>::node;

// Normal threads only.
// Reads the image whose ELF header is mapped at `header_address` and appends it; an unreadable
// image is dropped (false).
bool image_list_add(image_list* list, std::uint64_t header_address, const char* path);
// Unlinks the first image with that header address.
bool image_list_remove(image_list* list, std::uint64_t header_address);
// Appends every image loaded in this process now, the executable first.
void image_list_add_process_images(image_list* list);
// The process-wide list the crash path writes into reports. It lives for the whole process.
image_list& process_image_list();

// Safe in a signal handler.
void image_list_set_reading(const image_list* list, bool reading);
const image_node* image_list_next(const image_list* list, const image_node* current);
bool image_contains_address(const loaded_image* image, std::uint64_t address);
const image_node* image_list_find_containing(const image_list* list, std::uint64_t address);

} // namespace tqcrash::async
