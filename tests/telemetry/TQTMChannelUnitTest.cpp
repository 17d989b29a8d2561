#include "telemetry/TQTMChannelUnitDefault.h"

#include "platform/system/FakeClock.h"
#include "platform/system/HttpTransportCurl.h"
#include "platform/system/ManualNetworkReachability.h"
#include "telemetry/TQTMChannelGroupDefault.h"
#include "telemetry/TQTMDeviceTracker.h"
#include "telemetry/TQTMHttpClient.h"
#include "telemetry/TQTMLogsDispatchQueue.h"
#include "telemetry/TQTMStartServiceLog.h"
#include "telemetry/TQTMStorage.h"
#include "telemetry/TQTMTelemetryUserDefaults.h"
#include "telemetry/TQTMUtility.h"

#include "tests/telemetry/LoopbackServer.h"
#include "tests/telemetry/RecordingChannelDelegate.h"
#include "tests/telemetry/TelemetryTestSupport.h"

#include <nlohmann/json.hpp>

using namespace sonvale;
using namespace std::chrono_literals;

namespace {

constexpr const char* kSecret = "0a1b2c3d-4e5f-6a7b-8c9d-0e1f2a3b4c5d";
constexpr const char* kInstallId = "11111111-2222-3333-4444-555555555555";

std::shared_ptr<TQTMAbstractLog> newLog()
{
    auto log = std::make_shared<TQTMStartServiceLog>();
    log->setServices(std::vector<std::string>{"Crashes"});
    return log;
}

// A channel group over a real "Logs.sqlite" in the test's home, posting to a loopback server,
// timed by a fake clock.
class TQTMChannelUnitTest : public test::TelemetryTest {
protected:
    TQTMChannelUnitTest() { startGroup(); }
    ~TQTMChannelUnitTest() override { stopGroup(); }

    void startGroup(bool withSecret = true)
    {
        client = TQTMHttpClient::create(std::make_unique<HttpTransportCurl>(),
                                        std::make_shared<TQTM_Reachability>(
                                            std::make_shared<ManualNetworkReachability>()),
                                        clock);
        group = TQTMChannelGroupDefault::create(client, kInstallId, server.baseUrl(),
                                                [] { return true; }, clock);
        if (withSecret)
            group->setAppSecret(kSecret);
        group->addDelegate(recorder);
    }
    // A restart of the process: the group and its units go, the store's file stays.
    void stopGroup()
    {
        drain();
        group.reset();
        client.reset();
    }
    // Waits until the queue has run what was posted so far.
    void drain() { group->logsDispatchQueue()->sync([] {}); }
    uint64_t storedLogs()
    {
        uint64_t count = 0;
        group->logsDispatchQueue()->sync([&] { count = group->storage()->countLogs(); });
        return count;
    }
    void storeLogs(const std::string& groupId, size_t count)
    {
        group->logsDispatchQueue()->sync([&] {
            for (size_t i = 0; i < count; ++i) {
                auto log = newLog();
                log->setTimestamp(clock.now());
                log->setDevice(TQTMDeviceTracker::sharedInstance()->device());
                group->storage()->saveLogWithGroupIdFlags(log, groupId, 1);
            }
        });
    }
    void enqueue(const std::shared_ptr<TQTMChannelUnitProtocol>& unit, size_t count)
    {
        for (size_t i = 0; i < count; ++i)
            unit->enqueueItemFlags(newLog(), 1);
        drain();
    }
    // The number of logs in each request, in arrival order.
    std::vector<size_t> batchSizes() const
    {
        std::vector<size_t> sizes;
        for (const auto& request : server.requests())
            sizes.push_back(nlohmann::json::parse(request.body).at("logs").size());
        return sizes;
    }
    bool paused(const std::shared_ptr<TQTMChannelUnitProtocol>& unit)
    {
        bool result = false;
        group->logsDispatchQueue()->sync(
            [&] { result = static_cast<TQTMChannelUnitDefault&>(*unit).isPaused(); });
        return result;
    }

    test::LoopbackServer server;
    FakeClock clock;
    std::shared_ptr<test::RecordingChannelDelegate> recorder =
        std::make_shared<test::RecordingChannelDelegate>();
    std::shared_ptr<TQTMHttpClient> client;
    std::shared_ptr<TQTMChannelGroupDefault> group;
};

TEST_F(TQTMChannelUnitTest, FortyNineLogsWaitForTheTimerAndTheFiftiethFlushesAtOnce)
{
    auto unit = group->addChannelUnitWithConfiguration(
        TQTMChannelUnitConfiguration::defaultConfigurationWithGroupId("Telemetry"));
    enqueue(unit, 49);
    clock.advance(5s);
    drain();
    EXPECT_EQ(server.requestCount(), 0u);
    EXPECT_EQ(storedLogs(), 49u);

    clock.advance(1s);
    ASSERT_TRUE(recorder->waitForOutcomes(49));
    EXPECT_EQ(batchSizes(), std::vector<size_t>{49});
    EXPECT_EQ(server.requests()[0].header("App-Secret"), kSecret);
    EXPECT_EQ(storedLogs(), 0u); // deleted once the service took them

    enqueue(unit, 50); // no clock movement: the full batch goes at once
    ASSERT_TRUE(recorder->waitForOutcomes(99));
    EXPECT_EQ(batchSizes(), (std::vector<size_t>{49, 50}));
    EXPECT_EQ(recorder->succeeded(), 99u);
}

TEST_F(TQTMChannelUnitTest, StoredLogsGoOutInBatchesWithinThePendingLimit)
{
    storeLogs("Telemetry", 120);
    group->addChannelUnitWithConfiguration(
        TQTMChannelUnitConfiguration::defaultConfigurationWithGroupId("Telemetry"));
    ASSERT_TRUE(recorder->waitForOutcomes(120));
    auto sizes = batchSizes();
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<size_t>{20, 50, 50}));
    EXPECT_EQ(storedLogs(), 0u);
}

// A refused batch says nothing about the group's other logs: they are sent as usual.
TEST_F(TQTMChannelUnitTest, ARefusedBatchIsDeletedAloneAndTheRestIsSent)
{
    storeLogs("Telemetry", 120);
    server.answerWith({.status = 400, .body = "bad batch"});
    group->addChannelUnitWithConfiguration(
        TQTMChannelUnitConfiguration("Telemetry", 1, 6, 50, 1)); // one batch in flight at a time
    ASSERT_TRUE(recorder->waitForOutcomes(120));
    EXPECT_EQ(batchSizes(), (std::vector<size_t>{50, 50, 20}));
    EXPECT_EQ(recorder->succeeded(), 70u);
    const auto failures = recorder->failures();
    ASSERT_EQ(failures.size(), 50u);
    for (const auto& failure : failures)
        EXPECT_NE(failure.code, TQTMError::kConnectionPaused);
    EXPECT_EQ(storedLogs(), 0u);
}

TEST_F(TQTMChannelUnitTest, ALongIntervalResumesAcrossARestart)
{
    const auto configuration = TQTMChannelUnitConfiguration("Long", 1, 3600, 50, 3);
    enqueue(group->addChannelUnitWithConfiguration(configuration), 1);
    stopGroup();

    clock.setNow(clock.now() + 1000s);
    startGroup();
    group->addChannelUnitWithConfiguration(configuration);
    drain();
    clock.advance(2599s);
    drain();
    EXPECT_EQ(server.requestCount(), 0u);
    clock.advance(1s);
    ASSERT_TRUE(recorder->waitForOutcomes(1));
    EXPECT_EQ(recorder->succeeded(), 1u);
    EXPECT_FALSE(TQTMTelemetryUserDefaults::shared()->objectForKey("ChannelStartTimer:Long"));
}

TEST_F(TQTMChannelUnitTest, AStartTimeInTheFutureIsReplacedByNow)
{
    TQTMTelemetryUserDefaults::shared()->setObjectForKey(
        TQTMUtility::dateToISO8601(clock.now() + 500s), "ChannelStartTimer:Long");
    enqueue(group->addChannelUnitWithConfiguration(
                TQTMChannelUnitConfiguration("Long", 1, 3600, 50, 3)),
            1);
    clock.advance(3599s);
    drain();
    EXPECT_EQ(server.requestCount(), 0u);
    clock.advance(1s);
    ASSERT_TRUE(recorder->waitForOutcomes(1));
}

TEST_F(TQTMChannelUnitTest, TheUnitStaysPausedWhileAnyObjectHoldsIt)
{
    auto unit = group->addChannelUnitWithConfiguration(
        TQTMChannelUnitConfiguration::defaultConfigurationWithGroupId("Telemetry"));
    enqueue(unit, 3);
    unit->pauseWithIdentifyingObject(group.get());
    unit->pauseWithIdentifyingObject(unit.get());
    unit->pauseWithIdentifyingObject(unit.get()); // counts once
    unit->resumeWithIdentifyingObject(group.get());
    EXPECT_TRUE(paused(unit));
    clock.advance(10s);
    drain();
    EXPECT_EQ(server.requestCount(), 0u);

    unit->resumeWithIdentifyingObject(unit.get());
    EXPECT_FALSE(paused(unit));
    clock.advance(6s);
    ASSERT_TRUE(recorder->waitForOutcomes(3));
    EXPECT_EQ(batchSizes(), std::vector<size_t>{3});
}

TEST_F(TQTMChannelUnitTest, DisablingWithDeletionFailsStoredAndNewLogsUntilEnabledAgain)
{
    auto unit = group->addChannelUnitWithConfiguration(
        TQTMChannelUnitConfiguration::defaultConfigurationWithGroupId("Telemetry"));
    enqueue(unit, 3);
    group->setEnabledAndDeleteDataOnDisabled(false, true);
    drain();
    EXPECT_EQ(storedLogs(), 0u);
    enqueue(unit, 1); // discarded
    auto failures = recorder->failures();
    ASSERT_EQ(failures.size(), 4u);
    for (const auto& failure : failures)
        EXPECT_EQ(failure.code, TQTMError::kConnectionPaused);

    group->setEnabledAndDeleteDataOnDisabled(true, false);
    enqueue(unit, 1);
    clock.advance(6s);
    ASSERT_TRUE(recorder->waitForOutcomes(5));
    EXPECT_EQ(recorder->succeeded(), 1u);
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(TQTMChannelUnitTest, WithoutASecretLogsAreNotStored)
{
    stopGroup();
    startGroup(false);
    enqueue(group->addChannelUnitWithConfiguration(
                TQTMChannelUnitConfiguration::defaultConfigurationWithGroupId("Telemetry")),
            2);
    EXPECT_EQ(storedLogs(), 0u);
    EXPECT_EQ(logs.count("Log of type 'startService' was not filtered out by delegate(s) but "
                         "ingestion is not ready to send it."),
              2u);
}

// The group finds units by exact group id and hands unit events to its delegates only while they
// live.
TEST_F(TQTMChannelUnitTest, TheGroupFindsUnitsByExactIdAndForgetsReleasedDelegates)
{
    auto buffer = group->addChannelUnitWithConfiguration(
        TQTMChannelUnitConfiguration("CrashesBuffer", 2, 1, 50, 1));
    auto crashes =
        group->addChannelUnitWithConfiguration(TQTMChannelUnitConfiguration("Crashes", 2, 1, 1, 3));
    EXPECT_EQ(group->channelUnitForGroupId("Crashes"), crashes);
    EXPECT_EQ(group->channelUnitForGroupId("CrashesBuffer"), buffer);
    EXPECT_EQ(group->channelUnitForGroupId("Crash"), nullptr);

    auto second = std::make_shared<test::RecordingChannelDelegate>();
    group->addDelegate(second);
    std::weak_ptr<test::RecordingChannelDelegate> released = second;
    second.reset();
    EXPECT_TRUE(released.expired()); // the group held it weakly
    enqueue(crashes, 1);
    clock.advance(1s);
    ASSERT_TRUE(recorder->waitForOutcomes(1));
}

} // namespace
