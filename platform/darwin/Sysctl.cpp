#include "platform/darwin/Sysctl.h"

#include "platform/darwin/MachCpu.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <utility>

namespace sonvale::darwin {

namespace {

// A text, or a number when `number` holds one.
struct Value {
    std::string text;
    std::optional<std::int32_t> number;

    Value(std::string value) : text(std::move(value)) {}
    Value(std::int32_t value) : number(value) {}
};

std::optional<std::string> firstLineOf(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::string line;
    if (!in || !std::getline(in, line) || line.empty()) {
        return std::nullopt;
    }
    return line;
}

// Cores, not hyper-threads: distinct (package, core) pairs of the CPUs the kernel knows.
std::optional<std::int32_t> physicalCpuCount() {
    std::set<std::pair<std::string, std::string>> cores;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/sys/devices/system/cpu", error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() < 4 || name.compare(0, 3, "cpu") != 0 ||
            name.find_first_not_of("0123456789", 3) != std::string::npos) {
            continue;
        }
        const auto package = firstLineOf(entry.path() / "topology/physical_package_id");
        const auto core = firstLineOf(entry.path() / "topology/core_id");
        if (package && core) {
            cores.emplace(*package, *core);
        }
    }
    if (cores.empty()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(cores.size());
}

std::optional<Value> lookUp(const std::string& name) {
    utsname host{};
    if (name == "kern.osrelease" || name == "kern.osversion") {
        if (uname(&host) != 0) {
            return std::nullopt;
        }
        return Value(std::string(name == "kern.osrelease" ? host.release : host.version));
    }
    if (name == "hw.model") {
        if (auto model = firstLineOf("/sys/devices/virtual/dmi/id/product_name")) {
            return Value(*model);
        }
        return std::nullopt;
    }
    if (name == "hw.cputype") {
        return Value(hostCpuType().type);
    }
    if (name == "hw.cpusubtype") {
        return Value(hostCpuType().subtype);
    }
    if (name == "hw.logicalcpu_max") {
        const long count = sysconf(_SC_NPROCESSORS_CONF);
        return count > 0 ? std::optional<Value>(static_cast<std::int32_t>(count)) : std::nullopt;
    }
    if (name == "hw.physicalcpu_max") {
        if (auto count = physicalCpuCount()) {
            return Value(*count);
        }
        return lookUp("hw.logicalcpu_max");
    }
    if (name == "sysctl.proc_native") {
        return Value(std::int32_t{1}); // no translated processes on this host
    }
    return std::nullopt;
}

int copyOut(const void* bytes, std::size_t length, void* value, std::size_t* size) {
    if (value == nullptr) {
        *size = length;
        return 0;
    }
    if (*size < length) {
        *size = length;
        errno = ENOMEM;
        return -1;
    }
    std::memcpy(value, bytes, length);
    *size = length;
    return 0;
}

} // namespace

int sysctlbyname(const char* name, void* value, std::size_t* size) {
    if (name == nullptr || size == nullptr) {
        errno = EINVAL;
        return -1;
    }
    const auto found = lookUp(name);
    if (!found) {
        errno = ENOENT;
        return -1;
    }
    if (found->number) {
        return copyOut(&*found->number, sizeof *found->number, value, size);
    }
    return copyOut(found->text.c_str(), found->text.size() + 1, value, size);
}

} // namespace sonvale::darwin
