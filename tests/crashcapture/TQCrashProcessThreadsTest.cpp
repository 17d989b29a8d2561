#include "crashcapture/TQCrashFrameCursor.h"
#include "crashcapture/TQCrashImageList.h"
#include "crashcapture/TQCrashProcessThreads.h"
#include "crashcapture/TQCrashReportWriter.h"
#include "platform/darwin/ThreadControl.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <thread>
#include <vector>

namespace tqcrash::async {
namespace {

// Threads that wait in a function of their own until released; each records its id and the
// return address of that function, which a walk of its stack must pass.
class ParkedThreads final {
public:
    explicit ParkedThreads(int count, bool blockCapture = false) : blockCapture_(blockCapture), ids_(count), returns_(count) {
        for (int i = 0; i < count; ++i) {
            threads_.emplace_back([this, i] { body(i); });
        }
        while (ready_.load() < count) {
            std::this_thread::yield();
        }
    }
    ~ParkedThreads() {
        go_.store(1);
        go_.notify_all();
        for (auto& thread : threads_) {
            thread.join();
        }
    }

    pid_t id(int i) const { return ids_[i]; }
    std::uint64_t parkedReturn(int i) const { return returns_[i]; }

private:
    void body(int i) {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, sonvale::darwin::thread_capture_signal());
        if (blockCapture_) {
            pthread_sigmask(SIG_BLOCK, &set, nullptr);
        }
        ids_[i] = gettid();
        park(i);
        if (blockCapture_) {
            // The capture signal still pending arrives now, after its session: it must not park us.
            pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        }
    }

    [[gnu::noinline]] void park(int i) {
        returns_[i] = reinterpret_cast<std::uintptr_t>(__builtin_return_address(0));
        ready_.fetch_add(1);
        while (go_.load() == 0) {
            go_.wait(0);
        }
        __asm__ volatile("" ::: "memory");
    }

    bool blockCapture_;
    std::vector<pid_t> ids_;
    std::vector<std::uint64_t> returns_;
    std::atomic<int> ready_{0};
    std::atomic<int> go_{0};
    std::vector<std::thread> threads_;
};

std::vector<std::uint64_t> walk(const tqcrash_async_thread_state& state) {
    image_list& images = process_image_list();
    frame_cursor cursor;
    image_list_set_reading(&images, true);
    frame_cursor_init(&cursor, &state, &images);
    std::vector<std::uint64_t> pcs;
    while (pcs.size() < 64 && frame_cursor_next(&cursor) == FRAME_ESUCCESS) {
        std::uint64_t pc = 0;
        frame_cursor_get_register(&cursor, TQCRASH_REG_IP, &pc);
        pcs.push_back(pc);
    }
    image_list_set_reading(&images, false);
    return pcs;
}

TEST(TQCrashProcessThreadsTest, FiftyParkedThreadsAreStoppedWalkedAndResumed) {
    image_list_follow_process_images(&process_image_list());
    const crash_thread_source* source = process_threads_prepare();
    ASSERT_NE(source, nullptr);
    ParkedThreads parked(50);

    std::vector<pid_t> listed(sonvale::darwin::kThreadCaptureCapacity);
    std::uint32_t count = 0;
    ASSERT_TRUE(source->suspend_all(source->context, listed.data(), sonvale::darwin::kThreadCaptureCapacity, &count));
    listed.resize(count);
    std::vector<std::string> failures;
    for (int i = 0; i < 50; ++i) {
        if (std::find(listed.begin(), listed.end(), parked.id(i)) == listed.end()) {
            failures.push_back("thread " + std::to_string(i) + " not listed");
            continue;
        }
        tqcrash_async_thread_state state;
        if (!source->read_state(source->context, parked.id(i), &state)) {
            failures.push_back("thread " + std::to_string(i) + " has no state");
            continue;
        }
        const auto pcs = walk(state);
        if (std::find(pcs.begin(), pcs.end(), parked.parkedReturn(i)) == pcs.end()) {
            failures.push_back("thread " + std::to_string(i) + ": the walk misses its parking function's caller");
        }
    }
    tqcrash_async_thread_state own;
    EXPECT_FALSE(source->read_state(source->context, gettid(), &own)) << "the calling thread is not stopped";
    source->resume_all(source->context);
    EXPECT_TRUE(failures.empty()) << failures.front();
    // ~ParkedThreads releases and joins them: a thread still stopped would hang here.
}

TEST(TQCrashProcessThreadsTest, AThreadThatBlocksTheSignalTimesOutIntoNoStateAndGoesOnAfterwards) {
    const crash_thread_source* source = process_threads_prepare();
    ASSERT_NE(source, nullptr);
    ParkedThreads blocking(1, /*blockCapture=*/true);
    ParkedThreads answering(1);

    std::vector<pid_t> listed(sonvale::darwin::kThreadCaptureCapacity);
    std::uint32_t count = 0;
    ASSERT_TRUE(source->suspend_all(source->context, listed.data(), sonvale::darwin::kThreadCaptureCapacity, &count));
    tqcrash_async_thread_state state;
    EXPECT_FALSE(source->read_state(source->context, blocking.id(0), &state));
    EXPECT_TRUE(source->read_state(source->context, answering.id(0), &state));
    source->resume_all(source->context);
    // ~ParkedThreads: the blocking thread unblocks the signal and must still come to its end.
}

} // namespace
} // namespace tqcrash::async
