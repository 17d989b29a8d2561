#include "crashcapture/TQCrashMachExceptionPortSet.h"

#include "crashcapture/TQCrashAssertion.h"
#include "crashcapture/TQCrashLog.h"
#include "crashcapture/TQCrashMachExceptionPort.h"
#include "platform/darwin/MachPort.h"

#include <string>

namespace tqcrash {

namespace {

namespace darwin = sonvale::darwin;

std::string exceedsText(const char* what, std::size_t count) {
    return std::string(what) + " of " + std::to_string(count) + " exceeds EXC_TYPES_COUNT (" +
           std::to_string(async::kExceptionTypesCount) + ")";
}

} // namespace

TQCrashMachExceptionPortSet::TQCrashMachExceptionPortSet(Ports set) : set_(std::move(set)) {
    if (set_.size() > async::kExceptionTypesCount) {
        throw TQCrashAssertionFailure(exceedsText("Set size", set_.size()));
    }
    for (const auto& port : set_) {
        const std::uint32_t i = record_.count++;
        record_.masks[i] = port->mask();
        record_.ports[i] = port->server_port();
        record_.behaviors[i] = port->behavior();
        record_.flavors[i] = port->flavor();
    }
}

TQCrashMachExceptionPortSet::TQCrashMachExceptionPortSet(const async::tqcrash_mach_exception_port_set& record)
    : record_(record) {
    if (record.count > async::kExceptionTypesCount) {
        throw TQCrashAssertionFailure(exceedsText("Count", record.count));
    }
    for (std::uint32_t i = 0; i < record.count; ++i) {
        set_.push_back(std::make_shared<const TQCrashMachExceptionPort>(record.ports[i], record.masks[i],
                                                                        record.behaviors[i], record.flavors[i]));
        const darwin::mach_port_t port = record.ports[i];
        if (port == darwin::MACH_PORT_NULL || port == darwin::MACH_PORT_DEAD) {
            continue;
        }
        if (const auto result = darwin::mach_port_mod_refs(darwin::mach_task_self(), port, darwin::MACH_PORT_RIGHT_SEND, -1);
            result != darwin::KERN_SUCCESS) {
            TQCrashLog("[TQCrashReporter] Unexpected error decrementing mach port reference: %d", result);
        }
    }
}

} // namespace tqcrash
