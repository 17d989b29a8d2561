#include "platform/tqkit-ui/TQKitCoalescedCall.h"
#include "platform/tqkit-ui/TQKitDelayedCalls.h"
#include "platform/tqkit-ui/TQKitMainThread.h"
#include "tests/support/QtTestSupport.h"

#include <QObject>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
using sonvale::test::pumpUntil;

namespace {

TEST(TQKitDelayedCallsTest, CallsRunOnceUnlessCancelled)
{
    QStringList ran;
    auto calls = std::make_unique<TQKitDelayedCalls>();
    calls->perform(0ms, [&] { ran.append(u"a"_s); }, u"open"_s);
    calls->perform(0ms, [&] { ran.append(u"b"_s); }, u"other"_s);
    calls->perform(0ms, [&] { ran.append(u"c"_s); }, u"open"_s);
    calls->cancel(u"open"_s);
    EXPECT_EQ(calls->pendingCount(), 1);
    ASSERT_TRUE(pumpUntil([&] { return calls->pendingCount() == 0; }));
    EXPECT_EQ(ran, QStringList{u"b"_s});

    // A call may defer itself again, as the open request before launch end does.
    int rounds = 0;
    std::function<void()> again = [&] {
        if (++rounds < 3)
            calls->perform(1ms, again, u"again"_s);
    };
    calls->perform(1ms, again, u"again"_s);
    ASSERT_TRUE(pumpUntil([&] { return rounds == 3; }));
    sonvale::test::pumpEvents();
    EXPECT_EQ(calls->pendingCount(), 0);

    // Destroying the owner cancels whatever is pending.
    calls->perform(0ms, [&] { ran.append(u"late"_s); });
    calls->cancelAll();
    calls->perform(0ms, [&] { ran.append(u"late"_s); });
    calls.reset();
    sonvale::test::pumpEvents();
    EXPECT_EQ(ran, QStringList{u"b"_s});
}

TEST(TQKitMainThreadTest, WorkerHandOffRunsOnTheMainThreadOrIsDropped)
{
    EXPECT_TRUE(TQKitIsMainThread());
    auto context = std::make_unique<QObject>();
    auto gone = std::make_unique<QObject>();
    bool ranOnMain = false;
    bool ranForGone = false;
    std::thread([&] {
        EXPECT_FALSE(TQKitIsMainThread());
        TQKitPerformOnMainThread(context.get(), [&] { ranOnMain = TQKitIsMainThread(); });
        TQKitPerformOnMainThread(gone.get(), [&] { ranForGone = true; });
    }).join();
    gone.reset();
    ASSERT_TRUE(pumpUntil([&] { return ranOnMain; }));
    sonvale::test::pumpEvents();
    EXPECT_FALSE(ranForGone);
}

TEST(TQKitCoalescedCallTest, RequestsWhileOneIsQueuedShareItsRunAndLaterOnesGetTheirOwn)
{
    QObject context;
    int runs = 0;
    int seen = 0;
    std::atomic<int> latest{0};
    TQKitCoalescedCall render(&context, [&] {
        ++runs;
        seen = latest.load();
    });
    // A thousand reports from an engine thread before the main thread gets round to them: one
    // run, which sees the last of them.
    std::thread([&] {
        for (int i = 1; i <= 1000; ++i) {
            latest = i;
            render.request();
        }
    }).join();
    ASSERT_TRUE(pumpUntil([&] { return runs > 0; }));
    sonvale::test::pumpEvents();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(seen, 1000);

    // Once it has run, the next request is not lost.
    latest = 1001;
    render.request();
    ASSERT_TRUE(pumpUntil([&] { return runs == 2; }));
    EXPECT_EQ(seen, 1001);
}

} // namespace
