#include "telemetry/TQTMOneCollectorChannelDelegate.h"

#include "platform/system/FakeClock.h"
#include "platform/system/HttpTransportCurl.h"
#include "platform/system/ManualNetworkReachability.h"
#include "telemetry/TQTMCSExtensions.h"
#include "telemetry/TQTMChannelGroupDefault.h"
#include "telemetry/TQTMChannelUnitConfiguration.h"
#include "telemetry/TQTMCommonSchemaLog.h"
#include "telemetry/TQTMHttpClient.h"
#include "telemetry/TQTMLogContainer.h"
#include "telemetry/TQTMLogsDispatchQueue.h"
#include "telemetry/TQTMOneCollectorIngestion.h"
#include "telemetry/TQTMSDKExtension.h"
#include "telemetry/TQTMStartServiceLog.h"
#include "telemetry/TQTMStorage.h"

#include "tests/telemetry/LoopbackServer.h"
#include "tests/telemetry/ModelFixtures.h"
#include "tests/telemetry/TelemetryTestSupport.h"

#include <algorithm>
#include <future>

using namespace sonvale;
using namespace std::chrono_literals;

namespace {

class TQTMOneCollectorTest : public test::TelemetryTest {
protected:
    std::shared_ptr<TQTMHttpClient> newClient()
    {
        return TQTMHttpClient::create(
            std::make_unique<HttpTransportCurl>(),
            std::make_shared<TQTM_Reachability>(std::make_shared<ManualNetworkReachability>()),
            clock);
    }

    test::LoopbackServer server;
    FakeClock clock;
    const Uuid installId = Uuid::random();
    std::shared_ptr<TQTMOneCollectorChannelDelegate> delegate =
        TQTMOneCollectorChannelDelegate::create(newClient(), installId, server.baseUrl());
    std::shared_ptr<TQTMChannelGroupDefault> group = TQTMChannelGroupDefault::create(
        newClient(), installId.toString(), server.baseUrl(), [] { return true; }, clock);
};

TEST_F(TQTMOneCollectorTest, EveryOrdinaryUnitGetsOneTwinAndTokenLogsGoThroughIt)
{
    group->setAppSecret("0a1b2c3d-4e5f-6a7b-8c9d-0e1f2a3b4c5d");
    group->addDelegate(delegate);
    auto crashes = group->addChannelUnitWithConfiguration(
        TQTMChannelUnitConfiguration::defaultConfigurationWithGroupId("Crashes"));
    EXPECT_EQ(group->channels().size(), 2u);
    auto twin = group->channelUnitForGroupId("Crashes/one");
    ASSERT_NE(twin, nullptr);
    EXPECT_EQ(delegate->twinOfGroup("Crashes"), twin);

    auto plain = std::make_shared<TQTMStartServiceLog>();
    auto withToken = std::make_shared<TQTMStartServiceLog>();
    withToken->addTransmissionTargetToken("ikey-token");
    EXPECT_FALSE(delegate->channelUnitShouldFilterLog(*crashes, plain));
    EXPECT_TRUE(delegate->channelUnitShouldFilterLog(*crashes, withToken));
    crashes->enqueueItemFlags(plain, 1);
    group->logsDispatchQueue()->sync([] {});
    uint64_t stored = 0;
    group->logsDispatchQueue()->sync([&] { stored = group->storage()->countLogs(); });
    EXPECT_EQ(stored, 1u); // the plain log, in its own unit only
}

TEST_F(TQTMOneCollectorTest, EventNamesFollowThePattern)
{
    const struct {
        std::string name;
        bool valid;
    } cases[] = {
        {"abc", false},           {"abcd", true},          {"a..bc", false},
        {"abcd.", false},         {"ab_c.de", true},       {std::string(100, 'a'), true},
        {std::string(101, 'a'), false}, {"_abc", false},   {"", false},
        {"ab-cd", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TQTMOneCollectorChannelDelegate::validateLogName(c.name), c.valid) << c.name;
    EXPECT_FALSE(TQTMOneCollectorChannelDelegate::validateLogName(std::nullopt));
    EXPECT_EQ(logs.count("Log validation failed. Name must not be nil or empty."), 2u);
}

TEST_F(TQTMOneCollectorTest, LogsOfOneKeyAreNumberedWithinOneEpoch)
{
    auto unit = group->addChannelUnitWithConfiguration(
        TQTMChannelUnitConfiguration::defaultConfigurationWithGroupId("Crashes"));
    auto first = test::completeCommonSchemaLog();
    auto second = test::completeCommonSchemaLog();
    delegate->channelPrepareLog(*unit, first);
    delegate->channelPrepareLog(*unit, second);
    EXPECT_EQ(first->ext()->sdkExt()->seq(), 1);
    EXPECT_EQ(second->ext()->sdkExt()->seq(), 2);
    EXPECT_EQ(first->ext()->sdkExt()->epoch(), second->ext()->sdkExt()->epoch());
    EXPECT_EQ(second->ext()->sdkExt()->installId(), installId);

    delegate->channelDidSetEnabledAndDeleteDataOnDisabled(*group, false, true);
    auto third = test::completeCommonSchemaLog();
    delegate->channelPrepareLog(*unit, third);
    EXPECT_EQ(third->ext()->sdkExt()->seq(), 1); // a new epoch after deletion
    EXPECT_NE(third->ext()->sdkExt()->epoch(), first->ext()->sdkExt()->epoch());
}

TEST_F(TQTMOneCollectorTest, AContainerIsPostedAsOneJsonLinePerLog)
{
    auto container = std::make_shared<TQTMLogContainer>(
        "batch", std::vector<std::shared_ptr<TQTMAbstractLog>>{test::completeCommonSchemaLog(),
                                                               test::completeCommonSchemaLog()});
    std::promise<void> done;
    delegate->oneCollectorIngestion()->sendAsyncCompletionHandler(
        container, [&](const std::string&, auto, auto, auto) { done.set_value(); });
    ASSERT_EQ(done.get_future().wait_for(60s), std::future_status::ready);
    const auto request = server.requests().at(0);
    EXPECT_EQ(request.path, "/OneCollector/1.0");
    EXPECT_EQ(request.header("Content-Type"), "application/x-json-stream; charset=utf-8");
    EXPECT_TRUE(request.hasHeader("Upload-Time"));
    const std::string line = *test::completeCommonSchemaLog()->serializeLogWithPrettyPrinting(false);
    EXPECT_EQ(std::count(request.body.begin(), request.body.end(), '\n'), 2);
    EXPECT_EQ(request.body.back(), '\n');
    EXPECT_EQ(request.body.find('\n'), line.size());
}

} // namespace
