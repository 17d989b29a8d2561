// exception_registration_find is safe in a signal handler; the other calls run on normal threads.

#include "platform/darwin/MachExceptionPorts.h"

#include "platform/darwin/MachExceptionDelivery.h"
#include "platform/darwin/MachPort.h"

#include <sched.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>

namespace sonvale::darwin {

namespace {

using Slots = std::atomic<std::uint64_t>[EXC_TYPES_COUNT];

struct ThreadRegistrations {
    std::atomic<pid_t> thread{0};
    Slots slots{};
};

constinit Slots gTaskSlots{};
constinit ThreadRegistrations gThreads[kThreadRegistrationCapacity];
constinit std::atomic<bool> gChanging{false};

// Changes are few and short: writers take turns on a flag, readers never wait.
class ChangeTurn final {
public:
    ChangeTurn() {
        while (gChanging.exchange(true)) {
            sched_yield();
        }
    }
    ~ChangeTurn() { gChanging.store(false); }
    ChangeTurn(const ChangeTurn&) = delete;
    ChangeTurn& operator=(const ChangeTurn&) = delete;
};

std::uint64_t pack(const exception_registration& registration) {
    const auto behavior = static_cast<std::uint32_t>(registration.behavior);
    const std::uint64_t code = (behavior & 0x7F) | ((behavior & static_cast<std::uint32_t>(MACH_EXCEPTION_CODES)) != 0 ? 0x80 : 0);
    return registration.port | (code << 32) | (std::uint64_t{static_cast<std::uint16_t>(registration.flavor)} << 40);
}

exception_registration unpack(std::uint64_t word) {
    const auto code = static_cast<std::uint32_t>((word >> 32) & 0xFF);
    return {static_cast<mach_port_t>(word & 0xFFFFFFFF),
            static_cast<exception_behavior_t>((code & 0x7F) | ((code & 0x80) != 0 ? static_cast<std::uint32_t>(MACH_EXCEPTION_CODES) : 0)),
            static_cast<thread_state_flavor_t>(static_cast<std::int16_t>((word >> 40) & 0xFFFF))};
}

bool sameRegistration(const exception_registration& a, const exception_registration& b) {
    return a.port == b.port && a.behavior == b.behavior && a.flavor == b.flavor;
}

void addSendRef(mach_port_t port, mach_port_delta_t delta) {
    if (port != MACH_PORT_NULL) {
        mach_port_mod_refs(mach_task_self(), port, MACH_PORT_RIGHT_SEND, delta);
    }
}

bool threadExists(thread_t thread) {
    return thread != MACH_PORT_NULL && syscall(SYS_tgkill, getpid(), static_cast<pid_t>(thread), 0) == 0;
}

ThreadRegistrations* threadEntry(thread_t thread) {
    for (ThreadRegistrations& entry : gThreads) {
        if (entry.thread.load() == static_cast<pid_t>(thread)) {
            return &entry;
        }
    }
    return nullptr;
}

// The registrations of the types in `mask`, merged where they agree, each with a send reference
// for the caller.
kern_return_t collect(const Slots* slots, exception_mask_t mask, exception_mask_t* masks,
                      mach_msg_type_number_t* count, mach_port_t* ports, exception_behavior_t* behaviors,
                      thread_state_flavor_t* flavors) {
    const mach_msg_type_number_t room = *count;
    mach_msg_type_number_t found = 0;
    for (int type = 1; type < EXC_TYPES_COUNT; ++type) {
        if ((mask & (1u << type)) == 0) {
            continue;
        }
        const exception_registration current = slots != nullptr ? unpack((*slots)[type].load()) : exception_registration{};
        mach_msg_type_number_t j = 0;
        while (j < found && !sameRegistration(current, {ports[j], behaviors[j], flavors[j]})) {
            ++j;
        }
        if (j < found) {
            masks[j] |= 1u << type;
            continue;
        }
        if (found == room) {
            break;
        }
        masks[found] = 1u << type;
        ports[found] = current.port;
        behaviors[found] = current.behavior;
        flavors[found] = current.flavor;
        addSendRef(current.port, 1);
        ++found;
    }
    *count = found;
    return KERN_SUCCESS;
}

kern_return_t checkRegistration(exception_mask_t mask, mach_port_t port, exception_behavior_t behavior,
                                thread_state_flavor_t flavor) {
    const auto base = static_cast<exception_behavior_t>(static_cast<std::uint32_t>(behavior) &
                                                        ~static_cast<std::uint32_t>(MACH_EXCEPTION_CODES));
    if ((mask & ~EXC_MASK_ALL) != 0 || base < EXCEPTION_DEFAULT || base > EXCEPTION_STATE_IDENTITY ||
        (flavor != x86_THREAD_STATE64 && flavor != x86_THREAD_STATE && flavor != x86_EXCEPTION_STATE64)) {
        return KERN_INVALID_ARGUMENT;
    }
    mach_port_urefs_t refs = 0;
    if (port != MACH_PORT_NULL &&
        (mach_port_get_refs(mach_task_self(), port, MACH_PORT_RIGHT_SEND, &refs) != KERN_SUCCESS || refs == 0)) {
        return KERN_INVALID_RIGHT;
    }
    return KERN_SUCCESS;
}

// A registration that can be made, with the fault handler in place to deliver to it.
kern_return_t prepareRegistration(exception_mask_t mask, mach_port_t port, exception_behavior_t behavior,
                                  thread_state_flavor_t flavor) {
    if (const kern_return_t invalid = checkRegistration(mask, port, behavior, flavor); invalid != KERN_SUCCESS) {
        return invalid;
    }
    return port != MACH_PORT_NULL && !exception_delivery_install() ? KERN_FAILURE : KERN_SUCCESS;
}

void replace(Slots& slots, exception_mask_t mask, const exception_registration& registration) {
    for (int type = 1; type < EXC_TYPES_COUNT; ++type) {
        if ((mask & (1u << type)) != 0) {
            addSendRef(registration.port, 1);
            addSendRef(unpack(slots[type].exchange(pack(registration))).port, -1);
        }
    }
}

bool allEmpty(const Slots& slots) {
    for (const auto& slot : slots) {
        if (unpack(slot.load()).port != MACH_PORT_NULL) {
            return false;
        }
    }
    return true;
}

} // namespace

kern_return_t task_get_exception_ports(task_t task, exception_mask_t mask, exception_mask_t* masks,
                                       mach_msg_type_number_t* count, mach_port_t* ports,
                                       exception_behavior_t* behaviors, thread_state_flavor_t* flavors) {
    if (task != mach_task_self()) {
        return KERN_INVALID_ARGUMENT;
    }
    ChangeTurn turn;
    return collect(&gTaskSlots, mask, masks, count, ports, behaviors, flavors);
}

kern_return_t thread_get_exception_ports(thread_t thread, exception_mask_t mask, exception_mask_t* masks,
                                         mach_msg_type_number_t* count, mach_port_t* ports,
                                         exception_behavior_t* behaviors, thread_state_flavor_t* flavors) {
    if (!threadExists(thread)) {
        return KERN_INVALID_ARGUMENT;
    }
    ChangeTurn turn;
    const ThreadRegistrations* entry = threadEntry(thread);
    return collect(entry != nullptr ? &entry->slots : nullptr, mask, masks, count, ports, behaviors, flavors);
}

kern_return_t task_swap_exception_ports(task_t task, exception_mask_t mask, mach_port_t port,
                                        exception_behavior_t behavior, thread_state_flavor_t flavor,
                                        exception_mask_t* masks, mach_msg_type_number_t* count,
                                        mach_port_t* ports, exception_behavior_t* behaviors,
                                        thread_state_flavor_t* flavors) {
    if (task != mach_task_self()) {
        return KERN_INVALID_ARGUMENT;
    }
    if (const kern_return_t refused = prepareRegistration(mask, port, behavior, flavor); refused != KERN_SUCCESS) {
        return refused;
    }
    ChangeTurn turn;
    collect(&gTaskSlots, mask, masks, count, ports, behaviors, flavors);
    replace(gTaskSlots, mask, {port, behavior, flavor});
    return KERN_SUCCESS;
}

kern_return_t thread_swap_exception_ports(thread_t thread, exception_mask_t mask, mach_port_t port,
                                          exception_behavior_t behavior, thread_state_flavor_t flavor,
                                          exception_mask_t* masks, mach_msg_type_number_t* count,
                                          mach_port_t* ports, exception_behavior_t* behaviors,
                                          thread_state_flavor_t* flavors) {
    if (!threadExists(thread)) {
        return KERN_INVALID_ARGUMENT;
    }
    if (const kern_return_t refused = prepareRegistration(mask, port, behavior, flavor); refused != KERN_SUCCESS) {
        return refused;
    }
    ChangeTurn turn;
    ThreadRegistrations* entry = threadEntry(thread);
    if (entry == nullptr && port != MACH_PORT_NULL) {
        for (ThreadRegistrations& candidate : gThreads) {
            pid_t free = 0;
            if (candidate.thread.compare_exchange_strong(free, static_cast<pid_t>(thread))) {
                entry = &candidate;
                break;
            }
        }
        if (entry == nullptr) {
            return KERN_RESOURCE_SHORTAGE;
        }
    }
    collect(entry != nullptr ? &entry->slots : nullptr, mask, masks, count, ports, behaviors, flavors);
    if (entry != nullptr) {
        replace(entry->slots, mask, {port, behavior, flavor});
        if (allEmpty(entry->slots)) {
            entry->thread.store(0);
        }
    }
    return KERN_SUCCESS;
}

exception_registration exception_registration_find(thread_t thread, exception_type_t type) {
    if (type <= 0 || type >= EXC_TYPES_COUNT) {
        return {};
    }
    if (thread == MACH_PORT_NULL) {
        return unpack(gTaskSlots[type].load());
    }
    const ThreadRegistrations* entry = threadEntry(thread);
    return entry != nullptr ? unpack(entry->slots[type].load()) : exception_registration{};
}

} // namespace sonvale::darwin
