#include "crashcapture/TQCrashAssertion.h"
#include "crashcapture/TQCrashMachException.h"
#include "crashcapture/TQCrashMachExceptionPort.h"
#include "crashcapture/TQCrashMachExceptionPortSet.h"
#include "crashcapture/TQCrashMachExceptionServer.h"
#include "crashcapture/TQCrashReportWriter.h"
#include "platform/darwin/MachMessage.h"
#include "platform/darwin/MachPort.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <vector>

namespace tqcrash {
namespace {

namespace darwin = sonvale::darwin;
using async::mach_exception_data_type_t;

TEST(TQCrashMachExceptionTest, MapsExceptionsToSignalFacts) {
    const struct {
        async::exception_type_t exception;
        mach_exception_data_type_t code;
        int signal;
        int signalCode;
    } cases[] = {
        {darwin::EXC_BAD_ACCESS, darwin::KERN_INVALID_ADDRESS, SIGSEGV, SEGV_MAPERR},
        {darwin::EXC_BAD_ACCESS, darwin::KERN_PROTECTION_FAILURE, SIGBUS, BUS_ADRERR},
        {darwin::EXC_BAD_INSTRUCTION, 1, SIGILL, 0},
        {darwin::EXC_ARITHMETIC, 1, SIGFPE, 0},
        {darwin::EXC_SOFTWARE, 0x10000, SIGSYS, 0},
        {darwin::EXC_SOFTWARE, 0x10001, SIGPIPE, 0},
        {darwin::EXC_SOFTWARE, 0x10002, SIGABRT, 0},
        {darwin::EXC_SOFTWARE, 0x10003, SIGKILL, 0},
        {darwin::EXC_SOFTWARE, 7, SIGABRT, 0},
        {darwin::EXC_BREAKPOINT, 2, SIGTRAP, TRAP_BRKPT},
    };
    for (const auto& c : cases) {
        const mach_exception_data_type_t codes[2] = {c.code, 0x7000};
        async::crash_signal_facts facts{};
        ASSERT_TRUE(async::mach_exception_to_signal(c.exception, codes, 2, &facts)) << c.exception;
        EXPECT_EQ(facts.signal, c.signal) << c.exception << "/" << c.code;
        EXPECT_EQ(facts.code, c.signalCode) << c.exception << "/" << c.code;
        EXPECT_EQ(facts.address, 0x7000u);
    }
    const mach_exception_data_type_t codes[2] = {1, 0};
    async::crash_signal_facts facts{};
    EXPECT_FALSE(async::mach_exception_to_signal(darwin::EXC_BAD_ACCESS, codes, 1, &facts)) << "one code";
    EXPECT_FALSE(async::mach_exception_to_signal(darwin::EXC_GUARD, codes, 2, &facts));
    EXPECT_FALSE(async::mach_exception_to_signal(darwin::EXC_EMULATION, codes, 2, &facts)) << "no SIGEMT here";
}

// What a server's callback saw.
struct Seen {
    std::atomic<int> calls{0};
    async::thread_t thread = 0;
    async::task_t task = 0;
    async::exception_type_t exception = 0;
    std::vector<mach_exception_data_type_t> codes;
    async::kern_return_t answer = darwin::KERN_SUCCESS;
};

async::kern_return_t record(async::task_t task, async::thread_t thread, async::exception_type_t exception,
                            const mach_exception_data_type_t* codes, async::mach_msg_type_number_t count,
                            void* context) {
    auto* seen = static_cast<Seen*>(context);
    seen->thread = thread;
    seen->task = task;
    seen->exception = exception;
    seen->codes.assign(codes, codes + count);
    ++seen->calls;
    return seen->answer;
}

// Sends `size` bytes of a raise request (64-bit codes) to the server port and waits for the reply.
struct RawExchange {
    darwin::mach_msg_return_t result;
    darwin::mach_msg_header_t replyHeader;
    async::kern_return_t code;
};

RawExchange exchange(darwin::mach_port_t server, darwin::mach_msg_size_t size) {
    darwin::mach_port_t reply = darwin::MACH_PORT_NULL;
    darwin::mach_port_allocate(darwin::mach_task_self(), darwin::MACH_PORT_RIGHT_RECEIVE, &reply);
    alignas(8) unsigned char bytes[256] = {};
    darwin::mach_msg_header_t header{};
    header.msgh_bits = darwin::MACH_MSGH_BITS(darwin::MACH_MSG_TYPE_COPY_SEND, darwin::MACH_MSG_TYPE_MAKE_SEND_ONCE);
    header.msgh_size = size;
    header.msgh_remote_port = server;
    header.msgh_local_port = reply;
    header.msgh_id = 2405;
    std::memcpy(bytes, &header, sizeof header);
    const std::uint32_t thread = 4242, task = darwin::mach_task_self();
    const std::int32_t exception = darwin::EXC_BAD_ACCESS;
    const std::uint32_t count = 2;
    const std::int64_t codes[2] = {darwin::KERN_PROTECTION_FAILURE, 0xbad000};
    std::memcpy(bytes + 28, &thread, 4);
    std::memcpy(bytes + 40, &task, 4);
    std::memcpy(bytes + 60, &exception, 4);
    std::memcpy(bytes + 64, &count, 4);
    std::memcpy(bytes + 68, codes, 16);
    RawExchange result{};
    result.result = darwin::mach_msg(reinterpret_cast<darwin::mach_msg_header_t*>(bytes),
                                     darwin::MACH_SEND_MSG | darwin::MACH_RCV_MSG | darwin::MACH_RCV_TIMEOUT, size,
                                     sizeof bytes, reply, 10000, darwin::MACH_PORT_NULL);
    std::memcpy(&result.replyHeader, bytes, sizeof result.replyHeader);
    std::memcpy(&result.code, bytes + 32, sizeof result.code);
    darwin::mach_port_mod_refs(darwin::mach_task_self(), reply, darwin::MACH_PORT_RIGHT_RECEIVE, -1);
    return result;
}

// A request of 84 bytes reaches the callback, and its answer comes back; a shorter one is answered
// with KERN_FAILURE without it.
TEST(TQCrashMachExceptionServerTest, AnswersARequestWithTheCallbacksResultAndAShortOneWithFailure) {
    Seen seen;
    seen.answer = 77;
    auto server = TQCrashMachExceptionServer::initWithCallBackContextError(record, &seen, nullptr);
    ASSERT_TRUE(server);
    EXPECT_NE(server->serverThread(), 0u);
    const darwin::mach_port_t port = server->copySendRightForServerAndReturningError(nullptr);
    ASSERT_NE(port, darwin::MACH_PORT_NULL);

    const RawExchange full = exchange(port, 84);
    ASSERT_EQ(full.result, darwin::MACH_MSG_SUCCESS);
    EXPECT_EQ(full.replyHeader.msgh_id, 2505);
    EXPECT_EQ(full.replyHeader.msgh_size, 36u);
    EXPECT_EQ(full.code, 77);
    EXPECT_EQ(seen.calls.load(), 1);
    EXPECT_EQ(seen.thread, 4242u);
    EXPECT_EQ(seen.task, darwin::mach_task_self());
    EXPECT_EQ(seen.exception, darwin::EXC_BAD_ACCESS);
    EXPECT_EQ(seen.codes, (std::vector<mach_exception_data_type_t>{darwin::KERN_PROTECTION_FAILURE, 0xbad000}));

    const RawExchange shortOne = exchange(port, 80);
    ASSERT_EQ(shortOne.result, darwin::MACH_MSG_SUCCESS);
    EXPECT_EQ(shortOne.code, darwin::KERN_FAILURE);
    EXPECT_EQ(seen.calls.load(), 1);
    darwin::mach_port_deallocate(darwin::mach_task_self(), port);
}

// Forwarding goes to the first earlier registration that holds the type.
TEST(TQCrashMachExceptionServerTest, ForwardsToAnEarlierRegistrationOfTheType) {
    Seen seen;
    auto server = TQCrashMachExceptionServer::initWithCallBackContextError(record, &seen, nullptr);
    ASSERT_TRUE(server);
    const auto port = server->exceptionPortWithMaskError(darwin::EXC_MASK_BAD_ACCESS, nullptr);
    ASSERT_TRUE(port);
    EXPECT_EQ(port->behavior(), darwin::EXCEPTION_DEFAULT | darwin::MACH_EXCEPTION_CODES);
    EXPECT_EQ(port->flavor(), darwin::x86_THREAD_STATE);
    const TQCrashMachExceptionPortSet previous(TQCrashMachExceptionPortSet::Ports{
        std::make_shared<const TQCrashMachExceptionPort>(darwin::MACH_PORT_NULL, darwin::EXC_MASK_ALL,
                                                         darwin::EXCEPTION_DEFAULT, darwin::x86_THREAD_STATE),
        std::make_shared<const TQCrashMachExceptionPort>(port->server_port(), port->mask(), port->behavior(),
                                                         port->flavor())});

    const mach_exception_data_type_t codes[2] = {darwin::KERN_INVALID_ADDRESS, 0x10};
    EXPECT_EQ(async::mach_exception_forward(darwin::mach_task_self(), 99, darwin::EXC_BREAKPOINT, codes, 2,
                                            &previous.asyncSafeRepresentation()),
              darwin::KERN_FAILURE)
        << "nobody registered for it";
    EXPECT_EQ(seen.calls.load(), 0);
    EXPECT_EQ(async::mach_exception_forward(darwin::mach_task_self(), 99, darwin::EXC_BAD_ACCESS, codes, 2,
                                            &previous.asyncSafeRepresentation()),
              darwin::KERN_SUCCESS);
    EXPECT_EQ(seen.calls.load(), 1);
    EXPECT_EQ(seen.thread, 99u);
    EXPECT_EQ(seen.codes, (std::vector<mach_exception_data_type_t>{darwin::KERN_INVALID_ADDRESS, 0x10}));
}

TEST(TQCrashMachExceptionPortSetTest, HoldsAtMostOneRegistrationPerExceptionType) {
    TQCrashMachExceptionPortSet::Ports ports;
    for (int i = 0; i < 15; ++i) {
        ports.push_back(std::make_shared<const TQCrashMachExceptionPort>(darwin::MACH_PORT_NULL, 0, 1, 4));
    }
    try {
        TQCrashMachExceptionPortSet set(ports);
        FAIL() << "no assertion";
    } catch (const TQCrashAssertionFailure& failure) {
        EXPECT_STREQ(failure.what(), "Set size of 15 exceeds EXC_TYPES_COUNT (14)");
    }
    async::tqcrash_mach_exception_port_set record{};
    record.count = 15;
    EXPECT_THROW(TQCrashMachExceptionPortSet{record}, TQCrashAssertionFailure);
}

// A port object holds a send reference while it lives; a set made from a swap's record takes over
// the reference the swap gave.
TEST(TQCrashMachExceptionPortSetTest, PortObjectsOwnTheReferencesOfTheirRegistrations) {
    darwin::mach_port_t port = darwin::MACH_PORT_NULL;
    ASSERT_EQ(darwin::mach_port_allocate(darwin::mach_task_self(), darwin::MACH_PORT_RIGHT_RECEIVE, &port),
              darwin::KERN_SUCCESS);
    ASSERT_EQ(darwin::mach_port_insert_right(darwin::mach_task_self(), port, port, darwin::MACH_MSG_TYPE_MAKE_SEND),
              darwin::KERN_SUCCESS);
    auto refs = [port] {
        darwin::mach_port_urefs_t count = 0;
        darwin::mach_port_get_refs(darwin::mach_task_self(), port, darwin::MACH_PORT_RIGHT_SEND, &count);
        return count;
    };
    {
        const TQCrashMachExceptionPort registration(port, darwin::EXC_MASK_BREAKPOINT,
                                                    darwin::EXCEPTION_DEFAULT | darwin::MACH_EXCEPTION_CODES,
                                                    darwin::x86_THREAD_STATE);
        EXPECT_EQ(refs(), 2u);
        std::unique_ptr<TQCrashMachExceptionPortSet> previous;
        ASSERT_TRUE(registration.registerForThreadPreviousPortSetError(darwin::mach_thread_self(), &previous, nullptr));
        ASSERT_TRUE(previous);
        EXPECT_EQ(refs(), 3u);
        const auto current = TQCrashMachExceptionPort::exceptionPortsForThreadMaskError(
            darwin::mach_thread_self(), darwin::EXC_MASK_BREAKPOINT, nullptr);
        ASSERT_TRUE(current);
        ASSERT_EQ(current->set().size(), 1u);
        EXPECT_EQ(current->set().front()->server_port(), port);
        EXPECT_EQ(refs(), 4u) << "the fetched set holds one too";
        // Put back what was there: the swap hands our registration back to a set that is dropped.
        const TQCrashMachExceptionPort none(darwin::MACH_PORT_NULL, darwin::EXC_MASK_BREAKPOINT,
                                           darwin::EXCEPTION_DEFAULT, darwin::x86_THREAD_STATE);
        ASSERT_TRUE(none.registerForThreadPreviousPortSetError(darwin::mach_thread_self(), nullptr, nullptr));
        EXPECT_EQ(refs(), 3u);
    }
    EXPECT_EQ(refs(), 1u);
    TQCrashReporterError error;
    EXPECT_FALSE(TQCrashMachExceptionPort(port, 1u << 20, darwin::EXCEPTION_DEFAULT, darwin::x86_THREAD_STATE)
                     .registerForTaskPreviousPortSetError(darwin::mach_task_self(), nullptr, &error));
    EXPECT_EQ(error.description, "Failed to swap mach exception ports");
    darwin::mach_port_mod_refs(darwin::mach_task_self(), port, darwin::MACH_PORT_RIGHT_RECEIVE, -1);
}

} // namespace
} // namespace tqcrash
