#include "platform/system/SerialQueue.h"
#include "platform/system/GlobalQueue.h"
#include "platform/system/ManualExecutor.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>
#include <vector>

using namespace sonvale;
using namespace std::chrono_literals;

TEST(SerialQueueTest, RunsClosuresOneAtATimeInOrderFromManyThreads)
{
    SerialQueue queue("test.queue");
    std::vector<std::pair<int, int>> seen; // touched only on the queue
    std::vector<std::thread> posters;
    for (int thread = 0; thread < 4; ++thread)
        posters.emplace_back([&, thread] {
            for (int i = 0; i < 200; ++i)
                queue.post([&, thread, i] { seen.emplace_back(thread, i); });
        });
    for (auto& poster : posters)
        poster.join();
    queue.sync([] {});

    ASSERT_EQ(seen.size(), 800u);
    int next[4] = {0, 0, 0, 0};
    for (const auto& [thread, i] : seen)
        EXPECT_EQ(i, next[thread]++) << "thread " << thread;
}

TEST(SerialQueueTest, SyncOnItsOwnThreadRunsAtOnceAndTimeoutGivesUpOnABlockedQueue)
{
    SerialQueue queue("test.queue");
    bool ranInline = false;
    queue.sync([&] { queue.sync([&] { ranInline = queue.isCurrent(); }); });
    EXPECT_TRUE(ranInline);

    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    queue.post([released] { released.wait(); });
    bool late = false;
    EXPECT_FALSE(queue.syncWithTimeout(1ms, [&] { late = true; }));
    release.set_value();
    queue.sync([] {});
    EXPECT_TRUE(late); // it still ran, after the wait gave up
    EXPECT_TRUE(queue.syncWithTimeout(1h, [] {}));
}

TEST(SerialQueueTest, DestructionRunsWhatIsStillQueued)
{
    int ran = 0;
    {
        SerialQueue queue("test.queue");
        for (int i = 0; i < 50; ++i)
            queue.post([&] { ++ran; });
    }
    EXPECT_EQ(ran, 50);
}

TEST(GlobalQueueTest, RunsPostedWork)
{
    std::promise<std::thread::id> ranOn;
    globalQueue().post([&] { ranOn.set_value(std::this_thread::get_id()); });
    EXPECT_NE(ranOn.get_future().get(), std::this_thread::get_id());
}

TEST(ManualExecutorTest, RunsNothingUntilPumpedThenEverythingInOrder)
{
    ManualExecutor executor;
    std::vector<int> order;
    executor.post([&] {
        order.push_back(1);
        executor.post([&] { order.push_back(3); });
    });
    executor.post([&] { order.push_back(2); });
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(executor.runPending(), 3u);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}
