#include "lifecycle/TQUpdateChecker.h"

#include "platform/system/XdgPaths.h"
#include "platform/tqkit-ui/TQKitProgressBox.h"
#include "platform/tqkit/TQKitRemoteParams.h"
#include "platform/tqkit/TQKitSettings.h"
#include "platform/tqkit/TQKitWebRequest.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TempHome.h"

#include <QDesktopServices>
#include <QPushButton>
#include <QTextBrowser>
#include <QWidget>

#include <gtest/gtest.h>

#include <ctime>
#include <deque>
#include <fstream>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace sonvale::test {
namespace {

constexpr const char* kNotes = "<html><head><title>What is new</title></head><body><h1>Sonvale 1.1</h1>"
                               "<p>Faster.</p></body></html>";

class TQUpdateCheckerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scriptedResponder().reset();
        useParameters(R"({"TQKitUpdateAvailable": 1, "TQKitUpdateBuildNumber": 1100,
                          "TQKitUpdateTextURL": "https://updates.example/notes.html"})");
        checker_ = std::make_unique<TQUpdateChecker>(TQUpdateCheckServices{
            .isReachable = [this] { return reachable_; },
            .fetch =
                [this](TQKitHttpRequestRecord& request) {
                    fetchTimes_.push_back(virtualMs_ / 1000);
                    EXPECT_EQ(request.url, "https://updates.example/notes.html");
                    const bool ok = !fetchAnswers_.empty() && fetchAnswers_.front();
                    if (!fetchAnswers_.empty())
                        fetchAnswers_.pop_front();
                    if (ok)
                        request.body.assign(kNotes, kNotes + std::strlen(kNotes));
                    return ok;
                },
            .sleep =
                [this](std::chrono::milliseconds duration, const auto&) {
                    virtualMs_ += duration.count();
                    if (networkReturnsAt_ > 0 && virtualMs_ >= networkReturnsAt_ * 1000)
                        reachable_ = true;
                },
            .toMainThread = [this](std::function<void()> call) { mainThreadCalls_.push_back(std::move(call)); },
            .after = [this](std::chrono::milliseconds, std::function<void()> call) { polls_.push_back(std::move(call)); },
            .configLoaded = [this] { return configLoaded_; },
            .whenConfigLoaded =
                [this](std::function<void()> observer) {
                    if (configLoaded_)
                        observer();
                    else
                        configObservers_.push_back(std::move(observer));
                },
            .startsFetchThread = false,
            .window = {.terminate = [this] { ++terminations_; }},
        });
    }
    void TearDown() override { checker_.reset(); }

    void useParameters(const std::string& json)
    {
        std::ofstream(sonvale::sonvaleDataDir() / "params.json") << json;
        ASSERT_TRUE(TQKitRemoteParams::shared().load());
    }
    void configurationArrives()
    {
        configLoaded_ = true;
        for (auto& observer : configObservers_)
            observer();
        configObservers_.clear();
    }
    void runMainThreadCalls()
    {
        auto calls = std::move(mainThreadCalls_);
        mainThreadCalls_.clear();
        for (auto& call : calls)
            call();
    }
    // Runs the manual check's polls one after the other, as its timer would.
    int runPolls()
    {
        int count = 0;
        while (!polls_.empty()) {
            auto poll = std::move(polls_.front());
            polls_.pop_front();
            pumpEvents();
            poll();
            ++count;
        }
        return count;
    }
    bool windowShown() { return pumpUntil([this] { return checker_->windowIsShown(); }); }

    TempHome home_;
    std::unique_ptr<TQUpdateChecker> checker_;
    bool reachable_ = true;
    bool configLoaded_ = false;
    int64_t virtualMs_ = 0;
    int64_t networkReturnsAt_ = 0;
    std::deque<bool> fetchAnswers_;
    std::vector<int64_t> fetchTimes_; // seconds
    std::vector<std::function<void()>> mainThreadCalls_;
    std::deque<std::function<void()>> polls_;
    std::vector<std::function<void()>> configObservers_;
    int terminations_ = 0;
};

TEST_F(TQUpdateCheckerTest, TheCheckRunsOnceFromConfigurationToFetchToTheWindow)
{
    EXPECT_TRUE(checker_->startInBackground());
    EXPECT_EQ(checker_->state(), 1);
    EXPECT_TRUE(checker_->isBusy());
    EXPECT_FALSE(checker_->offerNewVersion(nullptr)); // still running
    EXPECT_FALSE(checker_->startOnce());

    configurationArrives();
    EXPECT_EQ(checker_->state(), 2);
    fetchAnswers_ = {true};
    checker_->runFetch([] { return false; });
    EXPECT_EQ(checker_->state(), 3);
    runMainThreadCalls();
    ASSERT_NE(checker_->windowController(), nullptr);
    EXPECT_TRUE(checker_->windowIsBusy()); // until its page is laid out
    ASSERT_TRUE(windowShown());
    EXPECT_FALSE(checker_->isBusy());
    EXPECT_TRUE(checker_->offered());
    EXPECT_EQ(checker_->windowController()->window()->windowTitle(), u"What is new"_s);
    EXPECT_TRUE(checker_->windowController()->webView()->toPlainText().contains(u"Faster."_s));

    // Offered once per run.
    checker_->windowController()->remindButton();
    EXPECT_FALSE(checker_->offerNewVersion(nullptr));
    EXPECT_TRUE(scriptedResponder().requests().isEmpty());
}

TEST_F(TQUpdateCheckerTest, WithoutANewVersionTheCheckEndsAtOnce)
{
    useParameters("{}");
    checker_->startInBackground();
    configurationArrives();
    EXPECT_EQ(checker_->state(), 3);
    EXPECT_TRUE(fetchTimes_.empty());
    EXPECT_FALSE(checker_->isRunning());
}

TEST_F(TQUpdateCheckerTest, FailedFetchesAreRetriedTenSecondsApart)
{
    checker_->startInBackground();
    configurationArrives();
    fetchAnswers_ = {false, false, true};
    checker_->runFetch([] { return false; });
    EXPECT_EQ(fetchTimes_, (std::vector<int64_t>{0, 10, 20}));
    EXPECT_EQ(checker_->state(), 3);
}

TEST_F(TQUpdateCheckerTest, ThreeFailuresEndTheCheckAndTheQuestionIsTheFallback)
{
    checker_->startInBackground();
    configurationArrives();
    fetchAnswers_ = {false, false, false};
    checker_->runFetch([] { return false; });
    EXPECT_EQ(fetchTimes_.size(), 3u);
    EXPECT_FALSE(checker_->isRunning()); // not stuck as "running" for the rest of the run
    scriptedResponder().answerTitle(u"New Version"_s, {kTQKitQuestionDeclined, false});
    runMainThreadCalls();
    ASSERT_EQ(scriptedResponder().titles(), QStringList{u"New Version"_s});
    EXPECT_EQ(scriptedResponder().requests()[0].message,
              u"A new version of 'Sonvale' is available.\nWould you like to download it?"_s);
    EXPECT_EQ(checker_->windowController(), nullptr);
}

TEST_F(TQUpdateCheckerTest, WithTheNetworkOffTheFetchWaitsAndStartsThreeToSixSecondsAfterItReturns)
{
    checker_->startInBackground();
    configurationArrives();
    reachable_ = false;
    networkReturnsAt_ = 100;
    fetchAnswers_ = {true};
    checker_->runFetch([] { return false; });
    ASSERT_EQ(fetchTimes_.size(), 1u);
    EXPECT_GE(fetchTimes_[0], 103);
    EXPECT_LE(fetchTimes_[0], 106);
}

TEST_F(TQUpdateCheckerTest, ASkippedBuildStaysQuietWithinTheDelayAndThatLaunchCountsAsOffered)
{
    const auto now = static_cast<int64_t>(std::time(nullptr));
    TQKitSettingWriteInt("TQSetting", "TQNewVersionWindowSkipButtonCount_1100", 1);
    TQKitSettingWriteInt64("TQSetting", "TQNewVersionWindowSkipButtonTimeStamp_1100", now - 259000);
    checker_->startInBackground();
    configurationArrives();
    fetchAnswers_ = {true};
    checker_->runFetch([] { return false; });
    runMainThreadCalls();
    EXPECT_TRUE(checker_->offered());
    EXPECT_EQ(checker_->windowController(), nullptr);
    EXPECT_TRUE(scriptedResponder().requests().isEmpty()); // no question follows either

    // Three days after the last Skip the build is offered again; a delay of the configuration
    // (at least 11 s) takes the place of the three days.
    TQKitSettingWriteInt64("TQSetting", "TQNewVersionWindowSkipButtonTimeStamp_1100", now - 259201);
    EXPECT_TRUE(TQNewVersionWindowController::skipButtonIsTimeToShowAgain());
    useParameters(R"({"TQKitUpdateBuildNumber": 1100, "TQKitUpdateWindowV64": "600"})");
    TQKitSettingWriteInt64("TQSetting", "TQNewVersionWindowSkipButtonTimeStamp_1100", now - 601);
    EXPECT_TRUE(TQNewVersionWindowController::skipButtonIsTimeToShowAgain());
    TQKitSettingWriteInt64("TQSetting", "TQNewVersionWindowSkipButtonTimeStamp_1100", now - 500);
    EXPECT_FALSE(TQNewVersionWindowController::skipButtonIsTimeToShowAgain());
    // A one-character Skip text hides Skip, and every skipped build shows again at once.
    useParameters(R"({"TQKitUpdateBuildNumber": 1100, "TQKitUpdateWindowSkipText": "-"})");
    EXPECT_TRUE(TQNewVersionWindowController::skipButtonIsTimeToShowAgain());
}

TEST_F(TQUpdateCheckerTest, TheManualCheckTellsOfflineAndUpToDate)
{
    QWidget parent;
    reachable_ = false;
    checker_->runManual(&parent);
    reachable_ = true;
    useParameters(R"({"TQCAppVersion": 430})");
    configurationArrives();
    checker_->runManual(&parent);
    ASSERT_EQ(scriptedResponder().titles(),
              (QStringList{u"Your computer is currently offline."_s, u"You are up to date!"_s}));
    EXPECT_EQ(scriptedResponder().requests()[1].message,
              u"Sonvale 1.0.21 (1021) is currently the newest version available."_s);
}

TEST_F(TQUpdateCheckerTest, TheManualCheckWaitsThirtySecondsForAConfigurationThatNeverComes)
{
    QWidget parent;
    useParameters(R"({"TQKitUpdateAvailable": 0})"); // as the defaults read while nothing is loaded
    checker_->runManual(&parent);
    EXPECT_EQ(checker_->state(), 1);
    EXPECT_EQ(runPolls(), 100); // 30 s in steps of 0.3 s
    EXPECT_EQ(scriptedResponder().titles(), QStringList{u"You are up to date!"_s});
}

TEST_F(TQUpdateCheckerTest, TheManualCheckShowsTheWindowAndBringsAnOpenOneForward)
{
    QWidget parent;
    checker_->runManual(&parent);
    configurationArrives();
    fetchAnswers_ = {true};
    checker_->runFetch([] { return false; });
    runPolls();
    ASSERT_TRUE(windowShown());
    EXPECT_TRUE(scriptedResponder().requests().isEmpty());

    checker_->windowController()->window()->hide();
    checker_->runManual(&parent);
    EXPECT_TRUE(checker_->windowIsShown());
    EXPECT_TRUE(polls_.empty()); // no progress box this time
}

} // namespace
} // namespace sonvale::test
