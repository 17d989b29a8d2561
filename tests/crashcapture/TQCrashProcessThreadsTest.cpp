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
#include <chrono>
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

// Threads that hold the capture signal blocked and let it through one after another, each `step`
// after the one before it once a session has asked them: answers that come late but steadily, as
// on a loaded machine. A signal let through after its session is ignored, and the thread goes on.
class RelayThreads final {
public:
    RelayThreads(int count, std::chrono::milliseconds step) : step_(step), ids_(count), passed_(count) {
        for (int i = 0; i < count; ++i) {
            threads_.emplace_back([this, i] { body(i); });
        }
        while (ready_.load() < count) {
            std::this_thread::yield();
        }
    }
    ~RelayThreads() {
        go_.store(true);
        go_.notify_all();
        for (auto& passed : passed_) {
            passed.store(true);
            passed.notify_all();
        }
        for (auto& thread : threads_) {
            thread.join();
        }
    }

    pid_t id(int i) const { return ids_[i]; }

private:
    void body(int i) {
        const int signal = sonvale::darwin::thread_capture_signal();
        sigset_t capture;
        sigemptyset(&capture);
        sigaddset(&capture, signal);
        pthread_sigmask(SIG_BLOCK, &capture, nullptr);
        ids_[i] = gettid();
        ready_.fetch_add(1);
        for (sigset_t pending; !go_.load() && (sigpending(&pending) != 0 || sigismember(&pending, signal) != 1);) {
            std::this_thread::yield();
        }
        if (i > 0) {
            passed_[i - 1].wait(false);
        }
        std::this_thread::sleep_for(step_);
        passed_[i].store(true);
        passed_[i].notify_all();
        pthread_sigmask(SIG_UNBLOCK, &capture, nullptr); // the pending signal is taken here
        go_.wait(false);
    }

    std::chrono::milliseconds step_;
    std::vector<pid_t> ids_;
    std::vector<std::atomic<bool>> passed_;
    std::atomic<int> ready_{0};
    std::atomic<bool> go_{false};
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

TEST(TQCrashProcessThreadsTest, ThreadsThatAnswerLateButSteadilyAreAllStopped) {
    const crash_thread_source* source = process_threads_prepare();
    ASSERT_NE(source, nullptr);
    // Six answers a tenth of a second apart: well past the quiet period in all, never one apart.
    constexpr int kRelay = 6;
    static_assert(kRelay * 100 > kThreadStopQuietMs);
    RelayThreads relay(kRelay, std::chrono::milliseconds(100));

    std::vector<pid_t> listed(sonvale::darwin::kThreadCaptureCapacity);
    std::uint32_t count = 0;
    ASSERT_TRUE(source->suspend_all(source->context, listed.data(), sonvale::darwin::kThreadCaptureCapacity, &count));
    std::vector<int> withoutState;
    for (int i = 0; i < kRelay; ++i) {
        tqcrash_async_thread_state state;
        if (!source->read_state(source->context, relay.id(i), &state)) {
            withoutState.push_back(i);
        }
    }
    source->resume_all(source->context);
    EXPECT_TRUE(withoutState.empty()) << withoutState.size() << " of " << kRelay << " threads lost, the first "
                                      << withoutState.front();
}

TEST(TQCrashProcessThreadsTest, ThreadsThatKeepAnsweringAreNotWaitedForBeyondTheOverallLimit) {
    ASSERT_TRUE(sonvale::darwin::thread_control_install());
    // Answers 150 ms apart, each within the quiet period; the last comes at least 900 ms after the
    // request, past the limit of 600 ms.
    constexpr int kRelay = 6;
    RelayThreads relay(kRelay, std::chrono::milliseconds(150));

    std::vector<pid_t> listed(sonvale::darwin::kThreadCaptureCapacity);
    std::uint32_t count = 0;
    ASSERT_EQ(sonvale::darwin::task_threads(listed.data(), sonvale::darwin::kThreadCaptureCapacity, &count),
              sonvale::darwin::KERN_SUCCESS);
    ASSERT_EQ(sonvale::darwin::thread_suspend_all(listed.data(), count, 250, 600), sonvale::darwin::KERN_SUCCESS);
    sonvale::darwin::x86_thread_state64_t state{};
    sonvale::darwin::x86_exception_state64_t exception{};
    const kern_return_t last = sonvale::darwin::thread_get_state(relay.id(kRelay - 1), &state, &exception);
    sonvale::darwin::thread_resume_all();
    EXPECT_EQ(last, sonvale::darwin::KERN_OPERATION_TIMED_OUT);
}

} // namespace
} // namespace tqcrash::async
