#include "platform/darwin/ThreadControl.h"

#include <fcntl.h>
#include <linux/futex.h>
#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstddef>

namespace sonvale::darwin {

namespace {

enum Phase : std::uint32_t { kIdle = 0, kAsked = 1, kCaptured = 2 };

struct CaptureSlot {
    std::atomic<pid_t> thread{0};
    std::atomic<std::uint32_t> phase{kIdle};
    x86_thread_state64_t state{};
    x86_exception_state64_t exception{};
};

constinit CaptureSlot gSlots[kThreadCaptureCapacity];
constinit std::atomic<std::uint32_t> gSlotCount{0};
// Odd while a session runs; a signal names the session it belongs to.
constinit std::atomic<std::uint32_t> gSession{0};
constinit std::atomic<std::uint32_t> gCaptured{0};
// When the last capture of the session was made (monotonic milliseconds); the session's start
// until the first.
constinit std::atomic<std::uint64_t> gLastCaptureMs{0};
// How many captures the suspending thread waits for; the capture that completes them wakes it, so
// that it is not woken once per thread. UINT32_MAX while the requests are still going out.
constinit std::atomic<std::uint32_t> gAwaited{UINT32_MAX};
constinit std::atomic<bool> gInstalled{false};

// Threads stopped for an exception, with the registers of their fault. `thread` is 0 when the
// entry is free and -1 while it is being filled.
struct ExceptionWait {
    std::atomic<pid_t> thread{0};
    x86_thread_state64_t state{};
    x86_exception_state64_t exception{};
};

constinit ExceptionWait gExceptionWaits[kExceptionWaitCapacity];

const ExceptionWait* exceptionWaitOf(pid_t thread) {
    for (const ExceptionWait& wait : gExceptionWaits) {
        if (wait.thread.load() == thread) {
            return &wait;
        }
    }
    return nullptr;
}

long futex(std::atomic<std::uint32_t>* word, int op, std::uint32_t value, const timespec* timeout) {
    return syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(word), op | FUTEX_PRIVATE_FLAG, value, timeout,
                   nullptr, 0);
}

std::uint64_t nowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000 + static_cast<std::uint64_t>(now.tv_nsec) / 1000000;
}

// The session and slot a capture signal carries.
std::uint64_t packValue(std::uint32_t session, std::uint32_t slot) {
    return (std::uint64_t{session} << 32) | slot;
}

void captureHandler(int, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    const auto value = reinterpret_cast<std::uintptr_t>(info->si_value.sival_ptr);
    const auto session = static_cast<std::uint32_t>(value >> 32);
    const auto index = static_cast<std::uint32_t>(value & 0xFFFFFFFFu);
    if (info->si_code == SI_QUEUE && info->si_pid == getpid() && index < kThreadCaptureCapacity &&
        session == gSession.load() && (session & 1) != 0 && gSlots[index].thread.load() == gettid()) {
        CaptureSlot& slot = gSlots[index];
        threadStateFromMcontext(static_cast<ucontext_t*>(context)->uc_mcontext, &slot.state, &slot.exception);
        std::uint32_t asked = kAsked;
        if (slot.phase.compare_exchange_strong(asked, kCaptured)) {
            gLastCaptureMs.store(nowMs());
            if (gCaptured.fetch_add(1) + 1 >= gAwaited.load()) {
                futex(&gCaptured, FUTEX_WAKE, INT32_MAX, nullptr);
            }
            // Parked until the session ends.
            while (gSession.load() == session) {
                futex(&gSession, FUTEX_WAIT, session, nullptr);
            }
        }
    }
    errno = savedErrno;
}

} // namespace

int thread_capture_signal() {
    return SIGRTMIN + 7;
}

bool thread_control_install() {
    if (gInstalled.load()) {
        return true;
    }
    struct sigaction action {};
    action.sa_sigaction = captureHandler;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESTART;
    sigfillset(&action.sa_mask);
    if (sigaction(thread_capture_signal(), &action, nullptr) != 0) {
        return false;
    }
    gInstalled.store(true);
    return true;
}

kern_return_t task_threads(pid_t* threads, std::uint32_t capacity, std::uint32_t* count) {
    *count = 0;
    const int savedErrno = errno;
    const int fd = open("/proc/self/task", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        errno = savedErrno;
        return KERN_FAILURE;
    }
    alignas(8) char buffer[4096];
    for (;;) {
        const long size = syscall(SYS_getdents64, fd, buffer, sizeof buffer);
        if (size <= 0) {
            break;
        }
        for (long at = 0; at < size;) {
            // struct linux_dirent64: inode (8), offset (8), record length (2), type (1), name.
            std::uint16_t length = 0;
            __builtin_memcpy(&length, buffer + at + 16, sizeof length);
            const char* name = buffer + at + 19;
            pid_t thread = 0;
            bool number = name[0] != '\0';
            for (const char* c = name; *c != '\0' && number; ++c) {
                number = *c >= '0' && *c <= '9';
                thread = thread * 10 + (*c - '0');
            }
            if (number && *count < capacity) {
                threads[(*count)++] = thread;
            }
            at += length > 0 ? length : size;
        }
    }
    close(fd);
    errno = savedErrno;
    return KERN_SUCCESS;
}

kern_return_t thread_suspend_all(const pid_t* threads, std::uint32_t count, std::uint32_t quiet_ms,
                                 std::uint32_t limit_ms) {
    if (!gInstalled.load()) {
        return KERN_FAILURE;
    }
    const int savedErrno = errno;
    const std::uint32_t session = (gSession.load() | 1) + 2;
    count = count < kThreadCaptureCapacity ? count : kThreadCaptureCapacity;
    gCaptured.store(0);
    gAwaited.store(UINT32_MAX);
    const std::uint64_t start = nowMs();
    const std::uint64_t limit = start + limit_ms;
    gLastCaptureMs.store(start);
    for (std::uint32_t i = 0; i < count; ++i) {
        gSlots[i].thread.store(threads[i]);
        gSlots[i].phase.store(kIdle);
    }
    gSlotCount.store(count);
    gSession.store(session);

    const pid_t self = gettid();
    const pid_t process = getpid();
    const uid_t user = getuid();
    std::uint32_t asked = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (threads[i] == self) {
            continue;
        }
        siginfo_t info{};
        info.si_signo = thread_capture_signal();
        info.si_code = SI_QUEUE;
        info.si_pid = process;
        info.si_uid = user;
        info.si_value.sival_ptr = reinterpret_cast<void*>(static_cast<std::uintptr_t>(packValue(session, i)));
        if (const ExceptionWait* stopped = exceptionWaitOf(threads[i])) {
            gSlots[i].state = stopped->state;
            gSlots[i].exception = stopped->exception;
            gSlots[i].phase.store(kCaptured);
            continue;
        }
        gSlots[i].phase.store(kAsked);
        if (syscall(SYS_rt_tgsigqueueinfo, process, threads[i], info.si_signo, &info) == 0) {
            ++asked;
        } else {
            gSlots[i].phase.store(kIdle);
        }
    }

    // The wait ends `quiet_ms` after the last capture (or the start), or at the overall limit.
    // Only the capture that completes the session wakes this thread; on waking at a deadline it
    // looks again at when the last capture was made.
    gAwaited.store(asked);
    for (std::uint32_t captured; (captured = gCaptured.load()) < asked;) {
        const std::uint64_t now = nowMs();
        const std::uint64_t quietEnd = gLastCaptureMs.load() + quiet_ms;
        const std::uint64_t deadline = quietEnd < limit ? quietEnd : limit;
        if (now >= deadline) {
            break;
        }
        const std::uint64_t left = deadline - now;
        const timespec wait{static_cast<time_t>(left / 1000), static_cast<long>((left % 1000) * 1000000)};
        futex(&gCaptured, FUTEX_WAIT, captured, &wait);
    }
    errno = savedErrno;
    return KERN_SUCCESS;
}

kern_return_t thread_get_state(pid_t thread, x86_thread_state64_t* state, x86_exception_state64_t* exception) {
    if (const ExceptionWait* stopped = exceptionWaitOf(thread)) {
        *state = stopped->state;
        *exception = stopped->exception;
        return KERN_SUCCESS;
    }
    const std::uint32_t count = gSlotCount.load();
    for (std::uint32_t i = 0; i < count; ++i) {
        if (gSlots[i].thread.load() != thread) {
            continue;
        }
        if (gSlots[i].phase.load() != kCaptured) {
            return KERN_OPERATION_TIMED_OUT;
        }
        *state = gSlots[i].state;
        *exception = gSlots[i].exception;
        return KERN_SUCCESS;
    }
    return KERN_INVALID_ARGUMENT;
}

void thread_resume_all() {
    const int savedErrno = errno;
    gSession.fetch_add(1); // even: no session
    futex(&gSession, FUTEX_WAKE, INT32_MAX, nullptr);
    gSlotCount.store(0);
    errno = savedErrno;
}

void thread_exception_enter(const mcontext_t& context) {
    const pid_t self = gettid();
    for (ExceptionWait& wait : gExceptionWaits) {
        pid_t free = 0;
        if (wait.thread.compare_exchange_strong(free, -1)) {
            threadStateFromMcontext(context, &wait.state, &wait.exception);
            wait.thread.store(self);
            return;
        }
    }
}

void thread_exception_leave() {
    const pid_t self = gettid();
    for (ExceptionWait& wait : gExceptionWaits) {
        pid_t mine = self;
        if (wait.thread.compare_exchange_strong(mine, 0)) {
            return;
        }
    }
}

kern_return_t thread_get_state(thread_t thread, thread_state_flavor_t flavor, natural_t* state,
                               mach_msg_type_number_t* count) {
    x86_thread_state64_t registers{};
    x86_exception_state64_t exception{};
    const mach_msg_type_number_t room = *count;
    const mach_msg_type_number_t needed = flavor == x86_THREAD_STATE64      ? x86_THREAD_STATE64_COUNT
                                          : flavor == x86_THREAD_STATE      ? x86_THREAD_STATE_COUNT
                                          : flavor == x86_EXCEPTION_STATE64 ? x86_EXCEPTION_STATE64_COUNT
                                                                            : 0;
    if (needed == 0 || room < needed) {
        return KERN_INVALID_ARGUMENT;
    }
    if (const kern_return_t read = thread_get_state(static_cast<pid_t>(thread), &registers, &exception);
        read != KERN_SUCCESS) {
        return read;
    }
    natural_t* at = state;
    if (flavor == x86_THREAD_STATE) {
        *at++ = static_cast<natural_t>(x86_THREAD_STATE64);
        *at++ = x86_THREAD_STATE64_COUNT;
    }
    if (flavor == x86_EXCEPTION_STATE64) {
        __builtin_memcpy(at, &exception, sizeof exception);
    } else {
        __builtin_memcpy(at, &registers, sizeof registers);
    }
    *count = needed;
    return KERN_SUCCESS;
}

} // namespace sonvale::darwin
