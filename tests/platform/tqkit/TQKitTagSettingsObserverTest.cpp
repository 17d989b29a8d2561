#include "platform/tqkit/TQKitTagSettingsObserver.h"
#include "platform/tqkit/TQTagSettingsRecord.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace {

// What one observer saw; the observer runs on the notifier thread.
struct Observed {
    std::atomic<int> calls{0};
    std::atomic<bool> running{false};
    std::thread::id thread;
    std::promise<void> firstCall;
    std::chrono::milliseconds linger{0}; // keeps a call running while the test clears
};

void observe(void* context)
{
    auto* observed = static_cast<Observed*>(context);
    observed->running = true;
    observed->thread = std::this_thread::get_id();
    if (observed->calls++ == 0)
        observed->firstCall.set_value();
    std::this_thread::sleep_for(observed->linger);
    observed->running = false;
}

class TQKitTagSettingsObserverTest : public ::testing::Test {
protected:
    void save(int notify)
    {
        const TQTagSettingsRecord record;
        TQKitTagSettingsSave(&record, notify);
    }
    sonvale::test::TempHome home_;
};

TEST_F(TQKitTagSettingsObserverTest, SaveWithNotifyCallsTheObserverOnAThreadOfItsOwn)
{
    Observed observed;
    const uint64_t registration = TQKitTagSettingsObserverSet(observe, &observed);
    ASSERT_NE(registration, 0u);
    save(0);
    save(1);
    observed.firstCall.get_future().wait();
    EXPECT_NE(observed.thread, std::this_thread::get_id());
    TQKitTagSettingsObserverClear(registration);
    EXPECT_EQ(observed.calls, 1); // the save without notify called nothing
    EXPECT_EQ(TQKitTagSettingsObserverSet(nullptr, &observed), 0u);
}

TEST_F(TQKitTagSettingsObserverTest, ClearingAnOlderRegistrationKeepsTheNewerOne)
{
    Observed older;
    Observed newer;
    const uint64_t olderRegistration = TQKitTagSettingsObserverSet(observe, &older);
    const uint64_t newerRegistration = TQKitTagSettingsObserverSet(observe, &newer);
    TQKitTagSettingsObserverClear(olderRegistration); // the old page goes away late
    save(1);
    newer.firstCall.get_future().wait();
    TQKitTagSettingsObserverClear(newerRegistration);
    EXPECT_EQ(older.calls, 0);
    EXPECT_EQ(newer.calls, 1);
}

TEST_F(TQKitTagSettingsObserverTest, NoCallReachesAnObserverOnceClearReturned)
{
    Observed cleared;
    cleared.linger = std::chrono::milliseconds(50);
    const uint64_t registration = TQKitTagSettingsObserverSet(observe, &cleared);
    save(1);
    cleared.firstCall.get_future().wait();
    TQKitTagSettingsObserverClear(registration); // while its call still runs
    EXPECT_FALSE(cleared.running);
    const int callsAtClear = cleared.calls;

    // Later notifications go nowhere; a new observer proves they were delivered.
    save(1);
    Observed next;
    const uint64_t nextRegistration = TQKitTagSettingsObserverSet(observe, &next);
    save(1);
    next.firstCall.get_future().wait();
    TQKitTagSettingsObserverClear(nextRegistration);
    EXPECT_EQ(cleared.calls, callsAtClear);
}

} // namespace
