#include "telemetry/TQTMTelemetryIngestion.h"

#include "platform/system/FakeClock.h"
#include "platform/system/HttpTransportCurl.h"
#include "platform/system/ManualNetworkReachability.h"
#include "telemetry/TQTMHttpClient.h"
#include "telemetry/TQTMHttpUtil.h"
#include "telemetry/TQTMLogContainer.h"
#include "telemetry/TQTMStartServiceLog.h"

#include "tests/telemetry/LoopbackServer.h"
#include "tests/telemetry/ModelFixtures.h"
#include "tests/telemetry/TelemetryTestSupport.h"

#include <future>

using namespace sonvale;
using namespace std::chrono_literals;

namespace {

constexpr const char* kSecret = "0a1b2c3d-4e5f-6a7b-8c9d-0e1f2a3b4c5d";

struct Sent {
    std::string batchId;
    std::optional<HttpResponse> response;
    std::optional<TQTMError> error;
};

class TQTMTelemetryIngestionTest : public test::TelemetryTest {
protected:
    ~TQTMTelemetryIngestionTest() override { TQTMLogger::setCurrentLogLevel(oldLevel_); }

    test::LoopbackServer server;
    FakeClock clock;
    std::shared_ptr<TQTMHttpClient> client =
        TQTMHttpClient::create(std::make_unique<HttpTransportCurl>(),
                               std::make_shared<TQTM_Reachability>(
                                   std::make_shared<ManualNetworkReachability>()),
                               clock);
    bool networkAllowed = true;
    std::shared_ptr<TQTMTelemetryIngestion> ingestion = TQTMTelemetryIngestion::create(
        client, server.baseUrl(), "11111111-2222-3333-4444-555555555555",
        [this] { return networkAllowed; });

    static std::shared_ptr<TQTMLogContainer> batch(const std::string& id)
    {
        return std::make_shared<TQTMLogContainer>(
            id, std::vector<std::shared_ptr<TQTMAbstractLog>>{test::fixedStartServiceLog()});
    }

    Sent send(const std::shared_ptr<TQTMLogContainer>& container)
    {
        std::promise<Sent> done;
        ingestion->sendAsyncCompletionHandler(
            container, [&](const std::string& id, auto response, auto, auto error) {
                done.set_value({id, std::move(response), std::move(error)});
            });
        auto future = done.get_future();
        EXPECT_EQ(future.wait_for(60s), std::future_status::ready);
        return future.get();
    }

    void verbose()
    {
        oldLevel_ = TQTMLogger::currentLogLevel();
        TQTMLogger::setCurrentLogLevel(TQTMLogLevelVerbose);
    }

    // The logged response payload of the last request.
    std::string loggedPayload()
    {
        const std::string marker = "HTTP response received with status code: 200, payload:\n";
        for (const std::string& message : logs.messages())
            if (message.rfind(marker, 0) == 0)
                return message.substr(marker.size());
        return "(none)";
    }

private:
    TQTMLogLevel oldLevel_ = TQTMLogger::currentLogLevel();
};

} // namespace

TEST_F(TQTMTelemetryIngestionTest, ABatchIsPostedExactlyOnceWithItsHeaders)
{
    ingestion->setAppSecret(kSecret);
    ASSERT_TRUE(ingestion->isReadyToSend());
    const auto container = batch("batch-1");
    const Sent sent = send(container);
    EXPECT_EQ(sent.batchId, "batch-1");
    ASSERT_TRUE(sent.response);
    EXPECT_EQ(sent.response->statusCode, 200);

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& request = requests[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, "/logs");
    EXPECT_EQ(request.params, (std::multimap<std::string, std::string>{{"api-version", "1.0.0"}}));
    EXPECT_EQ(request.header("Content-Type"), "application/json");
    EXPECT_EQ(request.header("Install-ID"), "11111111-2222-3333-4444-555555555555");
    EXPECT_EQ(request.header("App-Secret"), kSecret);
    EXPECT_EQ(request.body, container->serializeLog());
}

TEST_F(TQTMTelemetryIngestionTest, NothingLeavesWithoutASecretOrWithTheNetworkForbidden)
{
    EXPECT_FALSE(ingestion->isReadyToSend());
    bool called = false;
    ingestion->sendAsyncCompletionHandler(batch("b"), [&](auto&&...) { called = true; });
    EXPECT_FALSE(called);
    EXPECT_EQ(logs.count("Telemetry ingestion is used without app secret."), 1u);

    ingestion->setAppSecret(kSecret);
    networkAllowed = false;
    EXPECT_FALSE(ingestion->isEnabled());
    const Sent refused = send(batch("b2"));
    ASSERT_TRUE(refused.error);
    EXPECT_EQ(refused.error->code, 3);
    EXPECT_EQ(refused.error->description, "The service is disabled.");
    EXPECT_EQ(refused.batchId, "b2");
    EXPECT_EQ(logs.count("TQTMTelemetryIngestion is disabled."), 1u);

    const Sent empty = [&] {
        networkAllowed = true;
        return send(std::make_shared<TQTMLogContainer>("b3", std::vector<std::shared_ptr<TQTMAbstractLog>>{}));
    }();
    ASSERT_TRUE(empty.error);
    EXPECT_EQ(empty.error->code, 1);
    EXPECT_EQ(empty.batchId, "b3");
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(TQTMTelemetryIngestionTest, TheSecretIsMaskedInLogsEvenInAMegabyteResponse)
{
    verbose();
    ingestion->setAppSecret(kSecret);
    std::string body = "{\"echo\":\"" + std::string(kSecret) + "\",\"pad\":\"" +
                       std::string(1 << 20, 'x') + "\"}";
    server.answerWith({200, body, "application/json", {}});
    send(batch("b"));

    const std::string masked = TQTMHttpUtil::hideSecret(kSecret);
    EXPECT_EQ(masked, std::string(28, '*') + "2a3b4c5d");
    const auto messages = logs.messages();
    EXPECT_TRUE(std::any_of(messages.begin(), messages.end(), [&](const std::string& m) {
        return m.rfind("Headers: App-Secret = " + masked + ", ", 0) == 0 &&
               m.find("Install-ID = 11111111-2222-3333-4444-555555555555") != std::string::npos;
    }));
    const std::string payload = loggedPayload();
    EXPECT_NE(payload.find(masked), std::string::npos);
    for (const std::string& message : logs.messages())
        EXPECT_EQ(message.find(kSecret), std::string::npos);
}

TEST_F(TQTMTelemetryIngestionTest, ResponsesAreLoggedAsTextOrAsBinary)
{
    verbose();
    ingestion->setAppSecret(kSecret);
    server.answerWith({200, "plain words", "text/plain", {}});
    send(batch("b"));
    EXPECT_EQ(loggedPayload(), "plain words");
    logs.clear();
    server.answerWith({200, "\x89PNG", "image/png", {}});
    send(batch("b"));
    EXPECT_EQ(loggedPayload(), "<binary>");
}

TEST_F(TQTMTelemetryIngestionTest, TheBaseUrlMovesTheServiceAndKeepsPathAndQuery)
{
    EXPECT_EQ(TQTMHttpIngestion::buildURLWithBaseURLApiPathQueryStrings(
                  "https://in.example.com", "/logs", {{"api-version", "1.0.0"}}),
              "https://in.example.com/logs?api-version=1.0.0");
    ingestion->setBaseURL("https://other.example.org:8443");
    EXPECT_EQ(ingestion->sendURL(), "https://other.example.org:8443/logs?api-version=1.0.0");
    for (const char* refused : {"not a url", "ftp://files.example.com", "file:///tmp"}) {
        logs.clear();
        ingestion->setBaseURL(refused);
        EXPECT_EQ(ingestion->sendURL(), "https://other.example.org:8443/logs?api-version=1.0.0");
        EXPECT_EQ(logs.count("Failed to update HTTP URL https://other.example.org:8443/logs?"
                             "api-version=1.0.0 with " +
                             std::string(refused)),
                  1u);
    }
}
