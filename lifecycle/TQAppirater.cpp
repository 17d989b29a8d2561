#include "lifecycle/TQAppirater.h"

#include "lifecycle/TQAnalytics.h"
#include "platform/system/AppInfo.h"
#include "platform/system/Clock.h"
#include "platform/system/UserDefaults.h"
#include "platform/tqkit-ui/TQKitAlerts.h"
#include "platform/tqkit-ui/TQKitApplicationFacts.h"
#include "platform/tqkit-ui/TQKitReachability.h"
#include "platform/tqkit-ui/TQKitWindowServices.h"
#include "platform/tqkit-ui/TQKitWindowSheet.h"
#include "platform/tqkit-ui/TQKitWorkspace.h"

#include <QDialog>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

constexpr double kSecondsPerDay = 86400.0;
constexpr int kShortestText = 4; // texts of this length or shorter count as unset
constexpr int kMostWindows = 5;
constexpr int kGateCountMinimum = 5;

constexpr const char* kUseCount = "kTQRateUseCount";
constexpr const char* kSignificantEventCount = "kTQRateSignificantEventCount";
constexpr const char* kRatedCurrentVersion = "kTQRateRatedCurrentVersion";
constexpr const char* kDeclinedToRate = "kTQRateDeclinedToRate";
constexpr const char* kFirstUseDate = "kTQRateFirstUseDate";
constexpr const char* kReminderRequestDate = "kTQRateReminderRequestDate";
constexpr const char* kCurrentVersion = "kTQRateCurrentVersion";
constexpr const char* kReminderRequestURL = "kTQRateReminderRequestURL";

struct Values {
    bool enabled = true;
    QString appId;
    std::optional<QString> titleFormat;
    std::optional<QString> question;
    std::optional<QString> url;
    double daysUntilPrompt = 30;
    double daysBeforeReminding = 1;
    double daysToPromptAgain = 365;
    long usesUntilPrompt = 20;
    long sigEventsUntilPrompt = 0;
    TQAppirater::Gate gate = nullptr;
    bool alertShowing = false;
    sonvale::Clock* clock = nullptr;
};

Values& values()
{
    static Values shared;
    return shared;
}

// --- Storage: the user defaults, read and written through on every access -----------------------

sonvale::UserDefaults defaults() { return sonvale::UserDefaults(sonvale::UserDefaults::standardPath()); }

QString stringForKey(const char* key)
{
    const std::optional<nlohmann::json> value = defaults().objectForKey(key);
    return value && value->is_string() ? QString::fromStdString(value->get<std::string>()) : QString();
}
void setStringForKey(const QString& value, const char* key)
{
    (void)defaults().setObjectForKey(value.toStdString(), key);
}
bool boolForKey(const char* key)
{
    const std::optional<nlohmann::json> value = defaults().objectForKey(key);
    return value && value->is_boolean() && value->get<bool>();
}
void setBoolForKey(bool value, const char* key) { (void)defaults().setObjectForKey(value, key); }
long integerForKey(const char* key)
{
    const std::optional<nlohmann::json> value = defaults().objectForKey(key);
    return value && value->is_number() ? value->get<long>() : 0;
}
void setIntegerForKey(long value, const char* key) { (void)defaults().setObjectForKey(value, key); }
double timestampForKey(const char* key)
{
    const std::optional<nlohmann::json> value = defaults().objectForKey(key);
    return value && value->is_number() ? value->get<double>() : 0.0;
}
void setTimestampForKey(double value, const char* key) { (void)defaults().setObjectForKey(value, key); }

double now()
{
    sonvale::Clock& clock = values().clock ? *values().clock : sonvale::systemClock();
    return std::chrono::duration<double>(clock.now().time_since_epoch()).count();
}
double secondsSinceTimestampForKey(const char* key)
{
    const double stamp = timestampForKey(key);
    return stamp <= 0 ? 0 : now() - stamp;
}

void checkAndInitTimestampOfFirstLaunch()
{
    if (timestampForKey(kFirstUseDate) == 0)
        setTimestampForKey(now(), kFirstUseDate);
}

QString currentRequestURL()
{
    const std::optional<QUrl> url = TQAppirater::ratingURL();
    return url ? url->toString() : QString();
}

// A configured text: longer than the shortest counts; a short one means "none"; nothing stored
// gives the built-in text.
std::optional<QString> configuredText(const std::optional<QString>& stored, const QString& builtIn)
{
    if (!stored || stored->isEmpty())
        return builtIn;
    if (stored->size() > kShortestText)
        return stored;
    return std::nullopt;
}

} // namespace

void TQAppirater::setClock(sonvale::Clock* clock) { values().clock = clock; }

void TQAppirater::setEnabledFlag(bool enabled) { values().enabled = enabled; }

void TQAppirater::setEnabledFlagIncreaseCountersWhenEnabled(bool enabled, bool increase)
{
    if (enabled && increase && !values().enabled) {
        values().usesUntilPrompt += 2;
        values().sigEventsUntilPrompt += 2;
    }
    values().enabled = enabled;
}

bool TQAppirater::isEnabled() { return values().enabled; }
void TQAppirater::setAppId(const QString& appId) { values().appId = appId; }
QString TQAppirater::appId() { return values().appId; }
void TQAppirater::setRatingTitleFormat(const std::optional<QString>& format) { values().titleFormat = format; }
void TQAppirater::setRatingQuestion(const std::optional<QString>& question) { values().question = question; }
void TQAppirater::setRatingURL(const std::optional<QString>& url) { values().url = url; }

std::optional<QString> TQAppirater::ratingTitleFormat()
{
    return configuredText(values().titleFormat, u"Like '%@'?"_s);
}

std::optional<QString> TQAppirater::ratingQuestion()
{
    return configuredText(values().question,
                          u"Please rate it on the App Store. This will help us to work on future improvements."_s);
}

// Without a configured link there is none: Sonvale is not sold in a store whose review page could
// stand in.
std::optional<QUrl> TQAppirater::ratingURL()
{
    const std::optional<QString>& stored = values().url;
    if (!stored || stored->size() <= kShortestText)
        return std::nullopt;
    const QUrl url(*stored);
    return url.isValid() ? std::optional<QUrl>(url) : std::nullopt;
}

void TQAppirater::setDaysUntilPrompt(double days) { values().daysUntilPrompt = days; }
double TQAppirater::secondsUntilPrompt() { return values().daysUntilPrompt * kSecondsPerDay; }
void TQAppirater::setDaysBeforeReminding(double days) { values().daysBeforeReminding = days; }
double TQAppirater::secondsBeforeReminding() { return values().daysBeforeReminding * kSecondsPerDay; }
void TQAppirater::setDaysToPromptAgain(double days) { values().daysToPromptAgain = days > 0 ? days : 365; }
double TQAppirater::secondsUntilPromptAgain() { return values().daysToPromptAgain * kSecondsPerDay; }
void TQAppirater::setUsesUntilPrompt(long uses) { values().usesUntilPrompt = uses; }
long TQAppirater::usesUntilPrompt() { return values().usesUntilPrompt; }
long TQAppirater::incUsesUntilPrompt(long by) { return values().usesUntilPrompt += by; }
void TQAppirater::setSigEventsUntilPrompt(long events) { values().sigEventsUntilPrompt = events; }
long TQAppirater::sigEventsUntilPrompt() { return values().sigEventsUntilPrompt; }
long TQAppirater::incSigEventsUntilPrompt(long by) { return values().sigEventsUntilPrompt += by; }
void TQAppirater::setCallback(Gate gate) { values().gate = gate; }
bool TQAppirater::isAlertShowing() { return values().alertShowing; }

bool TQAppirater::configurationIsSuitableForRating()
{
    const std::optional<QString> title = ratingTitleFormat();
    const std::optional<QString> question = ratingQuestion();
    return values().enabled && ratingURL() && title && title->size() > kShortestText && question &&
           question->size() > kShortestText;
}

bool TQAppirater::incrementAndRateWindow(bool canPrompt, QWidget* window)
{
    return incrementAndRate(canPrompt, window, false);
}

bool TQAppirater::incrementSigEventAndRateWindow(bool canPrompt, QWidget* window)
{
    return incrementAndRate(canPrompt, window, true);
}

bool TQAppirater::incrementAndRate(bool canPrompt, QWidget* window, bool significantEvent)
{
    if (!configurationIsSuitableForRating())
        return false;
    const Gate gate = values().gate;
    if (gate && !gate(1))
        return false;
    if (significantEvent)
        checkAppVersionAndIncSigEventCount();
    else
        checkAppVersionAndIncUseCount();
    if (!canPrompt || !testRatingConditions(window) || !TQKitIsNetworkReachable())
        return false;
    if (gate && !gate(2))
        return false;
    showRatingAlert(window);
    return true;
}

bool TQAppirater::testRatingConditions(QWidget* window)
{
    if (!values().enabled)
        return false;
    if (useCount() <= values().usesUntilPrompt && sigEventCount() <= values().sigEventsUntilPrompt)
        return false;
    if (secondsSinceFirstLaunch() < secondsUntilPrompt())
        return false;
    double sinceAnswer = secondsSinceReminderRequest();
    if (sinceAnswer <= 0)
        sinceAnswer = secondsSinceFirstLaunch();
    if (sinceAnswer < secondsBeforeReminding())
        return false;
    if (ratedCurrentVersion()) {
        if (secondsUntilPromptAgain() <= 0 || currentAndTrackedURLMatch() || sinceAnswer < secondsUntilPromptAgain())
            return false;
    }
    if (declinedToRate()) {
        const double wait = secondsUntilPromptAgain() * (currentAndTrackedURLMatch() ? 2 : 1);
        if (wait <= 0 || sinceAnswer < wait)
            return false;
    }
    int windows = 0;
    bool sheetOpen = false;
    TQKitForEachWindow([&](QWidget* shown) {
        ++windows;
        sheetOpen = sheetOpen || TQKitWindowHasSheet(shown);
    });
    if (sheetOpen || windows > kMostWindows)
        return false;
    if (TQKitRatingGateCountA() < kGateCountMinimum || TQKitRatingGateCountB() < kGateCountMinimum)
        return false;
    return !window || window->isVisible();
}

void TQAppirater::showRatingAlert(QWidget* window)
{
    if (values().alertShowing || !configurationIsSuitableForRating())
        return;
    const std::optional<QUrl> url = ratingURL();
    const std::optional<QString> format = ratingTitleFormat();
    const std::optional<QString> question = ratingQuestion();
    if (!url || url->isEmpty() || !format || format->isEmpty() || !question || question->isEmpty())
        return;
    const QString name = TQKitApplicationName().remove(u" Free"_s).remove(u" Trial"_s);
    QString title = *format;
    title.replace(u"%@"_s, name);

    values().alertShowing = true;
    TQKitRunAlert(window,
                  {{u"title"_s, title},
                   {u"message"_s, *question},
                   {u"defaultButton"_s, u"Rate It!"_s},
                   {u"alternateButton"_s, u"No, thanks"_s},
                   {u"otherButton"_s, u"Later"_s},
                   {u"flags"_s, 10}},
                  [link = url->toString()](int button, bool) {
                      values().alertShowing = false;
                      if (button == kTQKitAlertDefaultButton) {
                          setRatedCurrentVersion();
                          TQKitOpenURL(link);
                          TQAnalyticsPostEvent("ae_appirater_rate");
                      } else if (button == kTQKitAlertAlternateButton) {
                          setDeclinedToRate();
                          TQAnalyticsPostEvent("ae_appirater_declined");
                      } else {
                          setRemindLater();
                          TQAnalyticsPostEvent("ae_appirater_remind");
                      }
                  });
}

// --- Counters and answers ------------------------------------------------------------------------

void TQAppirater::clearCounters()
{
    setTimestampForKey(now(), kFirstUseDate);
    setTimestampForKey(0, kReminderRequestDate);
    setIntegerForKey(0, kUseCount);
    setIntegerForKey(0, kSignificantEventCount);
    setStringForKey({}, kCurrentVersion);
    setStringForKey({}, kReminderRequestURL);
    setBoolForKey(false, kRatedCurrentVersion);
    setBoolForKey(false, kDeclinedToRate);
}

void TQAppirater::resetCounters()
{
    setTimestampForKey(now(), kFirstUseDate);
    setTimestampForKey(0, kReminderRequestDate);
    setIntegerForKey(0, kUseCount);
    setIntegerForKey(0, kSignificantEventCount);
    setStringForKey(currentAppVersion(), kCurrentVersion);
}

void TQAppirater::checkAppVersionAndIncUseCount()
{
    checkAndInitTimestampOfFirstLaunch();
    if (trackedAppVersion() == currentAppVersion())
        setIntegerForKey(useCount() + 1, kUseCount);
    else
        resetCounters();
}

void TQAppirater::checkAppVersionAndIncSigEventCount()
{
    checkAndInitTimestampOfFirstLaunch();
    if (trackedAppVersion() == currentAppVersion())
        setIntegerForKey(sigEventCount() + 1, kSignificantEventCount);
    else
        resetCounters();
}

void TQAppirater::setRatedCurrentVersion()
{
    checkAndInitTimestampOfFirstLaunch();
    setTimestampForKey(now(), kReminderRequestDate);
    setStringForKey(currentRequestURL(), kReminderRequestURL);
    setBoolForKey(true, kRatedCurrentVersion);
    setBoolForKey(false, kDeclinedToRate);
}

void TQAppirater::setDeclinedToRate()
{
    checkAndInitTimestampOfFirstLaunch();
    setTimestampForKey(now(), kReminderRequestDate);
    setStringForKey(currentRequestURL(), kReminderRequestURL);
    setBoolForKey(true, kDeclinedToRate);
    setBoolForKey(false, kRatedCurrentVersion);
}

void TQAppirater::setRemindLater()
{
    checkAndInitTimestampOfFirstLaunch();
    setTimestampForKey(now(), kReminderRequestDate);
    setStringForKey(currentRequestURL(), kReminderRequestURL);
    incUsesUntilPrompt(3);
    incSigEventsUntilPrompt(3);
    setIntegerForKey(0, kUseCount);
    setIntegerForKey(0, kSignificantEventCount);
    setBoolForKey(false, kRatedCurrentVersion);
    setBoolForKey(false, kDeclinedToRate);
}

bool TQAppirater::ratedCurrentVersion() { return boolForKey(kRatedCurrentVersion); }
bool TQAppirater::declinedToRate() { return boolForKey(kDeclinedToRate); }
long TQAppirater::useCount() { return integerForKey(kUseCount); }
long TQAppirater::sigEventCount() { return integerForKey(kSignificantEventCount); }

double TQAppirater::secondsSinceFirstLaunch()
{
    checkAndInitTimestampOfFirstLaunch();
    return secondsSinceTimestampForKey(kFirstUseDate);
}

double TQAppirater::secondsSinceReminderRequest() { return secondsSinceTimestampForKey(kReminderRequestDate); }

bool TQAppirater::currentAndTrackedURLMatch() { return currentRequestURL() == stringForKey(kReminderRequestURL); }

QString TQAppirater::currentAppVersion()
{
    return QString::fromStdString(
        sonvale::AppInfo::main().stringForInfoDictionaryKey(sonvale::AppInfo::kVersionKey).value_or(""));
}

QString TQAppirater::trackedAppVersion()
{
    QString tracked = stringForKey(kCurrentVersion);
    if (tracked.isEmpty()) {
        tracked = currentAppVersion();
        setStringForKey(tracked, kCurrentVersion);
    }
    return tracked;
}
