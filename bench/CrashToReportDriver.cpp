// Time from a fault to the closed report, with 50 other threads to stop and walk, in both of the
// reporter's modes. Each sample is a child process that enables the reporter, parks 50 threads,
// notes the time and faults; the post-crash callback, which runs once the report is closed (on the
// crashed thread, or on the exception server's thread in mach mode), notes the time again.
// Samples alternate between the modes. Prints every sample's milliseconds, then median and p99 of
// each mode as the last line.
//
//   sonvale-crash-to-report [SAMPLES]

#include "crashcapture/TQCrashReporter.h"

#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <new>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Sample {
    std::atomic<std::int64_t> faultNs;
    std::atomic<std::int64_t> closedNs;
};

Sample* gSample = nullptr;

std::int64_t nowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void reportClosed(siginfo_t*, ucontext_t*, void*) {
    gSample->closedNs.store(nowNs());
}

[[noreturn]] void crashingChild(const std::string& base, std::uint64_t mode) {
    tqcrash::TQCrashReporter reporter(
        "com.sonvale.crashbench", "1", std::nullopt,
        tqcrash::TQCrashReporterConfig::initWithSignalHandlerTypeSymbolicationStrategyBasePath(mode, 0, base));
    const tqcrash::TQCrashReporterCallbacks callbacks{0, nullptr, reportClosed};
    reporter.setCrashCallbacks(&callbacks);
    if (!reporter.enableCrashReporter()) {
        _exit(3);
    }
    std::atomic<int> parked{0};
    for (int i = 0; i < 50; ++i) {
        std::thread([&parked] {
            parked.fetch_add(1);
            for (;;) {
                pause();
            }
        }).detach();
    }
    while (parked.load() < 50) {
        std::this_thread::yield();
    }
    gSample->faultNs.store(nowNs());
    __asm__ volatile("movl 0, %%eax" ::: "eax", "memory");
    _exit(2);
}

struct Figures {
    double median;
    double p99;
};

Figures figuresOf(std::vector<double> millis) {
    std::sort(millis.begin(), millis.end());
    return {millis[millis.size() / 2],
            millis[std::min(millis.size() - 1, static_cast<std::size_t>(millis.size() * 0.99))]};
}

} // namespace

int main(int argc, char** argv) {
    const int samples = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    void* shared = mmap(nullptr, sizeof(Sample), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED) {
        return 1;
    }
    gSample = new (shared) Sample{};
    char pattern[] = "/tmp/crash-to-report.XXXXXX";
    const std::string base = mkdtemp(pattern);

    const std::uint64_t modes[] = {tqcrash::TQCrashSignalHandlerTypeBSD, tqcrash::TQCrashSignalHandlerTypeMach};
    std::vector<double> millis[2];
    for (int i = 0; i < 2 * samples; ++i) {
        const int mode = i % 2;
        gSample->faultNs.store(0);
        gSample->closedNs.store(0);
        const pid_t child = fork();
        if (child == 0) {
            crashingChild(base, modes[mode]);
        }
        int status = 0;
        waitpid(child, &status, 0);
        const std::int64_t fault = gSample->faultNs.load();
        const std::int64_t closed = gSample->closedNs.load();
        if (!WIFSIGNALED(status) || fault == 0 || closed < fault) {
            std::fprintf(stderr, "sample %d: no report (status %d)\n", i, status);
            continue;
        }
        millis[mode].push_back(static_cast<double>(closed - fault) / 1e6);
        std::printf("%s %.3f\n", mode == 0 ? "signal" : "mach", millis[mode].back());
    }
    std::filesystem::remove_all(base);
    if (millis[0].empty() || millis[1].empty()) {
        return 1;
    }
    const Figures signal = figuresOf(millis[0]);
    const Figures mach = figuresOf(millis[1]);
    std::printf("crash-to-report with 50 threads over %zu samples per mode: signal median %.2f ms, p99 %.2f ms; "
                "mach median %.2f ms, p99 %.2f ms\n",
                std::min(millis[0].size(), millis[1].size()), signal.median, signal.p99, mach.median, mach.p99);
    return 0;
}
