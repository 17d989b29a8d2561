#include "ChildProcess.h"
#include "crashcapture/TQCrashSignalHandler.h"
#include "crashcapture/TQCrashThreadSignalStack.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <thread>
#include <vector>

namespace tqcrash {
namespace {

using async::signal_handler_continuation;

template <typename List>
int countNodes(const List& list) {
    int count = 0;
    list.set_reading(true);
    for (auto* node = list.next(nullptr); node != nullptr; node = list.next(node)) {
        ++count;
    }
    list.set_reading(false);
    return count;
}

class TQCrashSignalHandlerTest : public ::testing::Test {
protected:
    void SetUp() override { TQCrashSignalHandler::resetHandlers(); }

    // Runs `body` in a forked child and tells how that child ended; a child that survives exits 0.
    static test::ChildEnd inChild(void (*body)()) {
        const pid_t child = fork();
        if (child == 0) {
            body();
            _exit(0);
        }
        const auto end = test::waitForChild(child, std::chrono::seconds(30));
        EXPECT_TRUE(end.has_value()) << "the child hung";
        return end.value_or(test::ChildEnd{});
    }

    static bool registerSignal(int signal) {
        return TQCrashSignalHandler::sharedHandler().registerHandlerWithSignalError(signal, nullptr);
    }

    static bool registerCallback(int signal, async::signal_callback callback, void* context = nullptr) {
        return TQCrashSignalHandler::sharedHandler().registerHandlerForSignalCallbackContextError(
            signal, callback, context, nullptr);
    }
};

TEST_F(TQCrashSignalHandlerTest, RegisteringTwiceInstallsOnceButAddsTwoForwarders) {
    ASSERT_TRUE(registerSignal(SIGUSR1));
    ASSERT_TRUE(registerSignal(SIGUSR1));
    struct sigaction now {};
    ASSERT_EQ(sigaction(SIGUSR1, nullptr, &now), 0);
    EXPECT_EQ(now.sa_sigaction, async::crash_signal_entry);
    EXPECT_EQ(now.sa_flags & (SA_SIGINFO | SA_ONSTACK), SA_SIGINFO | SA_ONSTACK);
    EXPECT_EQ(countNodes(async::previous_actions()), 1);
    EXPECT_EQ(countNodes(async::signal_callbacks()), 2);
}

std::atomic<int> gPlainCalls{0};
std::atomic<int> gInfoCalls{0};
void plainHandler(int) { ++gPlainCalls; }
void infoHandler(int, siginfo_t*, void*) { ++gInfoCalls; }

TEST_F(TQCrashSignalHandlerTest, ForwardsToTheActionInstalledBefore) {
    struct sigaction before {};
    sigemptyset(&before.sa_mask);
    before.sa_handler = plainHandler;
    ASSERT_EQ(sigaction(SIGUSR1, &before, nullptr), 0);
    before.sa_flags = SA_SIGINFO;
    before.sa_sigaction = infoHandler;
    ASSERT_EQ(sigaction(SIGUSR2, &before, nullptr), 0);
    before.sa_flags = 0;
    before.sa_handler = SIG_IGN;
    ASSERT_EQ(sigaction(SIGHUP, &before, nullptr), 0);

    for (int signal : {SIGUSR1, SIGUSR2, SIGHUP}) {
        ASSERT_TRUE(registerSignal(signal));
        raise(signal);
    }
    EXPECT_EQ(gPlainCalls.load(), 1);
    EXPECT_EQ(gInfoCalls.load(), 1);
    // Still here: the ignored SIGHUP counted as handled.
}

TEST_F(TQCrashSignalHandlerTest, ReRaisesWhatTheDefaultActionWouldHaveEnded) {
    const test::ChildEnd end = inChild([] {
        signal(SIGUSR1, SIG_DFL);
        registerSignal(SIGUSR1);
        raise(SIGUSR1);
    });
    EXPECT_TRUE(end.signaled);
    EXPECT_EQ(end.signal, SIGUSR1);
}

TEST_F(TQCrashSignalHandlerTest, AFaultWhoseEarlierActionIgnoredItEndsTheProcessInsteadOfComingBack) {
    const test::ChildEnd end = inChild([] {
        signal(SIGSEGV, SIG_IGN);
        registerSignal(SIGSEGV);
        __asm__ volatile("movl 0, %%eax" ::: "eax", "memory");
    });
    EXPECT_TRUE(end.signaled) << "the fault was taken as handled and ran again";
    EXPECT_EQ(end.signal, SIGSEGV);
}

std::vector<int> gCallOrder;

bool first(int, siginfo_t*, ucontext_t*, void*, const signal_handler_continuation* next) {
    gCallOrder.push_back(1);
    return next != nullptr && (*next)(SIGUSR1, nullptr, nullptr);
}

bool second(int, siginfo_t*, ucontext_t*, void*, const signal_handler_continuation*) {
    gCallOrder.push_back(2);
    return true;
}

TEST_F(TQCrashSignalHandlerTest, RunsTheNewestCallbackFirstAndContinuesOnRequest) {
    ASSERT_TRUE(registerCallback(SIGUSR1, second));
    ASSERT_TRUE(registerCallback(SIGUSR1, first));
    raise(SIGUSR1);
    EXPECT_EQ(gCallOrder, (std::vector<int>{1, 2}));
}

bool declineWithoutReset(int, siginfo_t*, ucontext_t*, void*, const signal_handler_continuation*) {
    return false;
}

// A fault that no callback handles must end the process, not return to the faulting instruction
// and come back to the handler for ever.
TEST_F(TQCrashSignalHandlerTest, AnUnhandledFaultEndsTheProcess) {
    const test::ChildEnd end = inChild([] {
        signal(SIGSEGV, SIG_DFL);
        registerCallback(SIGSEGV, declineWithoutReset);
        __asm__ volatile("movl 0, %%eax" ::: "eax", "memory"); // a read of address 0
    });
    EXPECT_TRUE(end.signaled);
    EXPECT_EQ(end.signal, SIGSEGV);
}

TEST_F(TQCrashSignalHandlerTest, ResetHandlersLeavesTheEntryWhichThenReRaises) {
    const test::ChildEnd end = inChild([] {
        signal(SIGUSR2, SIG_IGN);
        registerSignal(SIGUSR2);
        TQCrashSignalHandler::resetHandlers();
        raise(SIGUSR2);
    });
    EXPECT_TRUE(end.signaled) << "no forwarder is left to find the ignoring action";
    EXPECT_EQ(end.signal, SIGUSR2);
}

TEST_F(TQCrashSignalHandlerTest, AFailedSigactionIsReportedAndDoesNotBlockTheNext) {
    TQCrashReporterError error;
    EXPECT_FALSE(TQCrashSignalHandler::sharedHandler().registerHandlerWithSignalError(SIGKILL, &error));
    EXPECT_EQ(error.code, TQCrashReporterErrorCode::OperatingSystem);
    EXPECT_EQ(error.description, "Failed to register signal handler");
    EXPECT_EQ(error.underlying, (TQCrashUnderlyingError{TQCrashUnderlyingError::Domain::Posix, EINVAL}));
    EXPECT_EQ(countNodes(async::previous_actions()), 0);
    EXPECT_TRUE(registerSignal(SIGUSR1));
}

stack_t currentSignalStack() {
    stack_t stack{};
    sigaltstack(nullptr, &stack);
    return stack;
}

TEST_F(TQCrashSignalHandlerTest, GivesEveryNewThreadASignalStackOfItsOwn) {
    ASSERT_TRUE(registerSignal(SIGUSR1));
    EXPECT_EQ(currentSignalStack().ss_flags & SS_DISABLE, 0) << "the registering thread has one";

    stack_t first{};
    stack_t second{};
    std::thread([&] { first = currentSignalStack(); }).join();
    std::thread([&] { second = currentSignalStack(); }).join();
    for (const stack_t& stack : {first, second}) {
        EXPECT_EQ(stack.ss_flags & SS_DISABLE, 0);
        // Ours, or a larger one a sanitizer runtime gave the thread first and we left alone.
        EXPECT_GE(stack.ss_size, TQCrashThreadSignalStack::kSize);
    }
    EXPECT_NE(first.ss_sp, currentSignalStack().ss_sp);
}

TEST_F(TQCrashSignalHandlerTest, GivesThreadsThatAlreadyRunASignalStackToo) {
    std::atomic<bool> registered{false};
    stack_t seen{};
    std::thread running([&] {
        while (!registered.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        seen = currentSignalStack();
    });
    ASSERT_TRUE(registerSignal(SIGUSR1));
    registered = true;
    running.join();
    EXPECT_EQ(seen.ss_flags & SS_DISABLE, 0);
    EXPECT_GE(seen.ss_size, TQCrashThreadSignalStack::kSize);
}

TEST_F(TQCrashSignalHandlerTest, LeavesAThreadsOwnSignalStackAlone) {
    std::thread([] {
        static char own[65536];
        stack_t mine{};
        mine.ss_sp = own;
        mine.ss_size = sizeof own;
        ASSERT_EQ(sigaltstack(&mine, nullptr), 0);
        EXPECT_EQ(TQCrashThreadSignalStack::installForCurrentThread(), 0);
        EXPECT_EQ(currentSignalStack().ss_sp, own);
        mine.ss_flags = SS_DISABLE;
        sigaltstack(&mine, nullptr);
    }).join();
}

} // namespace
} // namespace tqcrash
