#include "lifecycle/TQAnalyticsRecorder.h"

#include "platform/system/FakeClock.h"
#include "platform/tqkit/TQKitRemoteParams.h"
#include "platform/tqkit/TQKitSettings.h"
#include "platform/tqkit/TQKitWebRequest.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <condition_variable>
#include <fstream>
#include <thread>

using namespace std::chrono_literals;

namespace {

struct Request {
    int64_t at; // seconds after the start
    std::vector<std::string> events;
};

class TQAnalyticsRecorderTest : public ::testing::Test {
protected:
    void SetUp() override { configureWith(R"({"TQAppAn001": 1})"); }

    void configureWith(const std::string& json)
    {
        std::ofstream(home_.path() / "params.json") << json;
        params_ = std::make_unique<TQKitRemoteParams>(home_.path() / "params.json");
        ASSERT_TRUE(params_->load());
        recorder_ = makeRecorder();
        recorder_->configure(false);
    }

    std::unique_ptr<TQAnalyticsRecorder> makeRecorder()
    {
        return std::make_unique<TQAnalyticsRecorder>(TQAnalyticsServices{
            .clock = &clock_,
            .params = params_.get(),
            .isReachable = [this] { return reachable_; },
            .webRequest =
                [this](const std::vector<std::string>& lines, const TQAnalyticsServices::ShouldStop&, int) {
                    Request request{seconds(), {}};
                    for (const std::string& line : lines)
                        if (line.starts_with("event:"))
                            request.events.push_back(line.substr(6));
                    requests_.push_back(request);
                    if (duringRequest_)
                        duringRequest_();
                    return requestsSucceed_;
                },
            .sleep = [this](std::chrono::milliseconds duration, const auto&) { clock_.advance(duration); },
            .eventTimeFile = [this] { return home_.path() / "DiscogsTempKey.bin"; },
            .startsSenderThread = false,
        });
    }

    int64_t seconds() const
    {
        return std::chrono::duration_cast<std::chrono::seconds>(clock_.now() - start_).count();
    }
    void postAt(int64_t second, const char* name)
    {
        clock_.callAfter(start_ + std::chrono::seconds(second) - clock_.now(), [this, name] { recorder_->post(name); });
    }
    void runSenderUntil(int64_t second)
    {
        recorder_->runSender([this, second] { return seconds() >= second; });
    }

    sonvale::test::TempHome home_;
    sonvale::FakeClock clock_;
    const sonvale::TimePoint start_ = clock_.now();
    std::unique_ptr<TQKitRemoteParams> params_;
    std::unique_ptr<TQAnalyticsRecorder> recorder_;
    bool reachable_ = true;
    bool requestsSucceed_ = true;
    std::function<void()> duringRequest_;
    std::vector<Request> requests_;
};

TEST(TQAnalyticsSanitizeTest, NamesAreNormalisedAsRecorded)
{
    const std::pair<const char*, const char*> cases[] = {
        {"AE Cnv.Main--Wnd!!", "ae_cnv_main_wnd"},
        {"ae_cnv_conv_srctype_.flac", "ae_cnv_conv_srctype_flac"},
        {"__ae\t\ncnv__", "ae_cnv"},
        {"ae_caf\xc3\xa9", "ae_caf"},
        {"&*$#@-+=.,?!", ""},
        {"____", ""},
        {"   ", ""},
        {"a________________________________________________________b", "a_b"},
    };
    for (const auto& [raw, recorded] : cases)
        EXPECT_EQ(TQAnalyticsSanitizeEventName(raw), recorded) << raw;
    EXPECT_EQ(TQAnalyticsSanitizeEventName(std::string(400, 'x').c_str()).size(), 259u);
}

TEST_F(TQAnalyticsRecorderTest, AllowAndDenyListsFilterBySubstring)
{
    configureWith(R"({"TQAppAn001": 1, "TQAppAn108": " CNV ,, ", "TQAppAn109": "appirater"})");
    recorder_->post("ae_cnv_conv_start");
    recorder_->post("ae_appirater_rate");
    recorder_->post("ae_page_app");
    EXPECT_EQ(recorder_->pending(), std::vector<std::string>{"ae_cnv_conv_start"});

    configureWith(R"({"TQAppAn001": 1, "TQAppAn109": "appirater"})");
    recorder_->post("ae_page_app");
    recorder_->post("ae_cnv_appirater_x");
    EXPECT_EQ(recorder_->pending(), std::vector<std::string>{"ae_page_app"});
}

TEST_F(TQAnalyticsRecorderTest, EventsAreDroppedUntilRecordingIsSwitchedOn)
{
    configureWith(R"({"TQAppAn001": 0})");
    recorder_->post("ae_cnv_conv_start");
    EXPECT_TRUE(recorder_->pending().empty());
    EXPECT_FALSE(recorder_->isEnabled());
}

TEST_F(TQAnalyticsRecorderTest, EachNameIsQueuedOncePerInterval)
{
    recorder_->post("ae_cnv_conv_start");
    clock_.advance(10799s);
    recorder_->post("AE_CNV_CONV_START");
    EXPECT_EQ(recorder_->pending().size(), 1u);
    clock_.advance(1s);
    recorder_->post("ae_cnv_conv_start");
    EXPECT_EQ(recorder_->pending().size(), 2u);
}

// With the defaults and one event at a time: the first waits for the 30-s quiet time and is sent
// at once (threshold 1, which then doubles); later single events wait for the send interval since
// the last request, which doubles 300, 600, 1200 and stays at 1800.
TEST_F(TQAnalyticsRecorderTest, TheSenderFollowsQuietTimeThresholdAndIntervalOnItsTimeline)
{
    recorder_->post("ae_one");
    postAt(100, "ae_two");
    postAt(400, "ae_three");
    postAt(1000, "ae_four");
    postAt(2200, "ae_five");
    postAt(3950, "ae_six");
    runSenderUntil(6000);

    ASSERT_EQ(requests_.size(), 6u);
    const int64_t expected[] = {30, 330, 930, 2130, 3930, 5730};
    const char* names[] = {"ae_one", "ae_two", "ae_three", "ae_four", "ae_five", "ae_six"};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(requests_[i].at, expected[i]) << i;
        EXPECT_EQ(requests_[i].events, std::vector<std::string>{names[i]}) << i;
    }
    EXPECT_EQ(recorder_->currentBatchThreshold(), 2u);
    EXPECT_EQ(recorder_->currentSendInterval(), 1800u);
}

TEST_F(TQAnalyticsRecorderTest, AFlushSendsAtOnceAndAFlushOfNothingIsForgotten)
{
    recorder_->requestFlush();
    postAt(10, "ae_one");
    runSenderUntil(11);
    EXPECT_TRUE(requests_.empty()); // the early flush found an empty queue

    recorder_->requestFlush();
    runSenderUntil(12);
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_EQ(requests_[0].at, 11);
    EXPECT_EQ(recorder_->currentBatchThreshold(), 1u); // a flush doubles nothing
}

TEST_F(TQAnalyticsRecorderTest, WithoutNetworkTheSenderWaitsAndSendsSoonAfterItReturns)
{
    reachable_ = false;
    recorder_->post("ae_one");
    clock_.callAfter(100s, [this] { reachable_ = true; });
    runSenderUntil(200);
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_GE(requests_[0].at, 103);
    EXPECT_LE(requests_[0].at, 106);
}

TEST_F(TQAnalyticsRecorderTest, AFailedBatchReturnsUnlessNewEventsCameMeanwhile)
{
    requestsSucceed_ = false;
    recorder_->post("ae_one");
    recorder_->post("ae_two");
    EXPECT_FALSE(recorder_->sendPending({}, 10000));
    EXPECT_EQ(recorder_->pending(), (std::vector<std::string>{"ae_one", "ae_two"}));
    EXPECT_FALSE(TQKitSettingReadText("TQSetting", "LastIntroToolTipTimeStamp2").empty());

    duringRequest_ = [this] { recorder_->post("ae_three"); };
    EXPECT_FALSE(recorder_->sendPending({}, 10000));
    EXPECT_EQ(recorder_->pending(), std::vector<std::string>{"ae_three"});
}

TEST_F(TQAnalyticsRecorderTest, TheEventTimeFileKeepsRecentTimesAndDropsOldAndFutureOnes)
{
    const int64_t now = std::chrono::duration_cast<std::chrono::seconds>(clock_.now().time_since_epoch()).count();
    std::ofstream(home_.path() / "DiscogsTempKey.bin")
        << TQAnalyticsRecorder::encodeEventTimes({"ae_recent:" + std::to_string(now - 100),
                                                  "ae_old:" + std::to_string(now - 10800),
                                                  "ae_future:" + std::to_string(now + 5), "broken", "ae_zero:0",
                                                  " ae_spaced : " + std::to_string(now - 5) + " "});
    recorder_ = makeRecorder();
    recorder_->configure(false);
    EXPECT_EQ(recorder_->eventTimes(),
              (std::map<std::string, int64_t>{{"ae_recent", now - 100}, {"ae_spaced", now - 5}}));

    // A name loaded from the file keeps its interval across the restart.
    recorder_->post("ae_recent");
    recorder_->post("ae_new");
    EXPECT_EQ(recorder_->pending(), std::vector<std::string>{"ae_new"});

    clock_.advance(10797s); // ae_recent and ae_spaced are now too old, ae_new is not
    recorder_->saveEventTimes();
    recorder_ = makeRecorder();
    recorder_->configure(false);
    EXPECT_EQ(recorder_->eventTimes(), (std::map<std::string, int64_t>{{"ae_new", now}}));
}

TEST_F(TQAnalyticsRecorderTest, ARunThatNeverRecordsKeepsTheEventTimeFile)
{
    recorder_->post("ae_one");
    recorder_->saveEventTimes();

    configureWith("{}"); // offline: recording stays off, the file is never loaded
    recorder_->stop();
    configureWith(R"({"TQAppAn001": 1})");
    EXPECT_EQ(recorder_->eventTimes().count("ae_one"), 1u);
}

// The real sender thread: a batch reaches a server on the loopback interface, and stopping does
// not wait for a request that hangs.
TEST(TQAnalyticsSenderThreadTest, BatchesArriveAtTheServiceAndStoppingNeverWaitsForAHangingRequest)
{
    sonvale::test::TempHome home;
    std::ofstream(home.path() / "params.json") << R"({"TQAppAn001": 1, "TQAppAn007": 1})";
    TQKitRemoteParams params(home.path() / "params.json");
    ASSERT_TRUE(params.load());

    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::string> bodies;
    bool hang = false;
    httplib::Server server;
    server.Post("/stats", [&](const httplib::Request& request, httplib::Response& response) {
        std::unique_lock lock(mutex);
        bodies.push_back(request.body);
        arrived.notify_all();
        if (hang)
            arrived.wait(lock, [&] { return !hang; });
        response.set_content("ok:1\n", "text/plain");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { server.listen_after_bind(); });
    while (!server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/stats";

    TQAnalyticsRecorder recorder({
        .clock = &sonvale::systemClock(),
        .params = &params,
        .isReachable = [] { return true; },
        .webRequest =
            [&url](const std::vector<std::string>& lines, const TQAnalyticsServices::ShouldStop& shouldStop, int timeout) {
                TQKitWebResponseRecord response;
                return TQKitWebRequestTo(
                    url, lines,
                    shouldStop ? +[](void* context) { return (*static_cast<const TQAnalyticsServices::ShouldStop*>(context))(); }
                               : nullptr,
                    const_cast<TQAnalyticsServices::ShouldStop*>(&shouldStop), timeout, &response);
            },
        .sleep = {},
        .eventTimeFile = [&home] { return home.path() / "DiscogsTempKey.bin"; },
        .startsSenderThread = true,
    });
    recorder.configure(false);
    recorder.post("ae_cnv_conv_start");
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(arrived.wait_for(lock, 60s, [&] { return !bodies.empty(); }));
        EXPECT_NE(bodies[0].find("event:ae_cnv_conv_start\n"), std::string::npos);
        EXPECT_NE(bodies[0].find("product:sonva1\n"), std::string::npos);
        hang = true;
    }

    recorder.post("ae_cnv_preferences");
    recorder.requestFlush();
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(arrived.wait_for(lock, 60s, [&] { return bodies.size() == 2; }));
    }
    recorder.stop(); // returns while the server still holds the second request

    {
        std::lock_guard lock(mutex);
        hang = false;
    }
    arrived.notify_all();
    server.stop();
    serving.join();
}

} // namespace
