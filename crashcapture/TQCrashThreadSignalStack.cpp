#include "crashcapture/TQCrashThreadSignalStack.h"

#include <dirent.h>
#include <dlfcn.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace tqcrash {

namespace {

std::atomic<bool> gCoverNewThreads{false};
std::atomic<int> gThreadsCovered{0};

// How long the covering thread waits for the threads it asked; one that answers later still
// installs its stack when it takes the signal.
constexpr std::chrono::seconds kAnswerLimit{1};

int coverSignal() {
    return SIGRTMIN + 1;
}

// The stack this thread made for itself; switched off and unmapped when the thread ends.
struct OwnedStack {
    void* mapping = nullptr;
    std::size_t mappingSize = 0;

    ~OwnedStack() {
        if (mapping != nullptr) {
            stack_t off{};
            off.ss_flags = SS_DISABLE;
            sigaltstack(&off, nullptr);
            munmap(mapping, mappingSize);
        }
    }
};

thread_local OwnedStack tOwnedStack;

struct ThreadStart {
    void* (*routine)(void*);
    void* argument;
};

void* startWithSignalStack(void* start) {
    const ThreadStart copy = *static_cast<ThreadStart*>(start);
    std::free(start);
    TQCrashThreadSignalStack::installForCurrentThread();
    return copy.routine(copy.argument);
}

// Maps a stack with one guard page below it, which turns an overflow of the handler itself into a
// clean fault, and makes it the calling thread's signal stack (`*installed`). Returns 0 or errno;
// `*mapping` is null when the thread already had a stack. Only system calls: safe in a signal
// handler.
int mapSignalStack(void** mapping, std::size_t* mappingSize, stack_t* installed) {
    *mapping = nullptr;
    stack_t current{};
    if (sigaltstack(nullptr, &current) != 0) {
        return errno;
    }
    if ((current.ss_flags & SS_DISABLE) == 0) {
        return 0;
    }
    const auto page = static_cast<std::size_t>(getpagesize());
    *mappingSize = TQCrashThreadSignalStack::kSize + page;
    void* fresh = mmap(nullptr, *mappingSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (fresh == MAP_FAILED) {
        return errno;
    }
    mprotect(fresh, page, PROT_NONE);
    stack_t stack{};
    stack.ss_sp = static_cast<char*>(fresh) + page;
    stack.ss_size = TQCrashThreadSignalStack::kSize;
    if (sigaltstack(&stack, nullptr) != 0) {
        const int error = errno;
        munmap(fresh, *mappingSize);
        return error;
    }
    *mapping = fresh;
    *installed = stack;
    return 0;
}

// Runs on a thread that existed before covering began. Its stack stays for the life of the thread:
// a signal handler cannot arrange for it to be released.
void installFromSignal(int, siginfo_t*, void* context) {
    const int savedErrno = errno;
    void* mapping = nullptr;
    std::size_t mappingSize = 0;
    stack_t installed{};
    if (mapSignalStack(&mapping, &mappingSize, &installed) == 0 && mapping != nullptr) {
        // Returning from a handler restores the signal stack saved when it was entered; the new
        // one must be what it restores.
        static_cast<ucontext_t*>(context)->uc_stack = installed;
    }
    gThreadsCovered.fetch_add(1);
    errno = savedErrno;
}

// Whether a thread of this process blocks `signal` now: a thread that is still starting (or that
// blocks every signal) takes the request only when it unblocks, so it is not waited for.
bool blocks(pid_t thread, int signal) {
    std::ifstream status("/proc/self/task/" + std::to_string(thread) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("SigBlk:", 0) == 0) {
            const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
            return (mask >> (signal - 1) & 1) != 0;
        }
    }
    return false;
}

// Asks every other thread of the process to give itself a stack, and waits a bounded time for
// their answers.
void coverExistingThreads() {
    struct sigaction action {};
    action.sa_sigaction = installFromSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_SIGINFO | SA_RESTART;
    if (sigaction(coverSignal(), &action, nullptr) != 0) {
        return;
    }
    DIR* tasks = opendir("/proc/self/task");
    if (tasks == nullptr) {
        return;
    }
    int awaited = 0;
    while (const dirent* entry = readdir(tasks)) {
        const pid_t thread = static_cast<pid_t>(std::atoi(entry->d_name));
        if (thread <= 0 || thread == gettid()) {
            continue;
        }
        const bool answersNow = !blocks(thread, coverSignal());
        if (tgkill(getpid(), thread, coverSignal()) == 0 && answersNow) {
            ++awaited;
        }
    }
    closedir(tasks);
    const auto deadline = std::chrono::steady_clock::now() + kAnswerLimit;
    while (gThreadsCovered.load() < awaited && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace

int TQCrashThreadSignalStack::installForCurrentThread() {
    void* mapping = nullptr;
    std::size_t mappingSize = 0;
    stack_t installed{};
    const int error = mapSignalStack(&mapping, &mappingSize, &installed);
    if (mapping != nullptr) {
        tOwnedStack.mapping = mapping;
        tOwnedStack.mappingSize = mappingSize;
    }
    return error;
}

void TQCrashThreadSignalStack::coverAllThreads() {
    if (!gCoverNewThreads.exchange(true)) {
        coverExistingThreads();
    }
}

} // namespace tqcrash

// Stands in front of the C library's pthread_create for the whole process, so that threads started
// by any library get their signal stack too.
extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes,
                              void* (*routine)(void*), void* argument) noexcept {
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const auto next = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
    if (!tqcrash::gCoverNewThreads.load()) {
        return next(thread, attributes, routine, argument);
    }
    auto* start = static_cast<tqcrash::ThreadStart*>(std::malloc(sizeof(tqcrash::ThreadStart)));
    if (start == nullptr) {
        return next(thread, attributes, routine, argument);
    }
    *start = tqcrash::ThreadStart{routine, argument};
    const int result = next(thread, attributes, tqcrash::startWithSignalStack, start);
    if (result != 0) {
        std::free(start);
    }
    return result;
}
