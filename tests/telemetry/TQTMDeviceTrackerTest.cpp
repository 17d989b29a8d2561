#include "telemetry/TQTMDeviceTracker.h"

#include "platform/system/FakeClock.h"
#include "platform/system/UserDefaults.h"
#include "telemetry/TQTMDevice.h"
#include "telemetry/TQTMTelemetryUserDefaults.h"
#include "telemetry/TQTMWrapperSdk.h"

#include "tests/telemetry/TelemetryTestSupport.h"

using namespace sonvale;
using namespace std::chrono;

namespace {

class TQTMDeviceTrackerTest : public test::TelemetryTest {
protected:
    // A new launch: new objects over the same defaults file, `later` after the previous one.
    std::unique_ptr<TQTMDeviceTracker> launch(const std::string& appVersion,
                                              nanoseconds later = hours(1))
    {
        TQTMDeviceTracker::resetSharedInstance();
        clock.advance(later);
        TQTMDeviceTracker::Host host;
        host.clock = &clock;
        host.appInfo =
            AppInfo("com.telquor.Sonvale", {{AppInfo::kShortVersionKey, appVersion},
                                            {AppInfo::kVersionKey, "build-" + appVersion}});
        host.mainScreenSize = [] { return std::make_pair(1920, 1080); };
        return std::make_unique<TQTMDeviceTracker>(freshDefaults(), host);
    }

    static std::shared_ptr<TQTMTelemetryUserDefaults> freshDefaults()
    {
        return std::make_shared<TQTMTelemetryUserDefaults>(
            std::make_shared<UserDefaults>(UserDefaults::standardPath()));
    }

    // The app versions of the stored history, oldest first.
    static std::vector<std::string> storedVersions()
    {
        TQTMHistoryStore<TQTMDeviceHistoryInfo> stored(freshDefaults(), "PastDevices", 100);
        stored.load();
        std::vector<std::string> versions;
        for (const auto& entry : stored.entries())
            versions.push_back(entry->device()->appVersion().value_or("?"));
        return versions;
    }

    FakeClock clock{sys_days(year(2021) / 1 / 15) + hours(9)};
};

} // namespace

TEST_F(TQTMDeviceTrackerTest, BuildsTheDeviceFromTheHostAndTheSystem)
{
    test::ScopedEnv tz("TZ", "Asia/Kolkata");
    test::ScopedEnv language("LANGUAGE", "sr_RS@latin");
    const auto device = launch("1.0.21")->device();
    EXPECT_EQ(device->sdkName(), "telemetry.macos");
    EXPECT_EQ(device->sdkVersion(), "2.1.0");
    EXPECT_EQ(device->osName(), "Linux");
    EXPECT_EQ(device->timeZoneOffset(), 330);
    EXPECT_EQ(device->locale(), "sr-Latn_RS");
    EXPECT_EQ(device->screenSize(), "1920x1080");
    EXPECT_EQ(device->appVersion(), "1.0.21");
    EXPECT_EQ(device->appBuild(), "build-1.0.21");
    EXPECT_EQ(device->appNamespace(), "com.telquor.Sonvale");
    EXPECT_TRUE(device->model());
    EXPECT_TRUE(device->osBuild());
    EXPECT_TRUE(device->isValid());

    test::ScopedEnv newfoundland("TZ", "America/St_Johns");
    EXPECT_EQ(launch("1.0.21")->device()->timeZoneOffset(), -210);
}

TEST_F(TQTMDeviceTrackerTest, SixLaunchesKeepTheNewestFiveDevices)
{
    for (int i = 1; i <= 6; ++i)
        launch("v" + std::to_string(i));
    EXPECT_EQ(storedVersions(), (std::vector<std::string>{"v2", "v3", "v4", "v5", "v6"}));
}

TEST_F(TQTMDeviceTrackerTest, DeviceForTimestampAnswersTheDeviceOfThatTime)
{
    launch("A");
    const TimePoint startA = clock.now();
    auto tracker = launch("B");
    const TimePoint startB = clock.now();

    const std::pair<std::optional<TimePoint>, const char*> cases[] = {
        {startA - seconds(1), "A"}, // before every entry: the oldest
        {startA, "A"},              // equal to an entry: that entry
        {startA + minutes(30), "A"},
        {startB, "B"},
        {startB + hours(5), "B"}, // after all: the newest
        {std::nullopt, "B"},      // no date: the current device
    };
    for (const auto& [date, version] : cases)
        EXPECT_EQ(tracker->deviceForTimestamp(date)->appVersion(), version);
}

TEST_F(TQTMDeviceTrackerTest, CountryCodeAddsAnEntryAndWrapperSdkReplacesTheNewest)
{
    auto tracker = launch("1.0");
    EXPECT_FALSE(tracker->device()->carrierCountry());
    tracker->setCountryCode("DE");
    EXPECT_EQ(storedVersions().size(), 1u); // not rebuilt until asked
    clock.advance(minutes(1));
    EXPECT_EQ(tracker->device()->carrierCountry(), "DE");
    EXPECT_EQ(storedVersions().size(), 2u);

    tracker->setWrapperSdk(std::make_shared<TQTMWrapperSdk>(
        "3.1", "wrapper", std::nullopt, std::nullopt, std::nullopt, std::nullopt));
    EXPECT_EQ(tracker->device()->wrapperSdkName(), "wrapper");
    EXPECT_EQ(storedVersions().size(), 2u);
    EXPECT_EQ(tracker->deviceForTimestamp(clock.now())->wrapperSdkName(), "wrapper");

    tracker->clearDevices();
    EXPECT_EQ(storedVersions().size(), 1u);
}

TEST_F(TQTMDeviceTrackerTest, AnUnreadableHistoryStartsEmpty)
{
    freshDefaults()->setObjectForKey(nlohmann::json::binary({1, 2, 3}), "PastDevices");
    launch("1.0");
    EXPECT_EQ(storedVersions(), std::vector<std::string>{"1.0"});
}

TEST_F(TQTMDeviceTrackerTest, ValidityAndEquality)
{
    auto device = launch("1.0")->device();
    TQTMDevice copy = *device;
    EXPECT_TRUE(copy.isEqual(*device));

    copy.setScreenSize("800x600");
    EXPECT_FALSE(copy.isEqual(*device));
    copy = *device;
    copy.setLiveUpdateReleaseLabel("label");
    EXPECT_FALSE(copy.isEqual(*device));

    copy = *device;
    copy.setAppBuild(std::nullopt);
    EXPECT_FALSE(copy.isValid());
    EXPECT_EQ(logs.messages().back(), "TQTMDevice: \"appBuild\" is not valid.");
}

TEST_F(TQTMDeviceTrackerTest, LocaleTextFromPosixLocaleNames)
{
    const std::tuple<std::optional<std::string>, std::string, std::string> cases[] = {
        {"en_US.UTF-8", "", "en_US"},
        {"sr_RS@latin", "", "sr-Latn_RS"},
        {"uz_UZ.UTF-8@cyrillic", "", "uz-Cyrl_UZ"},
        {"de", "fr_CH.UTF-8", "de_CH"}, // the country of the current locale fills in
        {"pt", "", "pt"},
        {std::nullopt, "", "en_US"}, // the C locale
        {std::nullopt, "nl_BE.UTF-8", "nl_BE"},
    };
    for (const auto& [preferred, current, expected] : cases)
        EXPECT_EQ(TQTMDeviceTracker::locale(preferred, current), expected)
            << preferred.value_or("-") << " " << current;
}
