#include "platform/tqkit/TQKitMutex.h"
#include "platform/tqkit/TQKitProgressTracker.h"
#include "platform/tqkit/TQKitThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

namespace {

// Counts until asked to stop, reporting through a progress tracker as a real worker would.
class CountingThread final : public TQKitThread {
public:
    explicit CountingThread(TQKitProgressTracker& tracker) : tracker_(tracker) {}
    ~CountingThread() override { Join(); }

    std::atomic<long> rounds{0};

protected:
    void Run() override
    {
        while (!StopRequested() && !tracker_.IsStopped()) {
            ++rounds;
            tracker_.setProgress(static_cast<double>(rounds.load() % 100) / 100.0);
            std::this_thread::yield();
        }
        tracker_.setStatusText("stopped");
    }

private:
    TQKitProgressTracker& tracker_;
};

TEST(TQKitThreadTest, RunsUntilTheStopFlagIsSetAndJoins)
{
    TQKitProgressTracker tracker;
    CountingThread thread(tracker);
    ASSERT_TRUE(thread.Start());
    EXPECT_FALSE(thread.Start()); // not twice while it runs
    while (thread.rounds.load() < 1000)
        std::this_thread::yield();

    thread.RequestStop();
    thread.Join();
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(tracker.statusText(), "stopped");

    // A joined thread can run again; the tracker's own stop ends it too.
    tracker.Stop();
    ASSERT_TRUE(thread.Start());
    thread.Join();
    EXPECT_FALSE(thread.IsRunning());
}

TEST(TQKitThreadTest, ProgressIsClampedAndMutexGuardsSharedState)
{
    TQKitProgressTracker tracker;
    tracker.setProgress(1.5);
    EXPECT_EQ(tracker.progress(), 1.0);
    tracker.setProgress(-2);
    EXPECT_EQ(tracker.progress(), 0.0);

    static TQKitMutex mutex;
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) {
                std::lock_guard lock(mutex);
                ++counter;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 40000);
    ASSERT_TRUE(mutex.try_lock());
    EXPECT_FALSE(mutex.try_lock());
    mutex.unlock();
}

} // namespace
