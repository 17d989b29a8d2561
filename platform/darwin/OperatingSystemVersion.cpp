#include "platform/darwin/OperatingSystemVersion.h"

#include <sys/utsname.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace sonvale::darwin {

namespace {

OperatingSystemVersion parse(const std::string& text) {
    OperatingSystemVersion version;
    std::sscanf(text.c_str(), "%ld.%ld.%ld", &version.majorVersion, &version.minorVersion,
                &version.patchVersion);
    return version;
}

} // namespace

OperatingSystemVersion operatingSystemVersion() {
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        std::ifstream in(path);
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("VERSION_ID=", 0) == 0) {
                std::string value = line.substr(11);
                if (!value.empty() && value.front() == '"') {
                    value = value.substr(1, value.find('"', 1) - 1);
                }
                return parse(value);
            }
        }
    }
    utsname host{};
    return uname(&host) == 0 ? parse(host.release) : OperatingSystemVersion{};
}

} // namespace sonvale::darwin
