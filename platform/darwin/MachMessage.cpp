// Safe in a signal handler: atomics, futexes and system calls only.

#include "platform/darwin/MachMessage.h"

#include "platform/darwin/MachPortTable.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <climits>

namespace sonvale::darwin {

namespace {

using detail::PortEntry;

enum SlotState : std::uint32_t { kSlotFree = 0, kSlotFilling = 1, kSlotQueued = 2, kSlotTaking = 3 };

// A slot's bookkeeping; its bytes are kept apart, so that scanning the slots touches little memory.
struct MessageSlot {
    std::atomic<std::uint32_t> state{kSlotFree};
    mach_port_name_t port = MACH_PORT_NULL;
    std::uint64_t sequence = 0;
    mach_msg_size_t size = 0;
    unsigned char* bytes = nullptr;
};

alignas(8) constinit unsigned char gSlotBytes[kMessageSlots][kMessageMax]{};
constinit MessageSlot gSlots[kMessageSlots];
constinit std::atomic<std::uint64_t> gSequence{0};
// Bumped whenever a queued message leaves its slot: a sender waiting for room waits on it.
constinit std::atomic<std::uint32_t> gSlotsFreed{0};

void freeSlot(MessageSlot& slot) {
    slot.state.store(kSlotFree);
    gSlotsFreed.fetch_add(1);
    syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&gSlotsFreed), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr,
            0);
}

std::uint32_t queuedFor(mach_port_name_t port) {
    std::uint32_t count = 0;
    for (const MessageSlot& slot : gSlots) {
        const std::uint32_t state = slot.state.load();
        count += (state == kSlotQueued || state == kSlotFilling) && slot.port == port ? 1 : 0;
    }
    return count;
}

MessageSlot* claimSlot() {
    for (std::size_t i = 0; i < kMessageSlots; ++i) {
        std::uint32_t free = kSlotFree;
        if (gSlots[i].state.compare_exchange_strong(free, kSlotFilling)) {
            gSlots[i].bytes = gSlotBytes[i];
            return &gSlots[i];
        }
    }
    return nullptr;
}

// The right a receiver holds for one that was sent with `type`.
mach_msg_type_name_t arrivedAs(mach_msg_type_name_t type) {
    switch (type) {
    case MACH_MSG_TYPE_MOVE_SEND:
    case MACH_MSG_TYPE_COPY_SEND:
    case MACH_MSG_TYPE_MAKE_SEND:
        return MACH_MSG_TYPE_PORT_SEND;
    case MACH_MSG_TYPE_MOVE_SEND_ONCE:
    case MACH_MSG_TYPE_MAKE_SEND_ONCE:
        return MACH_MSG_TYPE_PORT_SEND_ONCE;
    default:
        return 0;
    }
}

// Queues a message; with `waitForRoom` a full port or pool makes the sender wait until a message
// is received, else it gives MACH_SEND_NO_BUFFER.
mach_msg_return_t enqueue(const mach_msg_header_t* msg, mach_msg_size_t size, bool waitForRoom) {
    if (size < sizeof(mach_msg_header_t) || size % 4 != 0) {
        return MACH_SEND_MSG_TOO_SMALL;
    }
    if (size > kMessageMax) {
        return MACH_SEND_TOO_LARGE;
    }
    for (;;) {
        const std::uint32_t freed = gSlotsFreed.load();
        PortEntry* destination = detail::port_find(msg->msgh_remote_port);
        if (destination == nullptr || destination->kind.load() != detail::kPortReceive) {
            return MACH_SEND_INVALID_DEST;
        }
        MessageSlot* slot = queuedFor(msg->msgh_remote_port) < kPortQueueLimit ? claimSlot() : nullptr;
        if (slot == nullptr) {
            if (!waitForRoom) {
                return MACH_SEND_NO_BUFFER;
            }
            syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&gSlotsFreed), FUTEX_WAIT_PRIVATE, freed, nullptr,
                    nullptr, 0);
            continue;
        }
        __builtin_memcpy(slot->bytes, msg, size);
        auto* header = reinterpret_cast<mach_msg_header_t*>(slot->bytes);
        header->msgh_size = size;
        header->msgh_remote_port = msg->msgh_local_port;
        header->msgh_local_port = msg->msgh_remote_port;
        header->msgh_bits = (msg->msgh_bits & MACH_MSGH_BITS_COMPLEX) |
                            MACH_MSGH_BITS(arrivedAs(MACH_MSGH_BITS_LOCAL(msg->msgh_bits)),
                                           arrivedAs(MACH_MSGH_BITS_REMOTE(msg->msgh_bits)));
        slot->port = msg->msgh_remote_port;
        slot->size = size;
        slot->sequence = gSequence.fetch_add(1);
        slot->state.store(kSlotQueued);
        detail::port_signal_arrival(destination);
        if (PortEntry* set = detail::port_find(destination->set.load())) {
            detail::port_signal_arrival(set);
        }
        return MACH_MSG_SUCCESS;
    }
}

// Whether a message queued for `port` is one that a receive on `name` takes.
bool receivedBy(mach_port_name_t port, mach_port_name_t name, bool nameIsSet) {
    if (port == name) {
        return true;
    }
    const PortEntry* entry = nameIsSet ? detail::port_find(port) : nullptr;
    return entry != nullptr && entry->set.load() == name;
}

MessageSlot* oldestFor(mach_port_name_t name, bool nameIsSet) {
    MessageSlot* oldest = nullptr;
    for (MessageSlot& slot : gSlots) {
        if (slot.state.load() == kSlotQueued && receivedBy(slot.port, name, nameIsSet) &&
            (oldest == nullptr || slot.sequence < oldest->sequence)) {
            oldest = &slot;
        }
    }
    return oldest;
}

std::int64_t nowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

mach_msg_return_t receive(mach_msg_header_t* msg, mach_msg_option_t option, mach_msg_size_t capacity,
                          mach_port_name_t name, mach_msg_timeout_t timeout) {
    const std::int64_t deadline = nowMs() + timeout;
    for (;;) {
        PortEntry* entry = detail::port_find(name);
        if (entry == nullptr) {
            return MACH_RCV_INVALID_NAME;
        }
        const std::uint32_t seen = entry->arrivals.load();
        const bool isSet = entry->kind.load() == detail::kPortSet;
        if (MessageSlot* slot = oldestFor(name, isSet)) {
            if (slot->size > capacity && (option & MACH_RCV_LARGE) != 0) {
                msg->msgh_size = slot->size;
                return MACH_RCV_TOO_LARGE;
            }
            std::uint32_t queued = kSlotQueued;
            if (!slot->state.compare_exchange_strong(queued, kSlotTaking)) {
                continue; // another receiver took it
            }
            const mach_msg_return_t result = slot->size > capacity ? MACH_RCV_TOO_LARGE : MACH_MSG_SUCCESS;
            if (result == MACH_MSG_SUCCESS) {
                __builtin_memcpy(msg, slot->bytes, slot->size);
            }
            const pid_t self = gettid();
            entry->receiver.store(self);
            if (PortEntry* port = detail::port_find(slot->port)) {
                port->receiver.store(self);
            }
            freeSlot(*slot);
            return result;
        }
        timespec wait{};
        const timespec* limit = nullptr;
        if ((option & MACH_RCV_TIMEOUT) != 0) {
            const std::int64_t left = deadline - nowMs();
            if (left <= 0) {
                return MACH_RCV_TIMED_OUT;
            }
            wait = {static_cast<time_t>(left / 1000), static_cast<long>(left % 1000) * 1000000};
            limit = &wait;
        }
        syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&entry->arrivals), FUTEX_WAIT_PRIVATE, seen, limit,
                nullptr, 0);
    }
}

} // namespace

namespace detail {

void message_queue_drop(mach_port_name_t port) {
    for (MessageSlot& slot : gSlots) {
        std::uint32_t queued = kSlotQueued;
        if (slot.port == port && slot.state.compare_exchange_strong(queued, kSlotTaking)) {
            freeSlot(slot);
        }
    }
}

void message_send_no_senders(mach_port_name_t notify) {
    struct {
        mach_msg_header_t header;
        NDR_record_t ndr;
        mach_port_mscount_t mscount;
    } notification{};
    notification.header.msgh_bits = MACH_MSGH_BITS(MACH_MSG_TYPE_MOVE_SEND_ONCE, 0);
    notification.header.msgh_remote_port = notify;
    notification.header.msgh_id = MACH_NOTIFY_NO_SENDERS;
    notification.ndr = NDR_record;
    enqueue(&notification.header, sizeof notification, false); // a notification never waits
}

} // namespace detail

mach_msg_return_t mach_msg(mach_msg_header_t* msg, mach_msg_option_t option, mach_msg_size_t send_size,
                           mach_msg_size_t rcv_size, mach_port_name_t rcv_name, mach_msg_timeout_t timeout,
                           mach_port_name_t) {
    if ((option & MACH_SEND_MSG) != 0) {
        if (const mach_msg_return_t sent = enqueue(msg, send_size, true); sent != MACH_MSG_SUCCESS) {
            return sent;
        }
    }
    if ((option & MACH_RCV_MSG) != 0) {
        return receive(msg, option, rcv_size, rcv_name, timeout);
    }
    return MACH_MSG_SUCCESS;
}

} // namespace sonvale::darwin
