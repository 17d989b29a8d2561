#pragma once

// The app-rating prompt: at a quiet moment it asks the user to rate the application. It counts
// uses and significant events (kept in the user defaults, per application version), waits for
// configured numbers of them and of days, remembers the answer (rate, decline, later) and asks
// again only after a configurable period. The texts and the rating link come from the remote
// configuration; a gate callback holds the prompt back while an update is being offered.
//
// Main thread only: the values are process-wide and the prompt is an alert over a window. Times
// are read from the clock set with setClock() (the system clock unless a test sets its own).

#include <QString>
#include <QUrl>

#include <optional>

class QWidget;
namespace sonvale {
class Clock;
}

class TQAppirater final {
public:
    using Gate = bool (*)(int kind); // kind 1: may count; kind 2: may prompt now

    TQAppirater() = delete;

    static void setClock(sonvale::Clock* clock);

    // Configuration (in memory only).
    static void setEnabledFlag(bool enabled);
    static void setEnabledFlagIncreaseCountersWhenEnabled(bool enabled, bool increase);
    static bool isEnabled();
    static void setAppId(const QString& appId);
    static QString appId();
    static void setRatingTitleFormat(const std::optional<QString>& format);
    static std::optional<QString> ratingTitleFormat();
    static void setRatingQuestion(const std::optional<QString>& question);
    static std::optional<QString> ratingQuestion();
    static void setRatingURL(const std::optional<QString>& url);
    static std::optional<QUrl> ratingURL();
    static void setDaysUntilPrompt(double days);
    static double secondsUntilPrompt();
    static void setDaysBeforeReminding(double days);
    static double secondsBeforeReminding();
    static void setDaysToPromptAgain(double days); // 0 or less: 365
    static double secondsUntilPromptAgain();
    static void setUsesUntilPrompt(long uses);
    static long usesUntilPrompt();
    static long incUsesUntilPrompt(long by);
    static void setSigEventsUntilPrompt(long events);
    static long sigEventsUntilPrompt();
    static long incSigEventsUntilPrompt(long by);
    static void setCallback(Gate gate);
    static bool isAlertShowing();

    // Counting and prompting; the answer says whether the prompt was shown.
    static bool incrementAndRateWindow(bool canPrompt, QWidget* window);
    static bool incrementSigEventAndRateWindow(bool canPrompt, QWidget* window);
    static bool testRatingConditions(QWidget* window);
    static void showRatingAlert(QWidget* window);
    static bool configurationIsSuitableForRating();

    // Counters and answers (persisted).
    static void clearCounters();
    static void resetCounters();
    static void checkAppVersionAndIncUseCount();
    static void checkAppVersionAndIncSigEventCount();
    static void setRatedCurrentVersion();
    static void setDeclinedToRate();
    static void setRemindLater();
    static bool ratedCurrentVersion();
    static bool declinedToRate();
    static long useCount();
    static long sigEventCount();
    static double secondsSinceFirstLaunch();
    static double secondsSinceReminderRequest();
    static bool currentAndTrackedURLMatch();
    static QString currentAppVersion();
    static QString trackedAppVersion();

private:
    static bool incrementAndRate(bool canPrompt, QWidget* window, bool significantEvent);
};
