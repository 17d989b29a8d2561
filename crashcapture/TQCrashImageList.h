#pragma once

// The loaded images of this process as the crash path reads them (see TQCrashElfImage.h).
//
// Images are added and removed on normal threads (they read headers and may allocate); the crash
// path walks the list between image_list_set_reading(true) and (false), without a lock.

#include "crashcapture/TQCrashAsyncList.h"
#include "crashcapture/TQCrashElfImage.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tqcrash::async {

struct image_list {
    async_list<elf_image> images;
};
using image_node = async_list<elf_image>::node;

// Normal threads only.
// Reads the image whose ELF header is mapped at `header_address` and appends it; an unreadable
// image is dropped (false).
bool image_list_add(image_list* list, std::uint64_t header_address, const char* path);
// Unlinks the first image with that header address.
bool image_list_remove(image_list* list, std::uint64_t header_address);
// Appends every image loaded in this process now, the executable first.
void image_list_add_process_images(image_list* list);
// Fills the list with the images loaded now and keeps it up to date from then on: every dlopen()
// adds what it loaded, every dlclose() removes what it unloaded. One list per process; a second
// call does nothing and returns false.
bool image_list_follow_process_images(image_list* list);
// The process-wide list the crash path writes into reports. It lives for the whole process.
image_list& process_image_list();

namespace detail {
struct loaded_object {
    std::uint64_t header; // where its ELF header is mapped
    std::string path;
};
// The objects loaded now, the executable first, as the loader lists them. Normal threads only.
std::vector<loaded_object> loaded_objects();
} // namespace detail

// Safe in a signal handler.
void image_list_set_reading(const image_list* list, bool reading);
const image_node* image_list_next(const image_list* list, const image_node* current);
const image_node* image_list_find_containing(const image_list* list, std::uint64_t address);

} // namespace tqcrash::async
