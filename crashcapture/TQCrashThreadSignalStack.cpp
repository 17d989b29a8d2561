#include "crashcapture/TQCrashThreadSignalStack.h"

#include <dlfcn.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

namespace tqcrash {

namespace {

std::atomic<bool> gCoverNewThreads{false};

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

} // namespace

int TQCrashThreadSignalStack::installForCurrentThread() {
    stack_t current{};
    if (sigaltstack(nullptr, &current) != 0) {
        return errno;
    }
    if ((current.ss_flags & SS_DISABLE) == 0) {
        return 0;
    }
    // One guard page below the stack turns an overflow of the handler itself into a clean fault.
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t mappingSize = kSize + page;
    void* mapping = mmap(nullptr, mappingSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) {
        return errno;
    }
    mprotect(mapping, page, PROT_NONE);
    stack_t fresh{};
    fresh.ss_sp = static_cast<char*>(mapping) + page;
    fresh.ss_size = kSize;
    if (sigaltstack(&fresh, nullptr) != 0) {
        const int error = errno;
        munmap(mapping, mappingSize);
        return error;
    }
    tOwnedStack.mapping = mapping;
    tOwnedStack.mappingSize = mappingSize;
    return 0;
}

void TQCrashThreadSignalStack::coverNewThreads() {
    gCoverNewThreads.store(true);
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
