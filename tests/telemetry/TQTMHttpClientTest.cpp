#include "telemetry/TQTMHttpClient.h"

#include "platform/system/FakeClock.h"
#include "platform/system/HttpTransportCurl.h"
#include "platform/system/ManualNetworkReachability.h"
#include "telemetry/TQTMHttpCall.h"
#include "telemetry/TQTMHttpUtil.h"

#include "tests/telemetry/LoopbackServer.h"
#include "tests/telemetry/TelemetryTestSupport.h"

#include <future>

using namespace sonvale;
using namespace std::chrono_literals;

namespace {

struct Outcome {
    std::optional<std::vector<uint8_t>> data;
    std::optional<HttpResponse> response;
    std::optional<TQTMError> error;
};

// Collects the outcome of one call.
class Completion {
public:
    TQTMHttpRequestCompletionHandler handler()
    {
        return [this](auto data, auto response, auto error) {
            promise_.set_value({std::move(data), std::move(response), std::move(error)});
        };
    }
    Outcome wait()
    {
        EXPECT_EQ(future_.wait_for(60s), std::future_status::ready);
        return future_.get();
    }
    bool isDone() const { return future_.wait_for(0s) == std::future_status::ready; }

private:
    std::promise<Outcome> promise_;
    std::future<Outcome> future_ = promise_.get_future();
};

// Waits for something another thread does (a generous safety limit, not a timing).
template <class Predicate>
bool eventually(Predicate predicate)
{
    for (int i = 0; i < 60000; ++i) {
        if (predicate())
            return true;
        std::this_thread::sleep_for(1ms);
    }
    return false;
}

class TQTMHttpClientTest : public test::TelemetryTest {
protected:
    void goOffline()
    {
        network->setStatus(NetworkReachability::Status::NotReachable);
        ASSERT_TRUE(eventually([&] { return client->isPaused(); }));
    }

    test::LoopbackServer server;
    FakeClock clock;
    std::shared_ptr<ManualNetworkReachability> network = std::make_shared<ManualNetworkReachability>();
    std::shared_ptr<TQTMHttpClient> client =
        TQTMHttpClient::create(std::make_unique<HttpTransportCurl>(),
                               std::make_shared<TQTM_Reachability>(network), clock);

    void post(const std::string& body, Completion& completion, bool compression = true)
    {
        client->sendAsyncMethodHeadersDataRetryIntervalsCompressionEnabledCompletionHandler(
            server.baseUrl() + "/logs", "POST", {{"Install-ID", "i"}},
            std::vector<uint8_t>(body.begin(), body.end()), TQTMHttpClient::defaultRetryIntervals(),
            compression, completion.handler());
    }

    // The delay the last retry message announced, in milliseconds.
    long announcedDelay()
    {
        const std::string marker = "it will be retried in ";
        for (const std::string& message : logs.messages())
            if (const size_t at = message.find(marker); at != std::string::npos)
                last_ = std::stol(message.substr(at + marker.size()));
        return last_;
    }
    long last_ = -1;
};

} // namespace

TEST_F(TQTMHttpClientTest, BodiesAreGzippedFrom1400BytesAndTypedAsJson)
{
    for (const size_t size : {size_t{1399}, size_t{1400}}) {
        Completion completion;
        post(std::string(size, 'a'), completion);
        const Outcome outcome = completion.wait();
        ASSERT_TRUE(outcome.response);
        EXPECT_EQ(outcome.response->statusCode, 200);
        EXPECT_FALSE(outcome.error);
    }
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_FALSE(requests[0].hasHeader("Content-Encoding"));
    EXPECT_EQ(requests[0].body, std::string(1399, 'a'));
    EXPECT_EQ(requests[1].header("Content-Encoding"), "gzip");
    EXPECT_LT(std::stoul(requests[1].header("Content-Length")), 1400u); // as sent
    EXPECT_EQ(requests[1].body, std::string(1400, 'a'));                 // as inflated
    for (const auto& request : requests) {
        EXPECT_EQ(request.header("Content-Type"), "application/json");
        EXPECT_EQ(request.header("Install-ID"), "i");
        EXPECT_FALSE(request.hasHeader("Cookie"));
    }
}

TEST_F(TQTMHttpClientTest, TheServersRetryDelayIsHonouredAndCounted)
{
    server.answerWith({503, "", "text/plain", {{"x-retry-after-ms", "2500"}}});
    Completion completion;
    post("{}", completion);
    ASSERT_TRUE(server.waitForRequests(1));
    ASSERT_TRUE(eventually([&] { return clock.pendingTimerCount() == 1; }));
    EXPECT_EQ(logs.count("Call attempt #0 failed with status code: 503, it will be retried in 2500 ms."),
              1u);
    clock.advance(2499ms);
    EXPECT_EQ(server.requestCount(), 1u);
    clock.advance(1ms);
    const Outcome outcome = completion.wait();
    EXPECT_EQ(server.requestCount(), 2u);
    ASSERT_TRUE(outcome.response);
    EXPECT_EQ(outcome.response->statusCode, 200);
}

TEST_F(TQTMHttpClientTest, RecoverableAnswersBackOffInGrowingWindowsThenPauseTheClient)
{
    for (int i = 0; i < 4; ++i)
        server.answerWith({503, "busy", "text/plain", {}});
    Completion completion;
    post("{}", completion);
    const std::pair<long, long> windows[] = {{5000, 10000}, {150000, 300000}, {600000, 1200000}};
    for (size_t attempt = 0; attempt < 3; ++attempt) {
        ASSERT_TRUE(server.waitForRequests(attempt + 1));
        ASSERT_TRUE(eventually([&] { return clock.pendingTimerCount() == 1; }));
        const long delay = announcedDelay();
        EXPECT_GE(delay, windows[attempt].first) << attempt;
        EXPECT_LT(delay, windows[attempt].second) << attempt;
        clock.advance(std::chrono::milliseconds(delay));
    }
    const Outcome outcome = completion.wait();
    EXPECT_EQ(server.requestCount(), 4u);
    ASSERT_TRUE(outcome.response);
    EXPECT_EQ(outcome.response->statusCode, 503);
    EXPECT_FALSE(outcome.error);
    EXPECT_TRUE(client->isPaused());

    Completion waiting;
    post("{}", waiting); // paused: kept, not sent
    EXPECT_EQ(client->pendingCallCount(), 1u);
    network->setStatus(NetworkReachability::Status::Reachable); // "up" resumes
    const Outcome sent = waiting.wait();
    ASSERT_TRUE(sent.response);
    EXPECT_EQ(sent.response->statusCode, 200);
}

TEST_F(TQTMHttpClientTest, ARefusedRequestEndsAloneAndTheClientGoesOn)
{
    server.answerWith({400, "bad", "text/plain", {}});
    Completion refused;
    post("{\"bad\":1}", refused);
    const Outcome outcome = refused.wait();
    ASSERT_TRUE(outcome.response);
    EXPECT_EQ(outcome.response->statusCode, 400);
    EXPECT_FALSE(outcome.error);
    EXPECT_TRUE(client->isEnabled());

    Completion next;
    post("{}", next);
    EXPECT_EQ(next.wait().response->statusCode, 200);
}

TEST_F(TQTMHttpClientTest, AnUnreachableServerIsRetriedWithBackOffNotParked)
{
    // A port that was just free: nothing listens there.
    std::string url;
    {
        test::LoopbackServer gone;
        url = gone.baseUrl();
    }
    Completion completion;
    client->sendAsyncMethodHeadersDataCompletionHandler(url + "/logs", "POST", {},
                                                        std::vector<uint8_t>{'{', '}'},
                                                        completion.handler());
    ASSERT_TRUE(eventually([&] { return clock.pendingTimerCount() == 1; }));
    EXPECT_EQ(logs.count("HTTP call failed with error: Internet connection is down."), 1u);
    EXPECT_GE(announcedDelay(), 5000);
    EXPECT_FALSE(completion.isDone());
    EXPECT_EQ(client->pendingCallCount(), 1u);
}

TEST_F(TQTMHttpClientTest, TheNetworkGoingDownPausesAndComingBackSends)
{
    goOffline();
    Completion completion;
    post("{}", completion);
    EXPECT_EQ(server.requestCount(), 0u);
    network->setStatus(NetworkReachability::Status::Reachable);
    EXPECT_EQ(completion.wait().response->statusCode, 200);
    EXPECT_EQ(logs.count("Internet connection is down."), 1u);
    EXPECT_EQ(logs.count("Pause HTTP client."), 1u);
    EXPECT_EQ(logs.count("Resume HTTP client."), 1u);
}

TEST_F(TQTMHttpClientTest, DisablingWithDeletionCancelsWhatWaitsAndRefusesWhatComes)
{
    goOffline();
    Completion waiting;
    post("{}", waiting);
    client->setEnabledAndDeleteDataOnDisabled(false, true);
    const Outcome cancelled = waiting.wait();
    ASSERT_TRUE(cancelled.error);
    EXPECT_EQ(cancelled.error->code, 2);
    EXPECT_EQ(cancelled.error->description, "The operation was canceled.");

    Completion refused;
    post("{}", refused);
    const Outcome outcome = refused.wait();
    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(outcome.error->code, 3);
    EXPECT_EQ(outcome.error->description, "The service is disabled.");
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(TQTMHttpClientTest, OnlyHttpAndHttpsAreSpoken)
{
    Completion completion;
    client->sendAsyncMethodHeadersDataCompletionHandler("file:///etc/passwd", "GET", {}, std::nullopt,
                                                        completion.handler());
    const Outcome outcome = completion.wait();
    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(outcome.error->code, HttpError::kUnsupportedURL);
    EXPECT_FALSE(outcome.response);
}

TEST(TQTMHttpUtilTest, StatusesAndSecretsAreClassifiedAndMasked)
{
    for (const long status : {0L, 408L, 429L, 500L, 503L, 599L})
        EXPECT_TRUE(TQTMHttpUtil::isRecoverableError(status)) << status;
    for (const long status : {200L, 400L, 401L, 404L, 499L})
        EXPECT_FALSE(TQTMHttpUtil::isRecoverableError(status)) << status;
    EXPECT_TRUE(TQTMHttpUtil::isSuccessStatusCode(299));
    EXPECT_FALSE(TQTMHttpUtil::isSuccessStatusCode(300));

    const std::string secret = "0a1b2c3d-4e5f-6a7b-8c9d-0e1f2a3b4c5d";
    EXPECT_EQ(TQTMHttpUtil::hideSecret(secret), std::string(28, '*') + "2a3b4c5d");
    EXPECT_EQ(TQTMHttpUtil::hideSecret("abc"), "***");
    EXPECT_EQ(TQTMHttpUtil::hideSecretInStringSecret("x" + secret + "y" + secret, secret),
              "x" + TQTMHttpUtil::hideSecret(secret) + "y" + TQTMHttpUtil::hideSecret(secret));
}

TEST(TQTMReachabilityTest, FlagsGiveTheStatusAndStartingPostsOnce)
{
    using R = TQTM_Reachability;
    EXPECT_EQ(R::networkStatusForFlags(R::kFlagReachable), 1);
    EXPECT_EQ(R::networkStatusForFlags(R::kFlagReachable | R::kFlagConnectionRequired), 0);
    EXPECT_EQ(R::networkStatusForFlags(R::kFlagReachable | R::kFlagConnectionRequired |
                                       R::kFlagConnectionOnTraffic),
              1);
    EXPECT_EQ(R::networkStatusForFlags(R::kFlagReachable | R::kFlagConnectionRequired |
                                       R::kFlagConnectionOnTraffic | R::kFlagInterventionRequired),
              0);
    EXPECT_EQ(R::networkStatusForFlags(0), 0);

    auto network = std::make_shared<ManualNetworkReachability>();
    R reachability(network);
    std::promise<int> first;
    reachability.addObserver([&](R& sender) { first.set_value(sender.currentReachabilityStatus()); });
    reachability.startNotifier();
    EXPECT_EQ(first.get_future().get(), 1);
}

TEST(NetworkReachabilityNetlinkTest, TheMachinesMonitorAnswersAndLetsListenersGo)
{
    // Whatever the machine's routes, the monitor answers (unknown counts as reachable) and a
    // listener can come and go.
    const auto monitor = NetworkReachability::internet();
    const NetworkReachability::Status status = monitor->currentStatus();
    EXPECT_TRUE(status == NetworkReachability::Status::Reachable ||
                status == NetworkReachability::Status::NotReachable);
    const auto id = monitor->addListener([] {});
    monitor->removeListener(id);
    EXPECT_EQ(NetworkReachability::internet(), monitor);
}
