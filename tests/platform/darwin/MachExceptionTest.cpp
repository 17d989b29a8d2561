#include "platform/darwin/MachExceptionDelivery.h"
#include "platform/darwin/MachExceptionPorts.h"
#include "platform/darwin/MachExceptionRaise.h"
#include "platform/darwin/MachMessage.h"
#include "platform/darwin/MachPort.h"
#include "platform/darwin/ThreadControl.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <ucontext.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <thread>

namespace sonvale::darwin {
namespace {

template <typename T>
T readAt(const unsigned char* bytes, std::size_t at) {
    T value;
    std::memcpy(&value, bytes + at, sizeof value);
    return value;
}

// A port with a send right, and a thread that answers one request on it.
class Handler final {
public:
    // `answer` sees the request and gives the return code.
    explicit Handler(std::function<kern_return_t(const unsigned char* request)> answer) {
        EXPECT_EQ(mach_port_allocate(mach_task_self(), MACH_PORT_RIGHT_RECEIVE, &port_), KERN_SUCCESS);
        EXPECT_EQ(mach_port_insert_right(mach_task_self(), port_, port_, MACH_MSG_TYPE_MAKE_SEND), KERN_SUCCESS);
        thread_ = std::thread([this, answer] { serve(answer); });
    }
    ~Handler() {
        thread_.join();
        mach_port_mod_refs(mach_task_self(), port_, MACH_PORT_RIGHT_RECEIVE, -1);
    }
    mach_port_t port() const { return port_; }
    const unsigned char* request() const { return request_; }

private:
    void serve(const std::function<kern_return_t(const unsigned char*)>& answer) {
        auto* header = reinterpret_cast<mach_msg_header_t*>(request_);
        if (mach_msg(header, MACH_RCV_MSG | MACH_RCV_TIMEOUT, 0, sizeof request_, port_, 10000, MACH_PORT_NULL) !=
            MACH_MSG_SUCCESS) {
            return;
        }
        struct {
            mach_msg_header_t header;
            NDR_record_t ndr;
            kern_return_t code;
            thread_state_flavor_t flavor;
            mach_msg_type_number_t count;
        } reply{};
        reply.header.msgh_bits = MACH_MSGH_BITS_REMOTE(header->msgh_bits);
        reply.header.msgh_remote_port = header->msgh_remote_port;
        reply.header.msgh_id = header->msgh_id + 100;
        reply.ndr = NDR_record;
        reply.code = answer(request_);
        const bool withState = reply.code == KERN_SUCCESS && header->msgh_id % 4 != 1; // 2402, 2403, 2406, 2407
        reply.flavor = x86_THREAD_STATE64;
        const mach_msg_size_t size = withState ? sizeof reply : 36;
        mach_msg(&reply.header, MACH_SEND_MSG, size, 0, MACH_PORT_NULL, MACH_MSG_TIMEOUT_NONE, MACH_PORT_NULL);
    }

    mach_port_t port_ = MACH_PORT_NULL;
    alignas(8) unsigned char request_[kMessageMax]{};
    std::thread thread_;
};

// A read of an inaccessible page raises EXC_BAD_ACCESS to the thread's registration; the handler
// makes the page readable, answers KERN_SUCCESS, and the read goes on.
TEST(MachExceptionDeliveryTest, AFaultReachesTheThreadsHandlerAndTheThreadGoesOnAfterSuccess) {
    auto* page = static_cast<volatile char*>(mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(page, MAP_FAILED);
    Handler handler([&](const unsigned char*) {
        return mprotect(const_cast<char*>(page), 4096, PROT_READ) == 0 ? KERN_SUCCESS : KERN_FAILURE;
    });
    pid_t faulting = 0;
    char read = 1;
    std::thread([&] {
        faulting = gettid();
        exception_mask_t masks[EXC_TYPES_COUNT];
        mach_port_t ports[EXC_TYPES_COUNT];
        exception_behavior_t behaviors[EXC_TYPES_COUNT];
        thread_state_flavor_t flavors[EXC_TYPES_COUNT];
        mach_msg_type_number_t count = EXC_TYPES_COUNT;
        ASSERT_EQ(thread_swap_exception_ports(mach_thread_self(), EXC_MASK_BAD_ACCESS, handler.port(),
                                              EXCEPTION_DEFAULT | MACH_EXCEPTION_CODES, x86_THREAD_STATE64, masks,
                                              &count, ports, behaviors, flavors),
                  KERN_SUCCESS);
        read = page[0];
        count = EXC_TYPES_COUNT;
        thread_swap_exception_ports(mach_thread_self(), EXC_MASK_BAD_ACCESS, MACH_PORT_NULL, EXCEPTION_DEFAULT,
                                    x86_THREAD_STATE64, masks, &count, ports, behaviors, flavors);
    }).join();
    EXPECT_EQ(read, 0);

    const unsigned char* request = handler.request();
    EXPECT_EQ(readAt<mach_msg_id_t>(request, 20), 2405);
    EXPECT_EQ(readAt<mach_port_t>(request, 28), static_cast<mach_port_t>(faulting)) << "the thread port";
    EXPECT_EQ(readAt<mach_port_t>(request, 40), mach_task_self());
    EXPECT_EQ(readAt<exception_type_t>(request, 60), EXC_BAD_ACCESS);
    EXPECT_EQ(readAt<mach_msg_type_number_t>(request, 64), 2u);
    EXPECT_EQ(readAt<std::int64_t>(request, 68), KERN_INVALID_ADDRESS);
    EXPECT_EQ(readAt<std::uint64_t>(request, 76), reinterpret_cast<std::uintptr_t>(page));
    munmap(const_cast<char*>(page), 4096);
}

// Each behavior has its own message: classic 32-bit codes or 64-bit ones, with or without the
// thread and task, with or without the thread's state.
TEST(MachExceptionDeliveryTest, EachBehaviorSendsItsOwnMessage) {
    const struct {
        exception_behavior_t behavior;
        mach_msg_id_t id;
    } cases[] = {
        {EXCEPTION_DEFAULT, 2401},
        {EXCEPTION_STATE, 2402},
        {EXCEPTION_STATE_IDENTITY, 2403},
        {EXCEPTION_DEFAULT | MACH_EXCEPTION_CODES, 2405},
        {EXCEPTION_STATE | MACH_EXCEPTION_CODES, 2406},
        {EXCEPTION_STATE_IDENTITY | MACH_EXCEPTION_CODES, 2407},
    };
    ucontext_t context{};
    ASSERT_EQ(getcontext(&context), 0);
    thread_exception_enter(context.uc_mcontext);
    const mach_exception_data_type_t codes[2] = {KERN_PROTECTION_FAILURE, 0x1234};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const bool wide = (c.behavior & MACH_EXCEPTION_CODES) != 0;
        const exception_behavior_t base = c.behavior & ~MACH_EXCEPTION_CODES;
        const std::size_t exceptionAt = base == EXCEPTION_STATE ? 32 : 60; // no descriptors with the state alone
        const std::size_t codeSize = wide ? 8 : 4;
        Handler handler([](const unsigned char*) { return KERN_SUCCESS; });
        EXPECT_EQ(exception_deliver(handler.port(), c.behavior, x86_THREAD_STATE64, mach_thread_self(), mach_task_self(),
                                    EXC_BAD_ACCESS, codes, 2),
                  KERN_SUCCESS);
        const unsigned char* request = handler.request();
        EXPECT_EQ(readAt<mach_msg_id_t>(request, 20), c.id);
        EXPECT_EQ(readAt<exception_type_t>(request, exceptionAt), EXC_BAD_ACCESS);
        const std::size_t codesAt = exceptionAt + 8;
        EXPECT_EQ(readAt<std::int32_t>(request, codesAt), KERN_PROTECTION_FAILURE);
        EXPECT_EQ(readAt<std::int32_t>(request, codesAt + codeSize), 0x1234);
        if (base != EXCEPTION_DEFAULT) {
            const std::size_t flavorAt = codesAt + 2 * codeSize;
            EXPECT_EQ(readAt<thread_state_flavor_t>(request, flavorAt), x86_THREAD_STATE64);
            EXPECT_EQ(readAt<mach_msg_type_number_t>(request, flavorAt + 4), x86_THREAD_STATE64_COUNT);
            const auto state = readAt<x86_thread_state64_t>(request, flavorAt + 8);
            EXPECT_EQ(state.rip, static_cast<std::uint64_t>(context.uc_mcontext.gregs[REG_RIP]));
            EXPECT_EQ(readAt<mach_msg_size_t>(request, 4), flavorAt + 8 + sizeof state);
        }
    }
    thread_exception_leave();
}

// A swap gives back what was registered before, merged where types share a registration, and
// the registration holds a send reference on its port until it is replaced.
TEST(MachExceptionPortsTest, ASwapGivesBackThePreviousRegistrationsMerged) {
    mach_port_t port = MACH_PORT_NULL;
    ASSERT_EQ(mach_port_allocate(mach_task_self(), MACH_PORT_RIGHT_RECEIVE, &port), KERN_SUCCESS);
    ASSERT_EQ(mach_port_insert_right(mach_task_self(), port, port, MACH_MSG_TYPE_MAKE_SEND), KERN_SUCCESS);
    exception_mask_t masks[EXC_TYPES_COUNT];
    mach_port_t ports[EXC_TYPES_COUNT];
    exception_behavior_t behaviors[EXC_TYPES_COUNT];
    thread_state_flavor_t flavors[EXC_TYPES_COUNT];
    mach_msg_type_number_t count = EXC_TYPES_COUNT;
    const exception_mask_t mask = EXC_MASK_BAD_ACCESS | EXC_MASK_BREAKPOINT;
    ASSERT_EQ(task_swap_exception_ports(mach_task_self(), mask, port, EXCEPTION_STATE, x86_THREAD_STATE, masks, &count,
                                        ports, behaviors, flavors),
              KERN_SUCCESS);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(masks[0], mask);
    EXPECT_EQ(ports[0], MACH_PORT_NULL);
    EXPECT_EQ(exception_registration_find(MACH_PORT_NULL, EXC_BREAKPOINT).port, port);
    EXPECT_EQ(exception_registration_find(MACH_PORT_NULL, EXC_ARITHMETIC).port, MACH_PORT_NULL);

    count = EXC_TYPES_COUNT;
    ASSERT_EQ(task_swap_exception_ports(mach_task_self(), EXC_MASK_BAD_ACCESS | EXC_MASK_ARITHMETIC, MACH_PORT_NULL,
                                        EXCEPTION_DEFAULT, x86_THREAD_STATE64, masks, &count, ports, behaviors, flavors),
              KERN_SUCCESS);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(masks[0], EXC_MASK_BAD_ACCESS);
    EXPECT_EQ(ports[0], port);
    EXPECT_EQ(behaviors[0], EXCEPTION_STATE);
    EXPECT_EQ(flavors[0], x86_THREAD_STATE);
    EXPECT_EQ(masks[1], EXC_MASK_ARITHMETIC);
    EXPECT_EQ(ports[1], MACH_PORT_NULL);
    mach_port_urefs_t refs = 0;
    ASSERT_EQ(mach_port_get_refs(mach_task_self(), port, MACH_PORT_RIGHT_SEND, &refs), KERN_SUCCESS);
    EXPECT_EQ(refs, 3u) << "ours, the breakpoint registration's, and the one given back";

    count = EXC_TYPES_COUNT;
    EXPECT_EQ(task_swap_exception_ports(mach_task_self(), 1u << 20, port, EXCEPTION_DEFAULT, x86_THREAD_STATE64, masks,
                                        &count, ports, behaviors, flavors),
              KERN_INVALID_ARGUMENT);
    EXPECT_EQ(task_swap_exception_ports(mach_task_self(), EXC_MASK_BAD_ACCESS, port, 7, x86_THREAD_STATE64, masks,
                                        &count, ports, behaviors, flavors),
              KERN_INVALID_ARGUMENT);
    mach_port_mod_refs(mach_task_self(), port, MACH_PORT_RIGHT_RECEIVE, -1);
}

} // namespace
} // namespace sonvale::darwin
