#include "telemetry/TQTMTelemetry.h"

#include "telemetry/TQTMChannelGroupDefault.h"
#include "telemetry/TQTMLogsDispatchQueue.h"
#include "telemetry/TQTMServiceAbstract.h"
#include "telemetry/TQTMSessionContext.h"
#include "telemetry/TQTMStorage.h"
#include "telemetry/TQTMTelemetryIngestion.h"
#include "telemetry/TQTMTelemetryUserDefaults.h"

#include "tests/telemetry/RecordingChannelDelegate.h"
#include "tests/telemetry/TelemetryTestSupport.h"

#include <nlohmann/json.hpp>

#include <atomic>
#include <thread>

using namespace sonvale;
using namespace std::chrono_literals;

namespace {

constexpr const char* kSecret = "0a1b2c3d-4e5f-6a7b-8c9d-0e1f2a3b4c5d";

// A service with its own unit, as the crash service has.
class TestService final : public TQTMServiceAbstract {
public:
    TestService(std::string name, int64_t priority = 500)
        : name_(std::move(name)), priority_(priority)
    {
    }
    std::string serviceName() const override { return name_; }
    std::string groupId() const override { return name_; }
    int64_t initializationPriority() const override { return priority_; }
    std::optional<TQTMChannelUnitConfiguration> channelUnitConfiguration() const override
    {
        return TQTMChannelUnitConfiguration(name_, 2, 1, 1, 3);
    }

protected:
    std::string displayName() const override { return name_; }

private:
    std::string name_;
    int64_t priority_;
};

// The whole client against a loopback server, over a real "Logs.sqlite", on a fake clock.
class TQTMTelemetryTest : public test::LoopbackTelemetryTest {
protected:
    ~TQTMTelemetryTest() override
    {
        TQTMLogger::setCurrentLogLevel(level_);
        TQTMLogger::setIsUserDefinedLogLevel(false);
    }

    void start(const TQTMServiceList& services)
    {
        TQTMTelemetry::start(kSecret, services);
        TQTMTelemetry::sharedInstance().channelGroup()->addDelegate(recorder);
    }
    std::shared_ptr<TQTMChannelGroupDefault> group()
    {
        return TQTMTelemetry::sharedInstance().channelGroup();
    }
    void drain() { group()->logsDispatchQueue()->sync([] {}); }
    uint64_t storedLogs()
    {
        uint64_t count = 0;
        group()->logsDispatchQueue()->sync([&] { count = group()->storage()->countLogs(); });
        return count;
    }
    // Lets the HTTP client's retry timers run out, one answer at a time.
    void answerEveryAttemptWith(int status, size_t attempts)
    {
        for (size_t i = 0; i < attempts; ++i)
            server.answerWith({.status = status});
    }
    void advanceThroughRetries(size_t attempts)
    {
        for (size_t attempt = 1; attempt < attempts; ++attempt) {
            ASSERT_TRUE(server.waitForRequests(attempt));
            for (int i = 0; i < 60000 && clock.pendingTimerCount() == 0; ++i)
                std::this_thread::sleep_for(1ms);
            clock.advance(1300s);
        }
    }

    const TQTMLogLevel level_ = TQTMLogger::currentLogLevel();
    std::shared_ptr<test::RecordingChannelDelegate> recorder =
        std::make_shared<test::RecordingChannelDelegate>();
};

TEST_F(TQTMTelemetryTest, TheStartServiceLogIsStoredThenSentSixSecondsLaterAndDeleted)
{
    auto service = std::make_shared<TestService>("Tests");
    start({service});
    drain();
    EXPECT_EQ(storedLogs(), 1u);
    clock.advance(5s);
    drain();
    EXPECT_EQ(server.requestCount(), 0u);

    clock.advance(1s);
    ASSERT_TRUE(recorder->waitForOutcomes(1));
    const auto sent = sentLogs();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].at("type"), "startService");
    EXPECT_EQ(sent[0].at("services"), nlohmann::json::array({"Tests"}));
    EXPECT_EQ(sent[0].at("isOneCollectorEnabled"), false);
    EXPECT_EQ(server.requests()[0].header("App-Secret"), kSecret);
    EXPECT_EQ(server.requests()[0].header("Install-ID"), TQTMTelemetry::installId().toString());
    EXPECT_EQ(storedLogs(), 0u);
    EXPECT_TRUE(service->isStarted());
    EXPECT_NE(group()->channelUnitForGroupId("Tests"), nullptr);
    EXPECT_NE(group()->channelUnitForGroupId("Tests/one"), nullptr);
}

TEST_F(TQTMTelemetryTest, LogsRefusedWith503StayAndGoOutAfterARestart)
{
    constexpr size_t kAttempts = 4; // the first try and three retries
    answerEveryAttemptWith(503, kAttempts);
    start({std::make_shared<TestService>("Tests")});
    drain(); // the timer starts on the queue
    clock.advance(6s);
    advanceThroughRetries(kAttempts);
    ASSERT_TRUE(recorder->waitForOutcomes(1));
    EXPECT_EQ(recorder->failures().size(), 1u);
    EXPECT_EQ(storedLogs(), 1u);

    quit();
    launch();
    start({std::make_shared<TestService>("Tests")});
    drain(); // the timer starts on the queue
    clock.advance(6s);
    ASSERT_TRUE(recorder->waitForOutcomes(3));
    EXPECT_EQ(recorder->succeeded(), 2u); // the kept log and the new start's
    EXPECT_EQ(storedLogs(), 0u);
}

TEST_F(TQTMTelemetryTest, DisablingDeletesTheLogsAndClearsTheHistories)
{
    auto service = std::make_shared<TestService>("Tests");
    start({service});
    drain();
    ASSERT_EQ(storedLogs(), 1u);
    TQTMSessionContext::sharedInstance()->setSessionId("S1");
    ASSERT_EQ(TQTMSessionContext::sharedInstance()->sessionIdAt(clock.now() + 1s), "S1");

    TQTMTelemetry::setEnabled(false);
    drain();
    EXPECT_EQ(storedLogs(), 0u);
    EXPECT_FALSE(TQTMTelemetry::isEnabled());
    EXPECT_FALSE(service->serviceIsEnabled()); // switched off with the SDK
    EXPECT_FALSE(TQTMSessionContext::sharedInstance()->sessionIdAt(clock.now() + 1s));
    service->serviceSetEnabled(true);
    EXPECT_EQ(logs.count("The SDK is disabled. Re-enable the whole SDK from Telemetry first before "
                         "enabling Tests service."),
              1u);
    clock.advance(10s);
    drain();
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(TQTMTelemetryTest, StartedWhileDisabledTheStartServiceLogWaitsForTheEnabling)
{
    TQTMTelemetryUserDefaults::shared()->setObjectForKey(false, "TelemetryIsEnabled");
    auto service = std::make_shared<TestService>("Tests");
    start({service});
    drain();
    EXPECT_EQ(storedLogs(), 0u);
    EXPECT_FALSE(service->isEnabled());
    EXPECT_EQ(TQTMTelemetry::sharedInstance().startedServiceNames(),
              std::vector<std::string>{"Tests"});

    TQTMTelemetry::setEnabled(true);
    EXPECT_TRUE(service->isEnabled());
    EXPECT_FALSE(TQTMTelemetry::sharedInstance().startedServiceNames());
    drain(); // the timer starts on the queue
    clock.advance(6s);
    ASSERT_TRUE(recorder->waitForOutcomes(1));
    ASSERT_EQ(sentLogs().size(), 1u);
    EXPECT_EQ(sentLogs()[0].at("services"), nlohmann::json::array({"Tests"}));
}

TEST_F(TQTMTelemetryTest, TheDisableVariableNamesServicesExactly)
{
    const struct {
        const char* value;
        bool disabled;
    } cases[] = {
        {" Tests , Other", true},
        {"All", true},
        {"all", false},
        {"Test", false},
        {"Other,Tests", true},
    };
    for (const auto& c : cases) {
        test::ScopedEnv env(TQTMTelemetry::kDisableVariable, c.value);
        EXPECT_EQ(TQTMTelemetryInstance::shouldDisable("Tests"), c.disabled) << c.value;
    }
    test::ScopedEnv env(TQTMTelemetry::kDisableVariable, "Tests");
    auto service = std::make_shared<TestService>("Tests");
    start({service});
    EXPECT_FALSE(service->isStarted());
    EXPECT_EQ(logs.count("Environment variable to disable service has been set; not starting "
                         "service Tests"),
              1u);
    EXPECT_EQ(logs.count("No services have been started."), 1u);
}

TEST_F(TQTMTelemetryTest, ASecondStartFromTheApplicationIsRefused)
{
    start({});
    TQTMTelemetry::start("ffffffff-ffff-ffff-ffff-ffffffffffff",
                         TQTMServiceList{std::make_shared<TestService>("Tests")});
    EXPECT_EQ(logs.count("Telemetry SDK has already been configured."), 1u);
    EXPECT_EQ(logs.count("Telemetry SDK configuration failed."), 1u);
    EXPECT_EQ(TQTMTelemetry::sharedInstance().appSecret(), kSecret);
    EXPECT_TRUE(TQTMTelemetry::sharedInstance().services().empty());

    TQTMTelemetry::startFromLibraryWithServices(TQTMServiceList{});
    EXPECT_TRUE(TQTMTelemetry::isConfigured()); // still configured from the application
}

TEST_F(TQTMTelemetryTest, ServicesStartByFallingPriorityAndOnlyOnce)
{
    auto low = std::make_shared<TestService>("Low", 500);
    auto high = std::make_shared<TestService>("High", 999);
    auto alsoLow = std::make_shared<TestService>("AlsoLow", 500);
    const auto sorted = TQTMTelemetryInstance::sortServices({low, high, alsoLow});
    EXPECT_EQ(sorted, (TQTMServiceList{high, low, alsoLow}));

    start({low, high});
    EXPECT_EQ(TQTMTelemetry::sharedInstance().services(), (TQTMServiceList{high, low}));
    TQTMTelemetry::startService(high); // started from the application already: nothing
    EXPECT_EQ(TQTMTelemetry::sharedInstance().services().size(), 2u);
    drain(); // the timer starts on the queue
    clock.advance(6s);
    ASSERT_TRUE(recorder->waitForOutcomes(1));
    EXPECT_EQ(sentLogs()[0].at("services"), nlohmann::json::array({"High", "Low"}));
}

TEST_F(TQTMTelemetryTest, ServicesNeedTheSecretAndAConfiguredSdk)
{
    auto service = std::make_shared<TestService>("Tests");
    service->serviceSetEnabled(false);
    EXPECT_EQ(logs.count("Tests service hasn't been started. You need to call [TQTMTelemetry "
                         "start:YOUR_APP_SECRET withServices:LIST_OF_SERVICES] first."),
              1u);
    TQTMTelemetry::startWithServices(TQTMServiceList{service});
    EXPECT_FALSE(service->isStarted());
    EXPECT_EQ(logs.count("Cannot start service Tests. Telemetry was started without app secret, "
                         "but the service requires it."),
              1u);
}

TEST_F(TQTMTelemetryTest, InstallIdAndStorageSizeFollowTheirRules)
{
    TQTMTelemetryUserDefaults::shared()->setObjectForKey("not a uuid", "InstallId");
    const auto installId = TQTMTelemetry::installId();
    EXPECT_EQ(TQTMTelemetryUserDefaults::shared()->objectForKey("InstallId"), installId.toString());
    EXPECT_EQ(TQTMTelemetry::installId(), installId);

    std::vector<bool> answers;
    const auto record = [&](bool ok) { answers.push_back(ok); };
    TQTMTelemetry::setMaxStorageSizeCompletionHandler(24575, record);
    TQTMTelemetry::setMaxStorageSizeCompletionHandler(24576 * 4, record);
    TQTMTelemetry::setMaxStorageSizeCompletionHandler(24576 * 4, record);
    start({});
    drain();
    EXPECT_EQ(answers, (std::vector<bool>{false, false, true}));
}

TEST_F(TQTMTelemetryTest, ForbiddenNetworkRequestsKeepLogsStored)
{
    TQTMTelemetry::setNetworkRequestsAllowed(false);
    EXPECT_EQ(logs.count("Telemetry SDK network requests are forbidden."), 1u);
    start({std::make_shared<TestService>("Tests")});
    drain(); // the timer starts on the queue
    clock.advance(6s);
    drain();
    EXPECT_EQ(server.requestCount(), 0u);
    EXPECT_EQ(storedLogs(), 1u);

    TQTMTelemetry::setNetworkRequestsAllowed(true);
    drain(); // the timer starts on the queue
    clock.advance(6s);
    ASSERT_TRUE(recorder->waitForOutcomes(1));
    EXPECT_EQ(recorder->succeeded(), 1u);
}

// The ingestion asks whether requests are allowed while it holds its own lock; the SDK changes
// the ingestion's URL while it holds its lock. Neither may wait for the other.
TEST_F(TQTMTelemetryTest, ChangingTheUrlWhileTheIngestionIsAskedNeverDeadlocks)
{
    start({});
    auto ingestion = group()->ingestion();
    std::atomic<bool> done = false;
    std::thread asking([&] {
        while (!done)
            ingestion->isEnabled();
    });
    for (int i = 0; i < 300; ++i)
        TQTMTelemetry::setNetworkRequestsAllowed(i % 2 == 0), TQTMTelemetry::setLogUrl(server.baseUrl());
    done = true;
    asking.join();
}

} // namespace
