#include "telemetry/TQTMDispatcherUtil.h"

#include "platform/system/ManualExecutor.h"
#include "platform/system/SerialQueue.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

using namespace sonvale;

TEST(TQTMDispatcherUtilTest, MainThreadWorkWaitsForTheMainThread)
{
    auto main = std::make_shared<ManualExecutor>();
    TQTMDispatcherUtil::setMainThreadExecutor(main);
    bool ran = false;
    TQTMDispatcherUtil::performBlockOnMainThread([&] { ran = true; });
    EXPECT_FALSE(ran); // never inline, even on the main thread
    EXPECT_EQ(main->runPending(), 1u);
    EXPECT_TRUE(ran);
    TQTMDispatcherUtil::setMainThreadExecutor(nullptr);
}

TEST(TQTMDispatcherUtilTest, WithoutAMainThreadTheStandInQueueRunsTheWork)
{
    std::promise<std::thread::id> ranOn;
    TQTMDispatcherUtil::performBlockOnMainThread(
        [&] { ranOn.set_value(std::this_thread::get_id()); });
    EXPECT_NE(ranOn.get_future().get(), std::this_thread::get_id());
}

TEST(TQTMDispatcherUtilTest, SyncWithTimeoutReturnsEitherWay)
{
    SerialQueue queue("test.queue");
    bool ran = false;
    TQTMDispatcherUtil::dispatchSyncWithTimeoutOnQueueWithBlock(60, queue, [&] { ran = true; });
    EXPECT_TRUE(ran);

    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    queue.post([released] { released.wait(); });
    TQTMDispatcherUtil::dispatchSyncWithTimeoutOnQueueWithBlock(0.001, queue, [] {}); // gives up
    release.set_value();
}
