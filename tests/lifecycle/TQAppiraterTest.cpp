#include "lifecycle/TQAppirater.h"

#include "lifecycle/TQRatingPrompt.h"
#include "platform/system/FakeClock.h"
#include "platform/system/UserDefaults.h"
#include "platform/system/XdgPaths.h"
#include "platform/tqkit-ui/TQKitReachability.h"
#include "platform/tqkit-ui/TQKitWindowSheet.h"
#include "platform/tqkit/TQKitRemoteParams.h"
#include "platform/tqkit/TQKitSettings.h"
#include "tests/support/PostedEvents.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TempHome.h"

#include <QDesktopServices>
#include <QDialog>
#include <QWidget>

#include <gtest/gtest.h>

#include <fstream>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace sonvale::test {
namespace {

constexpr auto kDay = 24h;

class Offline final : public TQKitReachability {
public:
    bool isReachable() const override { return false; }
};

class TQAppiraterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scriptedResponder().reset();
        TQAppirater::setClock(&clock_);
        TQKitSettingWriteInt("TQSetting", "LaunchCount", 5);
        TQKitSettingWriteInt("TQSetting", "LaunchDayCount", 5);
        TQAppirater::setEnabledFlag(true);
        TQAppirater::setCallback(nullptr);
        TQAppirater::setDaysUntilPrompt(0);
        TQAppirater::setUsesUntilPrompt(65535);
        TQAppirater::setSigEventsUntilPrompt(2);
        TQAppirater::setDaysBeforeReminding(1);
        TQAppirater::setDaysToPromptAgain(10);
        TQRatingPromptSetTitleFormat("Enjoying %@?");
        TQRatingPromptSetQuestion("Would you rate Sonvale? It helps us a lot.");
        TQRatingPromptSetURL("https://sonvale.example/rate");
        window_.show();
    }
    void TearDown() override
    {
        TQAppirater::setClock(nullptr);
        TQKitReachability::install(nullptr);
    }

    // One significant event; true when the prompt appeared (answered with `button`).
    bool event(int button = kTQKitAlertOtherButton)
    {
        scriptedResponder().reset();
        scriptedResponder().setRule([button](const TQKitAlertRequest&) { return TQKitAlertAnswer{button, false}; });
        const bool shown = TQAppirater::incrementSigEventAndRateWindow(true, &window_);
        pumpEvents();
        EXPECT_EQ(shown, !scriptedResponder().requests().isEmpty());
        return shown;
    }
    // Counts events until the prompt appears; 0 when it did not within `limit`.
    int eventsUntilPrompt(int limit, int button = kTQKitAlertOtherButton)
    {
        for (int count = 1; count <= limit; ++count)
            if (event(button))
                return count;
        return 0;
    }

    TempHome home_;
    FakeClock clock_;
    QWidget window_;
};

TEST_F(TQAppiraterTest, ThePromptComesAtTheThirdEventOnceADayHasPassed)
{
    EXPECT_EQ(eventsUntilPrompt(5), 0); // within the first day
    clock_.advance(kDay);
    const PostedEvents posted;
    ASSERT_TRUE(event(kTQKitAlertOtherButton));
    const TQKitAlertRequest& alert = scriptedResponder().requests()[0];
    EXPECT_EQ(alert.title, u"Enjoying Sonvale?"_s);
    EXPECT_EQ(alert.message, u"Would you rate Sonvale? It helps us a lot."_s);
    ASSERT_EQ(alert.buttons.size(), 3);
    EXPECT_EQ(alert.buttons[0].title, u"Rate It!"_s);
    EXPECT_EQ(alert.buttons[1].title, u"No, thanks"_s);
    EXPECT_EQ(alert.buttons[2].title, u"Later"_s);
    EXPECT_EQ(posted.names(), std::vector<std::string>{"ae_appirater_remind"});

    // "Later" starts counting again with thresholds raised by 3, a day after the answer.
    EXPECT_EQ(TQAppirater::sigEventsUntilPrompt(), 5);
    clock_.advance(kDay);
    EXPECT_EQ(eventsUntilPrompt(10), 6);
}

TEST_F(TQAppiraterTest, ShortTextsDisableThePromptAndNothingIsCounted)
{
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"Enjoying %@?", "Would you rate Sonvale? It helps us a lot.", "-"},
        {"Enjoying %@?", "Would you rate Sonvale? It helps us a lot.", "http"},
        {"Like", "Would you rate Sonvale? It helps us a lot.", "https://sonvale.example/rate"},
        {"Enjoying %@?", "Rate", "https://sonvale.example/rate"},
    };
    for (const auto& [title, question, url] : cases) {
        TQRatingPromptSetTitleFormat(title);
        TQRatingPromptSetQuestion(question);
        TQRatingPromptSetURL(url);
        EXPECT_FALSE(TQAppirater::configurationIsSuitableForRating()) << title << " " << question << " " << url;
        EXPECT_FALSE(TQAppirater::incrementSigEventAndRateWindow(true, &window_));
        EXPECT_EQ(TQAppirater::sigEventCount(), 0);
    }
    // Nothing configured: the built-in title and question, but still no link.
    TQRatingPromptSetTitleFormat("");
    TQRatingPromptSetQuestion(nullptr);
    EXPECT_EQ(TQAppirater::ratingTitleFormat(), u"Like '%@'?"_s);
    EXPECT_TRUE(TQAppirater::ratingQuestion().has_value());
}

TEST_F(TQAppiraterTest, BusyScreensAndLittleUseHoldThePromptBack)
{
    event();
    event();
    clock_.advance(kDay);
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::function<void()> undo;
    };
    std::vector<std::unique_ptr<QWidget>> extra;
    QDialog sheet;
    Offline offline;
    const Case cases[] = {
        {"a sheet is open",
         [&] { ASSERT_TRUE(TQKitWindowSheet::of(&window_)->attach(&sheet)); },
         [&] { TQKitWindowEndSheet(&window_, 0); }},
        {"six windows",
         [&] {
             for (int i = 0; i < 5; ++i) {
                 extra.push_back(std::make_unique<QWidget>());
                 extra.back()->show();
             }
         },
         [&] { extra.clear(); }},
        {"few launches", [] { TQKitSettingWriteInt("TQSetting", "LaunchCount", 4); },
         [] { TQKitSettingWriteInt("TQSetting", "LaunchCount", 5); }},
        {"few days", [] { TQKitSettingWriteInt("TQSetting", "LaunchDayCount", 4); },
         [] { TQKitSettingWriteInt("TQSetting", "LaunchDayCount", 5); }},
        {"offline", [&] { TQKitReachability::install(&offline); }, [] { TQKitReachability::install(nullptr); }},
        {"hidden window", [&] { window_.hide(); }, [&] { window_.show(); }},
        {"gate", [] { TQAppirater::setCallback([](int kind) { return kind != 2; }); },
         [] { TQAppirater::setCallback(nullptr); }},
    };
    for (const Case& c : cases) {
        c.arrange();
        EXPECT_FALSE(event()) << c.what;
        c.undo();
    }
    EXPECT_TRUE(event());
}

TEST_F(TQAppiraterTest, AfterRatingThePromptReturnsOnlyForANewLinkAfterThePeriod)
{
    event();
    event();
    clock_.advance(kDay);
    QDesktopServices::setUrlHandler(u"https"_s, &window_, "close"); // nothing is opened for real
    ASSERT_TRUE(event(kTQKitAlertDefaultButton));
    QDesktopServices::unsetUrlHandler(u"https"_s);
    EXPECT_TRUE(TQAppirater::ratedCurrentVersion());
    window_.show();

    clock_.advance(11 * kDay);
    EXPECT_EQ(eventsUntilPrompt(5), 0); // same link
    TQRatingPromptSetURL("https://sonvale.example/rate-2");
    EXPECT_TRUE(event());
}

TEST_F(TQAppiraterTest, AfterDecliningTheWaitIsTwiceThePeriodForTheSameLink)
{
    event();
    event();
    clock_.advance(kDay);
    ASSERT_TRUE(event(kTQKitAlertAlternateButton));
    EXPECT_TRUE(TQAppirater::declinedToRate());
    clock_.advance(19 * kDay);
    EXPECT_EQ(eventsUntilPrompt(5), 0);
    clock_.advance(kDay);
    EXPECT_TRUE(event());
}

TEST_F(TQAppiraterTest, APromptAgainPeriodOfZeroOrLessMeansAYear)
{
    for (int days : {0, -3}) {
        TQRatingPromptSetDaysToPromptAgain(days);
        EXPECT_EQ(TQAppirater::secondsUntilPromptAgain(), 365 * 86400.0) << days;
    }
}

TEST_F(TQAppiraterTest, CountersBelongToTheVersionTheyWereCountedFor)
{
    event();
    event();
    EXPECT_EQ(TQAppirater::sigEventCount(), 2);
    (void)sonvale::UserDefaults(sonvale::UserDefaults::standardPath()).setObjectForKey("1020", "kTQRateCurrentVersion");
    event(); // the first event of another version starts the count afresh and is not counted
    EXPECT_EQ(TQAppirater::sigEventCount(), 0);
    EXPECT_EQ(TQAppirater::trackedAppVersion(), TQAppirater::currentAppVersion());
    event();
    EXPECT_EQ(TQAppirater::sigEventCount(), 1);
}

TEST_F(TQAppiraterTest, TheGateOpensForOnlineFeaturesWhenNoUpdateIsOffered)
{
    const std::pair<const char*, bool> cases[] = {
        {"{}", false},
        {R"({"TQCAppVersion": 430})", true},
        {R"({"TQCAppVersion": 430, "TQKitUpdateAvailable": 1})", true},
    };
    for (const auto& [json, open] : cases) {
        std::ofstream(sonvale::sonvaleDataDir() / "params.json") << json;
        ASSERT_TRUE(TQKitRemoteParams::shared().load());
        EXPECT_EQ(TQRatingPromptGate(1), open) << json;
    }
}

} // namespace
} // namespace sonvale::test
