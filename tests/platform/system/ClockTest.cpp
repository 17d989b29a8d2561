#include "platform/system/FakeClock.h"
#include "platform/system/SystemClock.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <vector>

using namespace sonvale;
using namespace std::chrono_literals;

TEST(FakeClockTest, FiresTimersExactlyWhenTheirTimeIsReached)
{
    FakeClock clock;
    const TimePoint start = clock.now();
    std::vector<std::pair<int, TimePoint>> fired;
    clock.callAfter(5s, [&] { fired.emplace_back(5, clock.now()); });
    clock.callAfter(2s, [&] { fired.emplace_back(2, clock.now()); });

    clock.advance(2s - 1ns);
    EXPECT_TRUE(fired.empty());
    clock.advance(1ns);
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0], std::make_pair(2, start + 2s));

    clock.advance(10s);
    ASSERT_EQ(fired.size(), 2u);
    EXPECT_EQ(fired[1], std::make_pair(5, start + 5s)); // now() is the due time inside the callback
    EXPECT_EQ(clock.now(), start + 12s);
}

TEST(FakeClockTest, CancelledTimersNeverFireAndTimersSetByCallbacksFireInTheSameAdvance)
{
    FakeClock clock;
    int cancelledRuns = 0;
    int chainedRuns = 0;
    const auto id = clock.callAfter(1s, [&] { ++cancelledRuns; });
    clock.callAfter(1s, [&] { clock.callAfter(1s, [&] { ++chainedRuns; }); });
    EXPECT_TRUE(clock.cancelTimer(id));
    EXPECT_FALSE(clock.cancelTimer(id));

    clock.advance(2s);
    EXPECT_EQ(cancelledRuns, 0);
    EXPECT_EQ(chainedRuns, 1);
    EXPECT_EQ(clock.pendingTimerCount(), 0u);
}

TEST(SystemClockTest, FiresATimerOnItsThreadAndCancelsAPendingOne)
{
    SystemClock clock;
    std::mutex mutex;
    std::condition_variable signal;
    bool fired = false;
    const auto never = clock.callAfter(1h, [] { FAIL() << "a cancelled timer fired"; });
    clock.callAfter(1ms, [&] {
        std::lock_guard lock(mutex);
        fired = true;
        signal.notify_one();
    });
    std::unique_lock lock(mutex);
    signal.wait(lock, [&] { return fired; });
    EXPECT_TRUE(clock.cancelTimer(never));
}
