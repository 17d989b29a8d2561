// Safe in a signal handler: builds messages on the stack and speaks through mach_msg.

#include "platform/darwin/MachExceptionRaise.h"

#include "platform/darwin/MachMessage.h"
#include "platform/darwin/MachPort.h"
#include "platform/darwin/ThreadControl.h"

#include <cstddef>

namespace sonvale::darwin {

namespace {

constexpr mach_msg_id_t kExcRaise = 2401;
constexpr mach_msg_id_t kMachExcRaise = 2405;
constexpr mach_msg_type_number_t kCodeMax = 2;

enum class Form { Default = 0, State = 1, StateIdentity = 2 };

// One request, and where its reply's new state goes.
struct Request {
    Form form;
    bool wideCodes; // 64-bit codes: the mach_exc interface
    mach_port_t port;
    thread_t thread;
    task_t task;
    exception_type_t exception;
    const void* codes;
    mach_msg_type_number_t codeCount;
    thread_state_flavor_t* flavor;
    const natural_t* oldState;
    mach_msg_type_number_t oldCount;
    natural_t* newState;
    mach_msg_type_number_t* newCount;
};

// Fields are packed at 4-byte steps, as the interface lays them out.
struct Writer {
    unsigned char* bytes;
    std::size_t at;

    void put(const void* value, std::size_t size) {
        __builtin_memcpy(bytes + at, value, size);
        at += size;
    }
    template <typename T>
    void put(const T& value) {
        put(&value, sizeof value);
    }
};

template <typename T>
T readAt(const unsigned char* bytes, std::size_t at) {
    T value;
    __builtin_memcpy(&value, bytes + at, sizeof value);
    return value;
}

mach_msg_port_descriptor_t portDescriptor(mach_port_t name) {
    mach_msg_port_descriptor_t descriptor{};
    descriptor.name = name;
    descriptor.disposition = MACH_MSG_TYPE_COPY_SEND;
    descriptor.type = MACH_MSG_PORT_DESCRIPTOR;
    return descriptor;
}

mach_msg_size_t buildRequest(const Request& request, mach_port_t reply, unsigned char* bytes) {
    const bool identity = request.form != Form::State;
    const mach_msg_id_t id = (request.wideCodes ? kMachExcRaise : kExcRaise) + static_cast<mach_msg_id_t>(request.form);
    Writer out{bytes, sizeof(mach_msg_header_t)};
    if (identity) {
        out.put(mach_msg_body_t{2});
        out.put(portDescriptor(request.thread));
        out.put(portDescriptor(request.task));
    }
    out.put(NDR_record);
    out.put(request.exception);
    out.put(request.codeCount);
    const auto* codes = static_cast<const unsigned char*>(request.codes);
    out.put(codes, request.codeCount * (request.wideCodes ? 8u : 4u));
    if (request.form != Form::Default) {
        out.put(*request.flavor);
        out.put(request.oldCount);
        out.put(request.oldState, request.oldCount * sizeof(natural_t));
    }
    mach_msg_header_t header{};
    header.msgh_bits = MACH_MSGH_BITS(MACH_MSG_TYPE_COPY_SEND, MACH_MSG_TYPE_MAKE_SEND_ONCE) |
                       (identity ? MACH_MSGH_BITS_COMPLEX : 0);
    header.msgh_size = static_cast<mach_msg_size_t>(out.at);
    header.msgh_remote_port = request.port;
    header.msgh_local_port = reply;
    header.msgh_id = id;
    __builtin_memcpy(bytes, &header, sizeof header);
    return header.msgh_size;
}

// Reply: header, NDR, return code; a state reply with success adds flavor, count and the state.
kern_return_t readReply(const Request& request, mach_msg_id_t requestId, const unsigned char* bytes) {
    constexpr std::size_t kCodeAt = sizeof(mach_msg_header_t) + sizeof(NDR_record_t);
    constexpr std::size_t kShortReply = kCodeAt + sizeof(kern_return_t);
    const auto header = readAt<mach_msg_header_t>(bytes, 0);
    if (header.msgh_id != requestId + 100) {
        return MIG_REPLY_MISMATCH;
    }
    if ((header.msgh_bits & MACH_MSGH_BITS_COMPLEX) != 0 || header.msgh_size < kShortReply) {
        return MIG_TYPE_ERROR;
    }
    const auto code = readAt<kern_return_t>(bytes, kCodeAt);
    if (request.form == Form::Default || code != KERN_SUCCESS) {
        return header.msgh_size == kShortReply ? code : MIG_TYPE_ERROR;
    }
    const auto flavor = readAt<thread_state_flavor_t>(bytes, kShortReply);
    const auto count = readAt<mach_msg_type_number_t>(bytes, kShortReply + 4);
    if (count > THREAD_STATE_MAX || header.msgh_size != kShortReply + 8 + count * sizeof(natural_t)) {
        return MIG_TYPE_ERROR;
    }
    if (count > *request.newCount) {
        return MIG_ARRAY_TOO_LARGE;
    }
    *request.flavor = flavor;
    *request.newCount = count;
    __builtin_memcpy(request.newState, bytes + kShortReply + 8, count * sizeof(natural_t));
    return code;
}

kern_return_t sendRequest(const Request& request) {
    if (request.codeCount > kCodeMax || (request.form != Form::Default && request.oldCount > THREAD_STATE_MAX)) {
        return MIG_ARRAY_TOO_LARGE;
    }
    mach_port_t reply = MACH_PORT_NULL;
    if (const kern_return_t made = mach_port_allocate(mach_task_self(), MACH_PORT_RIGHT_RECEIVE, &reply);
        made != KERN_SUCCESS) {
        return made;
    }
    alignas(8) unsigned char bytes[kMessageMax];
    const mach_msg_size_t size = buildRequest(request, reply, bytes);
    const mach_msg_id_t id = reinterpret_cast<const mach_msg_header_t*>(bytes)->msgh_id;
    const mach_msg_return_t sent = mach_msg(reinterpret_cast<mach_msg_header_t*>(bytes), MACH_SEND_MSG | MACH_RCV_MSG,
                                            size, sizeof bytes, reply, MACH_MSG_TIMEOUT_NONE, MACH_PORT_NULL);
    mach_port_mod_refs(mach_task_self(), reply, MACH_PORT_RIGHT_RECEIVE, -1);
    return sent != MACH_MSG_SUCCESS ? sent : readReply(request, id, bytes);
}

} // namespace

kern_return_t exception_raise(mach_port_t port, thread_t thread, task_t task, exception_type_t exception,
                              const exception_data_type_t* codes, mach_msg_type_number_t code_count) {
    return sendRequest({Form::Default, false, port, thread, task, exception, codes, code_count, nullptr, nullptr, 0,
                  nullptr, nullptr});
}

kern_return_t exception_raise_state(mach_port_t port, exception_type_t exception, const exception_data_type_t* codes,
                                    mach_msg_type_number_t code_count, thread_state_flavor_t* flavor,
                                    const natural_t* old_state, mach_msg_type_number_t old_count,
                                    natural_t* new_state, mach_msg_type_number_t* new_count) {
    return sendRequest({Form::State, false, port, MACH_PORT_NULL, MACH_PORT_NULL, exception, codes, code_count, flavor,
                  old_state, old_count, new_state, new_count});
}

kern_return_t exception_raise_state_identity(mach_port_t port, thread_t thread, task_t task,
                                             exception_type_t exception, const exception_data_type_t* codes,
                                             mach_msg_type_number_t code_count, thread_state_flavor_t* flavor,
                                             const natural_t* old_state, mach_msg_type_number_t old_count,
                                             natural_t* new_state, mach_msg_type_number_t* new_count) {
    return sendRequest({Form::StateIdentity, false, port, thread, task, exception, codes, code_count, flavor, old_state,
                  old_count, new_state, new_count});
}

kern_return_t mach_exception_raise(mach_port_t port, thread_t thread, task_t task, exception_type_t exception,
                                   const mach_exception_data_type_t* codes, mach_msg_type_number_t code_count) {
    return sendRequest({Form::Default, true, port, thread, task, exception, codes, code_count, nullptr, nullptr, 0,
                  nullptr, nullptr});
}

kern_return_t mach_exception_raise_state(mach_port_t port, exception_type_t exception,
                                         const mach_exception_data_type_t* codes, mach_msg_type_number_t code_count,
                                         thread_state_flavor_t* flavor, const natural_t* old_state,
                                         mach_msg_type_number_t old_count, natural_t* new_state,
                                         mach_msg_type_number_t* new_count) {
    return sendRequest({Form::State, true, port, MACH_PORT_NULL, MACH_PORT_NULL, exception, codes, code_count, flavor,
                  old_state, old_count, new_state, new_count});
}

kern_return_t mach_exception_raise_state_identity(mach_port_t port, thread_t thread, task_t task,
                                                  exception_type_t exception, const mach_exception_data_type_t* codes,
                                                  mach_msg_type_number_t code_count, thread_state_flavor_t* flavor,
                                                  const natural_t* old_state, mach_msg_type_number_t old_count,
                                                  natural_t* new_state, mach_msg_type_number_t* new_count) {
    return sendRequest({Form::StateIdentity, true, port, thread, task, exception, codes, code_count, flavor, old_state,
                  old_count, new_state, new_count});
}

kern_return_t exception_deliver(mach_port_t port, exception_behavior_t behavior, thread_state_flavor_t flavor,
                                thread_t thread, task_t task, exception_type_t exception,
                                const mach_exception_data_type_t* codes, mach_msg_type_number_t code_count) {
    const bool wide = (behavior & MACH_EXCEPTION_CODES) != 0;
    const exception_behavior_t base = behavior & ~MACH_EXCEPTION_CODES;
    if (base != EXCEPTION_DEFAULT && base != EXCEPTION_STATE && base != EXCEPTION_STATE_IDENTITY) {
        return KERN_FAILURE;
    }
    // The classic calls take 32-bit codes; a count beyond the two they carry fails in the call.
    exception_data_type_t narrow[kCodeMax] = {};
    for (mach_msg_type_number_t i = 0; i < code_count && i < kCodeMax; ++i) {
        narrow[i] = static_cast<exception_data_type_t>(codes[i]);
    }
    const void* sentCodes = wide ? static_cast<const void*>(codes) : static_cast<const void*>(narrow);
    if (base == EXCEPTION_DEFAULT) {
        return sendRequest({Form::Default, wide, port, thread, task, exception, sentCodes, code_count, nullptr, nullptr, 0,
                      nullptr, nullptr});
    }
    natural_t state[THREAD_STATE_MAX];
    mach_msg_type_number_t count = THREAD_STATE_MAX;
    if (const kern_return_t read = thread_get_state(thread, flavor, state, &count); read != KERN_SUCCESS) {
        return read;
    }
    natural_t answered[THREAD_STATE_MAX];
    mach_msg_type_number_t answeredCount = THREAD_STATE_MAX;
    const Form form = base == EXCEPTION_STATE ? Form::State : Form::StateIdentity;
    return sendRequest({form, wide, port, thread, task, exception, sentCodes, code_count, &flavor, state, count, answered,
                  &answeredCount});
}

} // namespace sonvale::darwin
