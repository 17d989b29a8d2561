// Crash path: the server thread receives the exception of a crashing process and runs the crash
// callback. No allocation, no lock, no stdio.

#include "crashcapture/TQCrashMachExceptionServer.h"

#include "platform/darwin/MachMessage.h"
#include "platform/darwin/MachPort.h"
#include "platform/darwin/VmAllocate.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <climits>
#include <cstddef>

namespace tqcrash::async {

namespace {

namespace darwin = sonvale::darwin;

// The mach_exc raise request with 64-bit codes, as the server reads it.
constexpr std::size_t kThreadPortAt = 28;   // name of the thread port descriptor
constexpr std::size_t kTaskPortAt = 40;     // name of the task port descriptor
constexpr std::size_t kExceptionAt = 60;
constexpr std::size_t kCodeCountAt = 64;
constexpr std::size_t kCodesAt = 68;
constexpr darwin::mach_msg_size_t kRequestMin = 84;
constexpr darwin::mach_msg_type_number_t kCodesMax = 2;
constexpr darwin::mach_msg_id_t kStopId = static_cast<darwin::mach_msg_id_t>(0xdeadbeef);

struct Reply {
    darwin::mach_msg_header_t header;
    darwin::NDR_record_t ndr;
    kern_return_t code;
};
static_assert(sizeof(Reply) == 36);

template <typename T>
T readAt(const unsigned char* bytes, std::size_t at) {
    T value;
    __builtin_memcpy(&value, bytes + at, sizeof value);
    return value;
}

// "<text><hex digits>\n" on standard error, formatted without the C library.
void reportAllocationFailure(const char* text, kern_return_t code) {
    char line[64];
    std::size_t at = 0;
    for (; text[at] != '\0'; ++at) {
        line[at] = text[at];
    }
    char digits[8];
    std::size_t count = 0;
    for (auto value = static_cast<unsigned>(code); count == 0 || value != 0; value >>= 4) {
        digits[count++] = "0123456789abcdef"[value & 0xF];
    }
    while (count > 0) {
        line[at++] = digits[--count];
    }
    line[at++] = '\n';
    (void)!write(STDERR_FILENO, line, at);
}

struct Buffer {
    darwin::vm_address_t address = 0;
    darwin::vm_size_t size = 0;

    bool allocate(darwin::vm_size_t wanted, const char* failureText) {
        const darwin::vm_size_t page = darwin::vm_page_size();
        size = (wanted + page - 1) / page * page;
        const kern_return_t result = darwin::vm_allocate(darwin::mach_task_self(), &address, size, darwin::VM_FLAGS_ANYWHERE);
        if (result != darwin::KERN_SUCCESS) {
            reportAllocationFailure(failureText, result);
            return false;
        }
        return true;
    }
    void release() { darwin::vm_deallocate(darwin::mach_task_self(), address, size); }
    darwin::mach_msg_header_t* header() const { return reinterpret_cast<darwin::mach_msg_header_t*>(address); }
    const unsigned char* bytes() const { return reinterpret_cast<const unsigned char*>(address); }
};

kern_return_t runCallback(const tqcrash_exception_server_context* server, const Buffer& buffer) {
    const unsigned char* bytes = buffer.bytes();
    // Never more codes than the message holds, nor than the interface allows.
    darwin::mach_msg_type_number_t count = readAt<darwin::mach_msg_type_number_t>(bytes, kCodeCountAt);
    const darwin::mach_msg_size_t room = (buffer.header()->msgh_size - kCodesAt) / sizeof(mach_exception_data_type_t);
    count = count < room ? count : room;
    count = count < kCodesMax ? count : kCodesMax;
    mach_exception_data_type_t codes[kCodesMax] = {};
    __builtin_memcpy(codes, bytes + kCodesAt, count * sizeof(mach_exception_data_type_t));
    return server->callback(readAt<task_t>(bytes, kTaskPortAt), readAt<thread_t>(bytes, kThreadPortAt),
                            readAt<exception_type_t>(bytes, kExceptionAt), codes, count, server->context);
}

void sendReply(const darwin::mach_msg_header_t& request, kern_return_t code) {
    Reply reply{};
    reply.header.msgh_bits = darwin::MACH_MSGH_BITS_REMOTE(request.msgh_bits);
    reply.header.msgh_size = sizeof reply;
    reply.header.msgh_remote_port = request.msgh_remote_port;
    reply.header.msgh_local_port = darwin::MACH_PORT_NULL;
    reply.header.msgh_id = request.msgh_id + 100;
    reply.ndr = darwin::NDR_record;
    reply.code = code;
    darwin::mach_msg(&reply.header, darwin::MACH_SEND_MSG, sizeof reply, 0, darwin::MACH_PORT_NULL,
                     darwin::MACH_MSG_TIMEOUT_NONE, darwin::MACH_PORT_NULL);
}

} // namespace

void* mach_exception_server_loop(void* serverContext) {
    auto* server = static_cast<tqcrash_exception_server_context*>(serverContext);
    server->server_thread.store(darwin::mach_thread_self());
    syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&server->server_thread), FUTEX_WAKE_PRIVATE, INT_MAX,
            nullptr, nullptr, 0);

    Buffer buffer;
    if (!buffer.allocate(kRequestMin, "Unexpected error in vm_allocate(): ")) {
        return nullptr;
    }
    for (;;) {
        const darwin::mach_msg_return_t received =
            darwin::mach_msg(buffer.header(), darwin::MACH_RCV_MSG | darwin::MACH_RCV_LARGE, 0,
                             static_cast<darwin::mach_msg_size_t>(buffer.size), server->port_set,
                             darwin::MACH_MSG_TIMEOUT_NONE, darwin::MACH_PORT_NULL);
        if (received == darwin::MACH_RCV_TOO_LARGE) {
            const darwin::mach_msg_size_t needed = buffer.header()->msgh_size;
            buffer.release();
            if (!buffer.allocate(needed, "Unexpected error in vm_allocate(): 0x")) {
                return nullptr;
            }
            continue;
        }
        if (received != darwin::MACH_MSG_SUCCESS) {
            continue;
        }
        const darwin::mach_msg_header_t request = *buffer.header();
        if (request.msgh_local_port == server->notify_port) {
            if (request.msgh_id == darwin::MACH_NOTIFY_NO_SENDERS) {
                continue;
            }
            if (request.msgh_id == kStopId && server->stop_requested.load()) {
                buffer.release();
                server->stop_acknowledged.store(1);
                syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&server->stop_acknowledged), FUTEX_WAKE_PRIVATE,
                        INT_MAX, nullptr, nullptr, 0);
                return nullptr;
            }
        }
        const kern_return_t result =
            request.msgh_size >= kRequestMin ? runCallback(server, buffer) : darwin::KERN_FAILURE;
        sendReply(request, result);
    }
}

} // namespace tqcrash::async
