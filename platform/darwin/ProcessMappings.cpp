#include "platform/darwin/ProcessMappings.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstddef>

namespace sonvale::darwin {

namespace {

// One line of the mapping table: "start-end perms offset dev inode path".
struct Mapping {
    std::uint64_t start;
    std::uint64_t end;
    bool readable;
};

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Parses the start of a line; false for a line that is not a mapping.
bool parseMapping(const char* line, std::size_t length, Mapping* mapping) {
    std::size_t at = 0;
    auto number = [&](std::uint64_t* value) {
        const std::size_t first = at;
        *value = 0;
        for (int digit; at < length && (digit = hexDigit(line[at])) >= 0; ++at) {
            *value = (*value << 4) | static_cast<std::uint64_t>(digit);
        }
        return at > first;
    };
    if (!number(&mapping->start) || at >= length || line[at++] != '-' || !number(&mapping->end) ||
        at + 1 >= length || line[at] != ' ') {
        return false;
    }
    mapping->readable = line[at + 1] == 'r';
    return true;
}

// Feeds the mapping table to `visit(mapping)` line by line until it returns false.
template <typename Visit>
bool forEachMapping(const Visit& visit) {
    const int savedErrno = errno;
    const int fd = open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        errno = savedErrno;
        return false;
    }
    char buffer[4096];
    std::size_t held = 0;
    bool going = true;
    while (going) {
        const ssize_t count = read(fd, buffer + held, sizeof buffer - held);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;
        }
        held += static_cast<std::size_t>(count);
        std::size_t lineStart = 0;
        for (std::size_t i = 0; i < held && going; ++i) {
            if (buffer[i] == '\n') {
                Mapping mapping;
                if (parseMapping(buffer + lineStart, i - lineStart, &mapping)) {
                    going = visit(mapping);
                }
                lineStart = i + 1;
            }
        }
        if (lineStart == 0 && held == sizeof buffer) {
            // A line longer than the buffer (a very long path): its start was parsed already or
            // is not needed; drop all but the tail.
            held = 0;
            continue;
        }
        for (std::size_t i = lineStart; i < held; ++i) {
            buffer[i - lineStart] = buffer[i];
        }
        held -= lineStart;
    }
    close(fd);
    errno = savedErrno;
    return true;
}

// Readable runs of the frozen table: sorted, each as long as mappings follow without a gap.
struct ReadableRun {
    std::uint64_t start;
    std::uint64_t end;
};

constinit ReadableRun gFrozen[kFrozenMappingsCapacity]{};
constinit std::uint32_t gFrozenCount = 0;
constinit std::atomic<bool> gIsFrozen{false};

std::uint64_t frozenReadableEnd(std::uint64_t address) {
    std::uint32_t low = 0;
    std::uint32_t high = gFrozenCount;
    while (low < high) {
        const std::uint32_t middle = low + (high - low) / 2;
        if (gFrozen[middle].end <= address) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low < gFrozenCount && gFrozen[low].start <= address ? gFrozen[low].end : address;
}

} // namespace

bool mappings_freeze() {
    std::uint32_t count = 0;
    bool fits = true;
    const bool read = forEachMapping([&](const Mapping& mapping) {
        if (!mapping.readable) {
            return true;
        }
        if (count > 0 && gFrozen[count - 1].end == mapping.start) {
            gFrozen[count - 1].end = mapping.end;
            return true;
        }
        if (count == kFrozenMappingsCapacity) {
            fits = false;
            return false;
        }
        gFrozen[count++] = {mapping.start, mapping.end};
        return true;
    });
    gFrozenCount = count;
    gIsFrozen.store(read && fits);
    return read && fits;
}

void mappings_thaw() {
    gIsFrozen.store(false);
}

std::uint64_t readable_length(std::uint64_t address, std::uint64_t length) {
    if (length == 0) {
        return 0;
    }
    std::uint64_t end = 0;
    if (__builtin_add_overflow(address, length, &end)) {
        end = UINT64_MAX;
    }
    if (gIsFrozen.load()) {
        const std::uint64_t readable = frozenReadableEnd(address) - address;
        return readable < length ? readable : length;
    }
    // The table is sorted by address: extend the covered range while mappings follow without a gap.
    std::uint64_t covered = address;
    forEachMapping([&](const Mapping& mapping) {
        if (mapping.end <= covered) {
            return true;
        }
        if (mapping.start > covered || !mapping.readable) {
            return false;
        }
        covered = mapping.end;
        return covered < end;
    });
    const std::uint64_t readable = covered - address;
    return readable < length ? readable : length;
}

} // namespace sonvale::darwin
