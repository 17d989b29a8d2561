// Keeps the followed image list equal to what is loaded. The loader has no callback for loads and
// unloads, so this file defines dlopen() and dlclose() for the program: each calls the C library's
// own and then brings the list up to date (normal threads only; the list's own lock and a mutex
// here serialise the updates). Objects that a loaded library loads in turn arrive with it, since
// every update compares the whole list of loaded objects.

#include "crashcapture/TQCrashImageList.h"

#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace tqcrash::async {

namespace {

std::atomic<image_list*> gFollowed{nullptr};
std::mutex gUpdateMutex;

void bringUpToDate(image_list* list) {
    const std::vector<detail::loaded_object> objects = detail::loaded_objects();
    const std::lock_guard lock(gUpdateMutex);
    std::vector<std::uint64_t> listed;
    image_list_set_reading(list, true);
    for (const image_node* node = image_list_next(list, nullptr); node != nullptr; node = image_list_next(list, node)) {
        listed.push_back(node->value.header_address);
    }
    image_list_set_reading(list, false);
    for (std::uint64_t header : listed) {
        if (std::none_of(objects.begin(), objects.end(), [&](const detail::loaded_object& o) { return o.header == header; })) {
            image_list_remove(list, header);
        }
    }
    for (const detail::loaded_object& object : objects) {
        if (std::find(listed.begin(), listed.end(), object.header) == listed.end()) {
            image_list_add(list, object.header, object.path.c_str());
        }
    }
}

void followedChanged() {
    if (image_list* list = gFollowed.load()) {
        bringUpToDate(list);
    }
}

template <typename Function>
Function nextDefinition(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

bool image_list_follow_process_images(image_list* list) {
    image_list* none = nullptr;
    if (!gFollowed.compare_exchange_strong(none, list)) {
        return false;
    }
    bringUpToDate(list);
    return true;
}

} // namespace tqcrash::async

extern "C" {

void* dlopen(const char* file, int mode) {
    static const auto real = tqcrash::async::nextDefinition<void* (*)(const char*, int)>("dlopen");
    void* handle = real(file, mode);
    if (handle != nullptr) {
        tqcrash::async::followedChanged();
    }
    return handle;
}

int dlclose(void* handle) {
    static const auto real = tqcrash::async::nextDefinition<int (*)(void*)>("dlclose");
    const int result = real(handle);
    tqcrash::async::followedChanged();
    return result;
}

} // extern "C"
