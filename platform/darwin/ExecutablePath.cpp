#include "platform/darwin/ExecutablePath.h"

#include <climits>
#include <cstring>
#include <unistd.h>

namespace sonvale::darwin {

int NSGetExecutablePath(char* buffer, std::uint32_t* size) {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    if (length < 0 || length >= static_cast<ssize_t>(sizeof path)) {
        length = 0; // unknown: an empty path
    }
    const auto needed = static_cast<std::uint32_t>(length + 1);
    if (buffer == nullptr || *size < needed) {
        *size = needed;
        return -1;
    }
    std::memcpy(buffer, path, static_cast<std::size_t>(length));
    buffer[length] = '\0';
    return 0;
}

} // namespace sonvale::darwin
