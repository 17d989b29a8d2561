#include "crashcapture/TQCrashMachExceptionPort.h"

#include "crashcapture/TQCrashLog.h"
#include "crashcapture/TQCrashMachExceptionPortSet.h"
#include "platform/darwin/MachExceptionPorts.h"
#include "platform/darwin/MachPort.h"

namespace tqcrash {

namespace {

namespace darwin = sonvale::darwin;

bool validPort(darwin::mach_port_t port) {
    return port != darwin::MACH_PORT_NULL && port != darwin::MACH_PORT_DEAD;
}

// A get or swap call of the darwin layer: it fills the record's arrays and count.
template <typename Call>
std::unique_ptr<TQCrashMachExceptionPortSet> portSetFrom(const Call& call, const char* failure,
                                                         TQCrashReporterError* error) {
    async::tqcrash_mach_exception_port_set record{};
    darwin::mach_msg_type_number_t count = async::kExceptionTypesCount;
    const darwin::kern_return_t result = call(record.masks, &count, record.ports, record.behaviors, record.flavors);
    if (result != darwin::KERN_SUCCESS) {
        crash_error_populate_mach(error, result, failure);
        return nullptr;
    }
    record.count = count;
    return std::make_unique<TQCrashMachExceptionPortSet>(record);
}

// A swap call: the replaced registrations come back with a reference each, which their set takes
// over and releases when nobody asked for it.
template <typename Call>
bool swapIn(const Call& call, std::unique_ptr<TQCrashMachExceptionPortSet>* previous, TQCrashReporterError* error) {
    auto replaced = portSetFrom(call, "Failed to swap mach exception ports", error);
    if (replaced == nullptr) {
        return false;
    }
    if (previous != nullptr) {
        *previous = std::move(replaced);
    }
    return true;
}

} // namespace

TQCrashMachExceptionPort::TQCrashMachExceptionPort(async::mach_port_t serverPort, async::exception_mask_t mask,
                                                   async::exception_behavior_t behavior,
                                                   async::thread_state_flavor_t flavor)
    : mask_(mask), port_(serverPort), behavior_(behavior), flavor_(flavor) {
    if (!validPort(port_)) {
        return;
    }
    if (const auto result = darwin::mach_port_mod_refs(darwin::mach_task_self(), port_, darwin::MACH_PORT_RIGHT_SEND, 1);
        result != darwin::KERN_SUCCESS) {
        TQCrashLog("[TQCrashReporter] Unexpected error incrementing mach port reference: %d", result);
    }
}

TQCrashMachExceptionPort::~TQCrashMachExceptionPort() {
    if (!validPort(port_)) {
        return;
    }
    if (const auto result = darwin::mach_port_mod_refs(darwin::mach_task_self(), port_, darwin::MACH_PORT_RIGHT_SEND, -1);
        result != darwin::KERN_SUCCESS) {
        TQCrashLog("[TQCrashReporter] Unexpected error decrementing mach port reference: %d", result);
    }
}

bool TQCrashMachExceptionPort::registerForTaskPreviousPortSetError(
    async::task_t task, std::unique_ptr<TQCrashMachExceptionPortSet>* previous, TQCrashReporterError* error) const {
    return swapIn(
        [&](auto masks, auto count, auto ports, auto behaviors, auto flavors) {
            return darwin::task_swap_exception_ports(task, mask_, port_, behavior_, flavor_, masks, count, ports,
                                                     behaviors, flavors);
        },
        previous, error);
}

bool TQCrashMachExceptionPort::registerForThreadPreviousPortSetError(
    async::thread_t thread, std::unique_ptr<TQCrashMachExceptionPortSet>* previous, TQCrashReporterError* error) const {
    return swapIn(
        [&](auto masks, auto count, auto ports, auto behaviors, auto flavors) {
            return darwin::thread_swap_exception_ports(thread, mask_, port_, behavior_, flavor_, masks, count, ports,
                                                       behaviors, flavors);
        },
        previous, error);
}

std::unique_ptr<TQCrashMachExceptionPortSet>
TQCrashMachExceptionPort::exceptionPortsForTaskMaskError(async::task_t task, async::exception_mask_t mask,
                                                         TQCrashReporterError* error) {
    return portSetFrom(
        [&](auto masks, auto count, auto ports, auto behaviors, auto flavors) {
            return darwin::task_get_exception_ports(task, mask, masks, count, ports, behaviors, flavors);
        },
        "Failed to fetch mach exception ports", error);
}

std::unique_ptr<TQCrashMachExceptionPortSet>
TQCrashMachExceptionPort::exceptionPortsForThreadMaskError(async::thread_t thread, async::exception_mask_t mask,
                                                           TQCrashReporterError* error) {
    return portSetFrom(
        [&](auto masks, auto count, auto ports, auto behaviors, auto flavors) {
            return darwin::thread_get_exception_ports(thread, mask, masks, count, ports, behaviors, flavors);
        },
        "Failed to fetch mach exception ports", error);
}

} // namespace tqcrash
