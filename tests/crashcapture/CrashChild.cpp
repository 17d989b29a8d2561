// A small program that prepares the crash engine as the reporter does, then crashes the way its
// first argument names; the report goes to the path of its second argument. Tests run it as a
// child process and read the report back.
//
//   tqcrash_crash_child segv|fpe|ill|trap|bus|abrt|thread-stack-overflow|sandboxed-segv REPORT
//
// "sandboxed-segv" first puts the child under a seccomp filter that refuses process_vm_readv.

#include "crashcapture/TQCrashImageList.h"
#include "crashcapture/TQCrashLogWriter.h"
#include "crashcapture/TQCrashReportWriter.h"
#include "crashcapture/TQCrashSignalHandler.h"
#include "Sandbox.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

using namespace tqcrash::async;

constexpr int kCrashSignals[] = {SIGABRT, SIGBUS, SIGFPE, SIGILL, SIGSEGV, SIGTRAP};

crash_handler_context gContext;

// What the reporter's signal callback does: default actions back, the report, then "not handled"
// so that the entry re-raises the signal and the process ends by it.
bool writeReport(int signal, siginfo_t* info, ucontext_t* context, void* handlerContext,
                 const signal_handler_continuation*) {
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    for (int each : kCrashSignals) {
        sigaction(each, &defaultAction, nullptr);
    }
    tqcrash_async_thread_state state;
    thread_state_init_from_mcontext(&state, &context->uc_mcontext);
    const crash_signal_facts facts{signal, info->si_code,
                                   static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(info->si_addr))};
    const crash_signal_info signalInfo{&facts, nullptr};
    crash_log_write_to_path(static_cast<crash_handler_context*>(handlerContext), current_thread_id(), &state,
                            &signalInfo);
    return false;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winfinite-recursion"
[[gnu::noinline]] int overflow(int depth) {
    volatile char frame[1024];
    frame[0] = static_cast<char>(depth);
    return overflow(depth + 1) + frame[0];
}
#pragma GCC diagnostic pop

// Not inlined, so that the crashing frame and its caller, main, both lie in this executable.
[[gnu::noinline]] int crashBy(const std::string& kind, const std::string& reportPath) {
    // Machine instructions, not C++: the compiler may neither drop nor reinterpret these crashes.
    if (kind == "segv" || kind == "sandboxed-segv") {
        __asm__ volatile("movl 0, %%eax" ::: "eax", "memory"); // a read of address 0
    } else if (kind == "fpe") {
        __asm__ volatile("xorl %%ecx, %%ecx; movl $1, %%eax; cltd; idivl %%ecx" ::: "eax", "ecx", "edx");
    } else if (kind == "ill") {
        __asm__ volatile("ud2");
    } else if (kind == "trap") {
        __asm__ volatile("int3");
    } else if (kind == "bus") {
        // Touching a shared mapping past the end of its file.
        const std::string path = reportPath + ".empty";
        const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
        unlink(path.c_str());
        auto* page = static_cast<volatile char*>(mmap(nullptr, 4096, PROT_READ, MAP_SHARED, fd, 0));
        return page == MAP_FAILED ? 2 : page[0];
    } else if (kind == "abrt") {
        std::abort();
    } else if (kind == "thread-stack-overflow") {
        std::thread worker([] { overflow(0); });
        worker.join();
    }
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: tqcrash_crash_child KIND REPORT\n", stderr);
        return 2;
    }
    if (std::strcmp(argv[1], "sandboxed-segv") == 0 &&
        (!tqcrash::test::refuseProcessVmReadv() || !tqcrash::test::processVmReadvIsRefused())) {
        return 5;
    }
    if (crash_log_writer_init(&gContext.writer, "com.sonvale.crashchild", "1.0", "1.0.21", 0, false) !=
        tqcrash::TQCRASH_ESUCCESS) {
        return 3;
    }
    gContext.report_path = strdup(argv[2]);
    image_list_follow_process_images(&process_image_list());
    for (int signal : kCrashSignals) {
        if (!tqcrash::TQCrashSignalHandler::sharedHandler().registerHandlerForSignalCallbackContextError(
                signal, writeReport, &gContext, nullptr)) {
            return 4;
        }
    }
    return crashBy(argv[1], argv[2]);
}
