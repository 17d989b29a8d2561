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
constinit std::atomic<bool> gInstalled{false};

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
            gCaptured.fetch_add(1);
            futex(&gCaptured, FUTEX_WAKE, INT32_MAX, nullptr);
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

kern_return_t thread_suspend_all(const pid_t* threads, std::uint32_t count, std::uint32_t timeout_ms) {
    if (!gInstalled.load()) {
        return KERN_FAILURE;
    }
    const int savedErrno = errno;
    const std::uint32_t session = (gSession.load() | 1) + 2;
    count = count < kThreadCaptureCapacity ? count : kThreadCaptureCapacity;
    gCaptured.store(0);
    for (std::uint32_t i = 0; i < count; ++i) {
        gSlots[i].thread.store(threads[i]);
        gSlots[i].phase.store(kIdle);
    }
    gSlotCount.store(count);
    gSession.store(session);

    const pid_t self = gettid();
    const pid_t process = getpid();
    std::uint32_t asked = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (threads[i] == self) {
            continue;
        }
        siginfo_t info{};
        info.si_signo = thread_capture_signal();
        info.si_code = SI_QUEUE;
        info.si_pid = process;
        info.si_uid = getuid();
        info.si_value.sival_ptr = reinterpret_cast<void*>(static_cast<std::uintptr_t>(packValue(session, i)));
        gSlots[i].phase.store(kAsked);
        if (syscall(SYS_rt_tgsigqueueinfo, process, threads[i], info.si_signo, &info) == 0) {
            ++asked;
        } else {
            gSlots[i].phase.store(kIdle);
        }
    }

    const std::uint64_t deadline = nowMs() + timeout_ms;
    for (std::uint32_t captured; (captured = gCaptured.load()) < asked;) {
        const std::uint64_t now = nowMs();
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

} // namespace sonvale::darwin
