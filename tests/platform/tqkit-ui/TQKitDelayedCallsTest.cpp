#include "platform/tqkit-ui/TQKitDelayedCalls.h"
#include "platform/tqkit-ui/TQKitMainThread.h"
#include "tests/support/QtTestSupport.h"

#include <QObject>

#include <gtest/gtest.h>

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

} // namespace
