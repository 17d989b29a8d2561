// Safe in a signal handler: atomics, futexes and system calls only.

#include "platform/darwin/MachPort.h"

#include "platform/darwin/MachPortTable.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <climits>

namespace sonvale::darwin {

namespace {

using detail::PortEntry;

// Names of ports and sets: a tag no thread id reaches, the entry's generation and its index.
constexpr mach_port_name_t kNameTag = 0x40000000;
constexpr natural_t kIndexBits = 8;
static_assert(kPortCapacity <= (1u << kIndexBits));
// The name of the task's own port: outside the table, and never a thread id either.
constexpr task_t kTaskSelf = kNameTag | 0x3FFFFF00;

constinit PortEntry gPorts[kPortCapacity];

mach_port_name_t nameOf(natural_t index, std::uint32_t generation) {
    return kNameTag | ((generation & 0x3FFFFF) << kIndexBits) | index;
}

bool isOwnTask(task_t task) {
    return task == kTaskSelf;
}

PortEntry* findKind(mach_port_name_t name, std::uint32_t kind) {
    PortEntry* entry = detail::port_find(name);
    return entry != nullptr && entry->kind.load() == kind ? entry : nullptr;
}

void releaseEntry(PortEntry* entry) {
    entry->name.store(MACH_PORT_NULL);
    detail::port_signal_arrival(entry); // a receiver waiting on it finds the name gone
    entry->kind.store(detail::kPortFree);
}

kern_return_t destroyPort(PortEntry* entry) {
    const mach_port_name_t name = entry->name.load();
    entry->kind.store(detail::kPortClaimed); // no longer found: nothing new is queued
    if (PortEntry* set = detail::port_find(entry->set.load())) {
        detail::port_signal_arrival(set);
    }
    detail::message_queue_drop(name);
    releaseEntry(entry);
    return KERN_SUCCESS;
}

kern_return_t destroySet(PortEntry* set) {
    const mach_port_name_t name = set->name.load();
    for (PortEntry& entry : gPorts) {
        mach_port_name_t member = name;
        entry.set.compare_exchange_strong(member, MACH_PORT_NULL);
    }
    set->kind.store(detail::kPortClaimed);
    releaseEntry(set);
    return KERN_SUCCESS;
}

kern_return_t changeSendRefs(PortEntry* entry, mach_port_delta_t delta) {
    std::int32_t refs = entry->sendRefs.load();
    do {
        if (refs + delta < 0) {
            return KERN_INVALID_VALUE;
        }
        if (refs + delta > INT32_MAX / 2) {
            return KERN_UREFS_OVERFLOW;
        }
    } while (!entry->sendRefs.compare_exchange_weak(refs, refs + delta));
    if (refs > 0 && refs + delta == 0) {
        const mach_port_name_t notify = entry->noSendersNotify.exchange(MACH_PORT_NULL);
        if (notify != MACH_PORT_NULL) {
            detail::message_send_no_senders(notify, entry->name.load());
        }
    }
    return KERN_SUCCESS;
}

} // namespace

namespace detail {

PortEntry* port_find(mach_port_name_t name) {
    if ((name & kNameTag) == 0 || name == MACH_PORT_DEAD) {
        return nullptr;
    }
    const natural_t index = name & ((1u << kIndexBits) - 1);
    if (index >= kPortCapacity) {
        return nullptr;
    }
    PortEntry& entry = gPorts[index];
    const std::uint32_t kind = entry.kind.load();
    if ((kind != kPortReceive && kind != kPortSet) || entry.name.load() != name) {
        return nullptr;
    }
    return &entry;
}

void port_signal_arrival(PortEntry* entry) {
    entry->arrivals.fetch_add(1);
    syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&entry->arrivals), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr,
            nullptr, 0);
}

} // namespace detail

task_t mach_task_self() {
    return kTaskSelf;
}

thread_t mach_thread_self() {
    return static_cast<thread_t>(gettid());
}

kern_return_t mach_port_allocate(task_t task, mach_port_right_t right, mach_port_name_t* name) {
    if (!isOwnTask(task)) {
        return KERN_INVALID_TASK;
    }
    if (right != MACH_PORT_RIGHT_RECEIVE && right != MACH_PORT_RIGHT_PORT_SET) {
        return KERN_INVALID_VALUE;
    }
    for (natural_t index = 0; index < kPortCapacity; ++index) {
        PortEntry& entry = gPorts[index];
        std::uint32_t free = detail::kPortFree;
        if (!entry.kind.compare_exchange_strong(free, detail::kPortClaimed)) {
            continue;
        }
        const mach_port_name_t fresh = nameOf(index, entry.generation.fetch_add(1) + 1);
        entry.sendRefs.store(0);
        entry.set.store(MACH_PORT_NULL);
        entry.noSendersNotify.store(MACH_PORT_NULL);
        entry.receiver.store(0);
        entry.name.store(fresh);
        entry.kind.store(right == MACH_PORT_RIGHT_RECEIVE ? detail::kPortReceive : detail::kPortSet);
        *name = fresh;
        return KERN_SUCCESS;
    }
    return KERN_NO_SPACE;
}

kern_return_t mach_port_insert_right(task_t task, mach_port_name_t name, mach_port_t port,
                                     mach_msg_type_name_t type) {
    if (!isOwnTask(task)) {
        return KERN_INVALID_TASK;
    }
    if (name != port) {
        return KERN_INVALID_VALUE;
    }
    if (type != MACH_MSG_TYPE_MAKE_SEND && type != MACH_MSG_TYPE_COPY_SEND) {
        return KERN_INVALID_VALUE;
    }
    PortEntry* entry = findKind(name, detail::kPortReceive);
    if (entry == nullptr) {
        return KERN_INVALID_NAME;
    }
    return changeSendRefs(entry, 1);
}

kern_return_t mach_port_mod_refs(task_t task, mach_port_name_t name, mach_port_right_t right,
                                 mach_port_delta_t delta) {
    if (!isOwnTask(task)) {
        return KERN_INVALID_TASK;
    }
    switch (right) {
    case MACH_PORT_RIGHT_SEND: {
        PortEntry* entry = findKind(name, detail::kPortReceive);
        return entry == nullptr ? KERN_INVALID_NAME : changeSendRefs(entry, delta);
    }
    case MACH_PORT_RIGHT_RECEIVE: {
        PortEntry* entry = findKind(name, detail::kPortReceive);
        if (entry == nullptr) {
            return KERN_INVALID_NAME;
        }
        return delta == 0 ? KERN_SUCCESS : delta == -1 ? destroyPort(entry) : KERN_INVALID_VALUE;
    }
    case MACH_PORT_RIGHT_PORT_SET: {
        PortEntry* set = findKind(name, detail::kPortSet);
        if (set == nullptr) {
            return KERN_INVALID_NAME;
        }
        return delta == 0 ? KERN_SUCCESS : delta == -1 ? destroySet(set) : KERN_INVALID_VALUE;
    }
    default:
        return KERN_INVALID_RIGHT;
    }
}

kern_return_t mach_port_deallocate(task_t task, mach_port_name_t name) {
    if (!isOwnTask(task)) {
        return KERN_INVALID_TASK;
    }
    PortEntry* entry = findKind(name, detail::kPortReceive);
    if (entry == nullptr) {
        return KERN_INVALID_NAME;
    }
    return changeSendRefs(entry, -1) == KERN_SUCCESS ? KERN_SUCCESS : KERN_INVALID_RIGHT;
}

kern_return_t mach_port_get_refs(task_t task, mach_port_name_t name, mach_port_right_t right,
                                 mach_port_urefs_t* refs) {
    if (!isOwnTask(task)) {
        return KERN_INVALID_TASK;
    }
    PortEntry* entry = detail::port_find(name);
    if (entry == nullptr) {
        return KERN_INVALID_NAME;
    }
    const bool isSet = entry->kind.load() == detail::kPortSet;
    switch (right) {
    case MACH_PORT_RIGHT_SEND:
        *refs = isSet ? 0 : static_cast<mach_port_urefs_t>(entry->sendRefs.load());
        return KERN_SUCCESS;
    case MACH_PORT_RIGHT_RECEIVE:
        *refs = isSet ? 0 : 1;
        return KERN_SUCCESS;
    case MACH_PORT_RIGHT_PORT_SET:
        *refs = isSet ? 1 : 0;
        return KERN_SUCCESS;
    default:
        return KERN_INVALID_RIGHT;
    }
}

kern_return_t mach_port_move_member(task_t task, mach_port_name_t member, mach_port_name_t set) {
    if (!isOwnTask(task)) {
        return KERN_INVALID_TASK;
    }
    PortEntry* port = findKind(member, detail::kPortReceive);
    if (port == nullptr) {
        return KERN_INVALID_NAME;
    }
    PortEntry* target = set == MACH_PORT_NULL ? nullptr : findKind(set, detail::kPortSet);
    if (set != MACH_PORT_NULL && target == nullptr) {
        return KERN_INVALID_NAME;
    }
    port->set.store(set);
    if (target != nullptr) {
        detail::port_signal_arrival(target); // messages already queued are now the set's
    }
    return KERN_SUCCESS;
}

kern_return_t mach_port_request_notification(task_t task, mach_port_name_t name, mach_msg_id_t variant,
                                             mach_port_mscount_t, mach_port_t notify,
                                             mach_msg_type_name_t notifyType, mach_port_t* previous) {
    if (!isOwnTask(task)) {
        return KERN_INVALID_TASK;
    }
    if (variant != MACH_NOTIFY_NO_SENDERS || notifyType != MACH_MSG_TYPE_MAKE_SEND_ONCE) {
        return KERN_INVALID_VALUE;
    }
    PortEntry* entry = findKind(name, detail::kPortReceive);
    if (entry == nullptr || (notify != MACH_PORT_NULL && findKind(notify, detail::kPortReceive) == nullptr)) {
        return KERN_INVALID_NAME;
    }
    entry->noSendersNotify.store(notify);
    *previous = MACH_PORT_NULL;
    return KERN_SUCCESS;
}

} // namespace sonvale::darwin
