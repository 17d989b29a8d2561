#include "crashcapture/TQCrashSysctl.h"

#include "platform/darwin/Sysctl.h"

#include <cerrno>
#include <cstdlib>

namespace tqcrash {

char* sysctl_string_copy(const char* name) {
    for (;;) {
        std::size_t size = 0;
        if (sonvale::darwin::sysctlbyname(name, nullptr, &size) != 0) {
            return nullptr;
        }
        auto* text = static_cast<char*>(std::malloc(size));
        if (text == nullptr) {
            return nullptr;
        }
        if (sonvale::darwin::sysctlbyname(name, text, &size) == 0) {
            return text;
        }
        const int error = errno;
        std::free(text);
        errno = error;
        if (error != ENOMEM) { // ENOMEM: the value grew between the two calls; ask again
            return nullptr;
        }
    }
}

bool sysctl_int_read(const char* name, std::int32_t* value) {
    std::size_t size = sizeof *value;
    return sonvale::darwin::sysctlbyname(name, value, &size) == 0 && size == sizeof *value;
}

} // namespace tqcrash
