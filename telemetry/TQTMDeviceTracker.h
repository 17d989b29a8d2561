#pragma once

#include "platform/system/AppInfo.h"
#include "platform/system/Clock.h"
#include "telemetry/TQTMDeviceHistoryInfo.h"
#include "telemetry/TQTMHistoryStore.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

class TQTMDevice;
class TQTMTelemetryUserDefaults;
class TQTMWrapperSdk;

// Builds the device record from the system, keeps it until something invalidates it, and keeps
// the last five records with the time each was made (across launches), so that a crash found at
// the next launch is sent with the device of the crash time. Safe from any thread.
//
// The wrapper SDK, the country code and the up-to-date flag are shared by every tracker, as one
// process has one device.
class TQTMDeviceTracker final {
public:
    static constexpr size_t kMaxHistoryEntries = 5;

    // What the tracker needs of the application: the clock, its information values and the size
    // of the main screen in logical pixels (nothing without a screen).
    struct Host {
        const sonvale::Clock* clock = &sonvale::systemClock();
        sonvale::AppInfo appInfo = sonvale::AppInfo::main();
        std::function<std::optional<std::pair<int, int>>()> mainScreenSize;
    };

    // Reads the stored history and records the current device.
    TQTMDeviceTracker(std::shared_ptr<TQTMTelemetryUserDefaults> defaults, Host host);

    // The application sets its host before the shared tracker is first used.
    static void setSharedHost(Host host);
    static std::shared_ptr<TQTMDeviceTracker> sharedInstance();
    // Drops the shared tracker and clears the shared state (wrapper SDK, country code, flag).
    static void resetSharedInstance();
    static void refreshDeviceNextTime();

    // The current record, built and recorded in the history first when needed.
    std::shared_ptr<TQTMDevice> device();
    // A new record from the system; not recorded.
    std::shared_ptr<TQTMDevice> updatedDevice();
    // The record that was current at that time (the current one without a date or history).
    std::shared_ptr<TQTMDevice> deviceForTimestamp(const std::optional<sonvale::TimePoint>& date);
    void clearDevices();

    void setWrapperSdk(std::shared_ptr<TQTMWrapperSdk> wrapperSdk);
    std::shared_ptr<TQTMWrapperSdk> wrapperSdk() const;
    void setCountryCode(std::optional<std::string> countryCode);
    std::optional<std::string> countryCode() const;
    // Copies the wrapper SDK's fields into the device; nothing without a wrapper SDK.
    static void refreshWrapperSdk(TQTMDevice& device);

    // The user's locale as language[-Script]_COUNTRY from POSIX locale names ("sr_RS@latin"
    // gives sr-Latn_RS); the country of `currentLocale` fills in a missing one.
    static std::string locale(const std::optional<std::string>& preferredLanguage,
                              const std::string& currentLocale);

private:
    const sonvale::Clock& clock_;
    const Host host_;
    mutable std::recursive_mutex mutex_;
    TQTMHistoryStore<TQTMDeviceHistoryInfo> history_;
    std::shared_ptr<TQTMDevice> device_;
};
