// A small program that enables the crash reporter, then crashes the way its first argument names.
// Tests run it as a child process and read the report back from below the base folder of its
// second argument (see CrashChildPaths.h). The third argument chooses the reporter's mode.
//
//   tqcrash_crash_child KIND BASE [signal|mach]
//
// Kinds: segv (a read of address 0), wild (a write far from any mapping), main-stack-overflow,
// thread-stack-overflow, bus, fpe, ill, trap, abrt, sys (a call refused by a system-call filter),
// cxx-exception (uncaught), pc-zero (a call through a null function pointer), bad-sp (a push with
// a ruined stack pointer), two-threads (two threads fault at the same moment), many-threads (20
// threads fault at the same moment: more than a port queues), threads-segv (50
// threads wait in parkedThread() first), sandboxed-segv (under a filter refusing
// process_vm_readv), malloc-parked (a thread waits inside malloc holding its lock, and malloc
// refuses to serve the crash path), sent-segv (SIGSEGV sent with kill()), sent-segv-caught (the
// same, to a program that catches SIGSEGV itself and exits with 0). "abrt" writes the return address of the crashing function (a
// place in main) to BASE/abrt.caller first.

#include "CrashChildPaths.h"
#include "Sandbox.h"
#include "crashcapture/TQCrashMachExceptionPort.h"
#include "crashcapture/TQCrashReporter.h"
#include "crashcapture/TQCrashSignalHandler.h"
#include "platform/darwin/MachPort.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

// The allocator, interposed: every call goes to the C library's own, except that a thread may be
// told to wait inside it holding the allocator's lock, and that a call from the crash path ends the
// child with exit code 97 (the crash path must allocate nothing).
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void __libc_free(void*);
}

namespace {

pthread_mutex_t gAllocatorLock = PTHREAD_MUTEX_INITIALIZER;
std::atomic<bool> gParkInMalloc{false};
std::atomic<bool> gParkedInMalloc{false};
std::atomic<bool> gOnCrashPath{false};

void allocatorEntered() {
    if (gOnCrashPath.load()) {
        static const char message[] = "the crash path allocated\n";
        (void)!write(2, message, sizeof message - 1);
        _exit(97);
    }
}

} // namespace

extern "C" void* malloc(std::size_t size) noexcept {
    allocatorEntered();
    pthread_mutex_lock(&gAllocatorLock);
    if (gParkInMalloc.exchange(false)) {
        gParkedInMalloc.store(true);
        for (;;) {
            pause(); // holding the lock for ever
        }
    }
    void* block = __libc_malloc(size);
    pthread_mutex_unlock(&gAllocatorLock);
    return block;
}

extern "C" void* calloc(std::size_t count, std::size_t size) noexcept {
    allocatorEntered();
    pthread_mutex_lock(&gAllocatorLock);
    void* block = __libc_calloc(count, size);
    pthread_mutex_unlock(&gAllocatorLock);
    return block;
}

extern "C" void* realloc(void* block, std::size_t size) noexcept {
    allocatorEntered();
    pthread_mutex_lock(&gAllocatorLock);
    void* moved = __libc_realloc(block, size);
    pthread_mutex_unlock(&gAllocatorLock);
    return moved;
}

extern "C" void free(void* block) noexcept {
    if (block == nullptr) {
        return;
    }
    allocatorEntered();
    pthread_mutex_lock(&gAllocatorLock);
    __libc_free(block);
    pthread_mutex_unlock(&gAllocatorLock);
}

namespace {

using namespace tqcrash;

// Signal mode: first in the signal chain, from here on the process is on its crash path.
bool enterCrashPath(int signal, siginfo_t* info, ucontext_t* context, void*,
                    const async::signal_handler_continuation* next) {
    gOnCrashPath.store(true);
    return next != nullptr && (*next)(signal, info, context);
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winfinite-recursion"
[[gnu::noinline]] int overflow(int depth) {
    volatile char frame[1024];
    frame[0] = static_cast<char>(depth);
    return overflow(depth + 1) + frame[0];
}
#pragma GCC diagnostic pop

// The earlier exception handler: it repairs the fault by making the page readable.
async::kern_return_t makePageReadable(async::task_t, async::thread_t, async::exception_type_t,
                               const async::mach_exception_data_type_t* codes, async::mach_msg_type_number_t count,
                               void*) {
    if (count < 2) {
        return sonvale::darwin::KERN_FAILURE;
    }
    const auto page = static_cast<std::uintptr_t>(codes[1]) & ~std::uintptr_t{4095};
    return mprotect(reinterpret_cast<void*>(page), 4096, PROT_READ) == 0 ? sonvale::darwin::KERN_SUCCESS
                                                                         : sonvale::darwin::KERN_FAILURE;
}

// Mach mode: the faulting thread's own exception registration, which the delivery asks before the
// task's (the reporter's server): from here on the process is on its crash path. (A member of the
// signal chain would not do: the chain runs every member for every signal, so the reporter's
// SIGABRT callback would write the report on the signal path.)
async::kern_return_t markCrashPath(async::task_t, async::thread_t, async::exception_type_t,
                                   const async::mach_exception_data_type_t*, async::mach_msg_type_number_t, void*) {
    gOnCrashPath.store(true);
    return sonvale::darwin::KERN_FAILURE;
}

// An exception server for bad accesses, registered for the calling thread or for the whole task.
std::unique_ptr<TQCrashMachExceptionServer> registerBadAccessHandler(mach_exception_callback callback,
                                                                     bool callingThreadOnly) {
    auto server = TQCrashMachExceptionServer::initWithCallBackContextError(callback, nullptr, nullptr);
    const auto port = server ? server->exceptionPortWithMaskError(sonvale::darwin::EXC_MASK_BAD_ACCESS, nullptr) : nullptr;
    const bool registered =
        port && (callingThreadOnly
                     ? port->registerForThreadPreviousPortSetError(sonvale::darwin::mach_thread_self(), nullptr, nullptr)
                     : port->registerForTaskPreviousPortSetError(sonvale::darwin::mach_task_self(), nullptr, nullptr));
    return registered ? std::move(server) : nullptr;
}

// Where the post-crash callback writes, made before the crash.
char gCallbackPath[4096];

void writeSignalNumber(siginfo_t* info, ucontext_t*, void*) {
    const int fd = open(gCallbackPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    char digits[4] = {static_cast<char>('0' + info->si_signo / 10), static_cast<char>('0' + info->si_signo % 10)};
    (void)!write(fd, digits, 2);
    close(fd);
}

std::atomic<int> gParked{0};

[[gnu::noinline]] void parkedThread() {
    gParked.fetch_add(1);
    for (;;) {
        pause();
    }
}

std::atomic<int> gReady{0};
int gTogether = 2;

[[gnu::noinline]] void faultTogether() {
    gReady.fetch_add(1);
    while (gReady.load() < gTogether) {
    }
    __asm__ volatile("movl 0, %%eax" ::: "eax", "memory");
}

// Not inlined, so that the crashing frame and its caller, main, both lie in this executable.
[[gnu::noinline]] int crashBy(const std::string& kind, const std::string& base) {
    // Machine instructions, not C++: the compiler may neither drop nor reinterpret these crashes.
    if (kind == "threads-segv") {
        for (int i = 0; i < 50; ++i) {
            std::thread(parkedThread).detach();
        }
        while (gParked.load() < 50) {
            std::this_thread::yield();
        }
    }
    if (kind == "malloc-parked") {
        static std::atomic<bool> go{false};
        std::thread([] {
            while (!go.load()) {
                sched_yield();
            }
            std::free(std::malloc(16));
        }).detach();
        gParkInMalloc.store(true);
        go.store(true);
        while (!gParkedInMalloc.load()) {
            sched_yield();
        }
    }
    if (kind == "segv" || kind == "sandboxed-segv" || kind == "threads-segv" || kind == "malloc-parked" ||
        kind == "callback") {
        __asm__ volatile("movl 0, %%eax" ::: "eax", "memory"); // a read of address 0
    } else if (kind == "wild") {
        __asm__ volatile("movabsq $0x5eadbeef000, %%rax; movl $1, (%%rax)" ::: "rax", "memory");
    } else if (kind == "fpe") {
        __asm__ volatile("xorl %%ecx, %%ecx; movl $1, %%eax; cltd; idivl %%ecx" ::: "eax", "ecx", "edx");
    } else if (kind == "ill") {
        __asm__ volatile("ud2");
    } else if (kind == "trap") {
        __asm__ volatile("int3");
    } else if (kind == "bus") {
        // Touching a shared mapping past the end of its file.
        const std::string path = base + "/empty";
        const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
        unlink(path.c_str());
        auto* page = static_cast<volatile char*>(mmap(nullptr, 4096, PROT_READ, MAP_SHARED, fd, 0));
        return page == MAP_FAILED ? 2 : page[0];
    } else if (kind == "abrt") {
        std::ofstream(base + "/abrt.caller") << reinterpret_cast<std::uintptr_t>(__builtin_return_address(0));
        std::abort();
    } else if (kind == "sys") {
        if (!test::trapSystemCall(SYS_sysfs)) {
            return 6;
        }
        syscall(SYS_sysfs, 3);
    } else if (kind == "cxx-exception") {
        throw std::runtime_error("nobody catches this");
    } else if (kind == "pc-zero") {
        void (*volatile nowhere)() = nullptr;
        nowhere();
    } else if (kind == "bad-sp") {
        __asm__ volatile("movq $0x10, %%rsp; pushq %%rax" ::: "memory");
    } else if (kind == "main-stack-overflow") {
        return overflow(0);
    } else if (kind == "thread-stack-overflow") {
        std::thread worker([] { overflow(0); });
        worker.join();
    } else if (kind == "earlier-handler") {
        auto* page = static_cast<volatile char*>(mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        return page == MAP_FAILED ? 2 : page[0];
    } else if (kind == "sent-segv" || kind == "sent-segv-caught") {
        kill(getpid(), SIGSEGV);
    } else if (kind == "two-threads" || kind == "many-threads") {
        gTogether = kind == "two-threads" ? 2 : 20;
        for (int i = 1; i < gTogether; ++i) {
            std::thread(faultTogether).detach();
        }
        faultTogether();
    }
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: tqcrash_crash_child KIND BASE [signal|mach]\n", stderr);
        return 2;
    }
    const std::string kind = argv[1];
    const bool mach = argc > 3 && std::strcmp(argv[3], "mach") == 0;
    if (kind == "sandboxed-segv" && (!test::refuseProcessVmReadv() || !test::processVmReadvIsRefused())) {
        return 5;
    }
    std::unique_ptr<TQCrashMachExceptionServer> earlier;
    if (kind == "earlier-handler" && !(earlier = registerBadAccessHandler(makePageReadable, false))) {
        return 7;
    }
    if (kind == "sent-segv-caught") {
        std::signal(SIGSEGV, [](int) { _exit(0); });
    }
    TQCrashReporter reporter = test::makeChildReporter(argv[2], mach);
    if (kind == "callback") {
        std::snprintf(gCallbackPath, sizeof gCallbackPath, "%s/callback", argv[2]);
        const TQCrashReporterCallbacks callbacks{0, nullptr, writeSignalNumber};
        reporter.setCrashCallbacks(&callbacks);
    }
    TQCrashReporterError error;
    if (!reporter.enableCrashReporterAndReturnError(&error)) {
        std::fprintf(stderr, "%s\n", error.description.c_str());
        return 3;
    }
    std::unique_ptr<TQCrashMachExceptionServer> marker;
    if (kind == "malloc-parked" &&
        (mach ? !(marker = registerBadAccessHandler(markCrashPath, true))
              : !TQCrashSignalHandler::sharedHandler().registerHandlerForSignalCallbackContextError(
                    SIGSEGV, enterCrashPath, nullptr, nullptr))) {
        return 4;
    }
    return crashBy(kind, argv[2]);
}
