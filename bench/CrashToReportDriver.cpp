// Time from a fault to the closed report, with 50 other threads to stop and walk. Each sample is a
// child process that enables the reporter in signal mode, parks 50 threads, notes the time and
// faults; the post-crash callback, which runs once the report is closed, notes the time again.
// Prints every sample's milliseconds, then median and p99 as the last line.
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

[[noreturn]] void crashingChild(const std::string& base) {
    tqcrash::TQCrashReporter reporter("com.sonvale.crashbench", "1", std::nullopt,
                                      tqcrash::TQCrashReporterConfig::initWithBasePath(base));
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

    std::vector<double> millis;
    for (int i = 0; i < samples; ++i) {
        gSample->faultNs.store(0);
        gSample->closedNs.store(0);
        const pid_t child = fork();
        if (child == 0) {
            crashingChild(base);
        }
        int status = 0;
        waitpid(child, &status, 0);
        const std::int64_t fault = gSample->faultNs.load();
        const std::int64_t closed = gSample->closedNs.load();
        if (!WIFSIGNALED(status) || fault == 0 || closed < fault) {
            std::fprintf(stderr, "sample %d: no report (status %d)\n", i, status);
            continue;
        }
        millis.push_back(static_cast<double>(closed - fault) / 1e6);
        std::printf("%.3f\n", millis.back());
    }
    std::filesystem::remove_all(base);
    if (millis.empty()) {
        return 1;
    }
    std::sort(millis.begin(), millis.end());
    const double median = millis[millis.size() / 2];
    const double p99 = millis[std::min(millis.size() - 1, static_cast<std::size_t>(millis.size() * 0.99))];
    std::printf("crash-to-report with 50 threads over %zu samples: median %.2f ms, p99 %.2f ms\n", millis.size(),
                median, p99);
    return 0;
}
