#include "telemetry/TQTMDeviceTracker.h"

#include "platform/system/HostInfo.h"
#include "telemetry/TQTMDevice.h"
#include "telemetry/TQTMTelemetryUserDefaults.h"
#include "telemetry/TQTMUtility.h"
#include "telemetry/TQTMWrapperSdk.h"

#include <algorithm>

namespace {

constexpr const char* kUnknown = "Unknown";

// State of the one device of the process, shared by every tracker.
struct SharedState {
    std::recursive_mutex mutex;
    std::shared_ptr<TQTMWrapperSdk> wrapperSdk;
    std::optional<std::string> countryCode;
    bool upToDate = false;
    TQTMDeviceTracker::Host host;
    std::shared_ptr<TQTMDeviceTracker> instance;
};

SharedState& shared()
{
    static SharedState state;
    return state;
}

struct PosixLocale {
    std::string language;
    std::string script;
    std::string country;
};

// "ll_CC.codeset@modifier"; the modifiers latin and cyrillic name a script.
PosixLocale parsePosixLocale(const std::string& name)
{
    PosixLocale locale;
    std::string rest = name;
    std::string modifier;
    if (const size_t at = rest.find('@'); at != std::string::npos) {
        modifier = rest.substr(at + 1);
        rest.erase(at);
    }
    if (const size_t dot = rest.find('.'); dot != std::string::npos)
        rest.erase(dot);
    if (const size_t underscore = rest.find('_'); underscore != std::string::npos) {
        locale.country = rest.substr(underscore + 1);
        rest.erase(underscore);
    }
    locale.language = rest;
    if (modifier == "latin")
        locale.script = "Latn";
    else if (modifier == "cyrillic")
        locale.script = "Cyrl";
    return locale;
}

} // namespace

TQTMDeviceTracker::TQTMDeviceTracker(std::shared_ptr<TQTMTelemetryUserDefaults> defaults, Host host)
    : clock_(*host.clock), host_(std::move(host)),
      history_(std::move(defaults), "PastDevices", kMaxHistoryEntries)
{
    history_.load();
    std::erase_if(history_.entries(), [](const auto& entry) { return !entry->device(); });
    device();
}

void TQTMDeviceTracker::setSharedHost(Host host)
{
    std::lock_guard lock(shared().mutex);
    shared().host = std::move(host);
}

std::shared_ptr<TQTMDeviceTracker> TQTMDeviceTracker::sharedInstance()
{
    std::lock_guard lock(shared().mutex);
    if (!shared().instance)
        shared().instance =
            std::make_shared<TQTMDeviceTracker>(TQTMTelemetryUserDefaults::shared(), shared().host);
    return shared().instance;
}

void TQTMDeviceTracker::resetSharedInstance()
{
    std::lock_guard lock(shared().mutex);
    shared().instance.reset();
    shared().upToDate = false;
    shared().wrapperSdk.reset();
    shared().countryCode.reset();
}

void TQTMDeviceTracker::refreshDeviceNextTime()
{
    std::lock_guard lock(shared().mutex);
    shared().upToDate = false;
}

std::shared_ptr<TQTMDevice> TQTMDeviceTracker::device()
{
    std::lock_guard lock(mutex_);
    {
        std::lock_guard sharedLock(shared().mutex);
        if (device_ && shared().upToDate)
            return device_;
    }
    device_ = updatedDevice();
    auto entry = std::make_shared<TQTMDeviceHistoryInfo>(clock_.now(), device_);
    auto& entries = history_.entries();
    const auto place = std::upper_bound(entries.begin(), entries.end(), *entry->timestamp(),
                                        [](sonvale::TimePoint date, const auto& existing) {
                                            return date < *existing->timestamp();
                                        });
    entries.insert(place, std::move(entry));
    if (entries.size() > kMaxHistoryEntries)
        entries.erase(entries.begin());
    history_.store();
    return device_;
}

std::shared_ptr<TQTMDevice> TQTMDeviceTracker::updatedDevice()
{
    std::lock_guard lock(mutex_);
    auto device = std::make_shared<TQTMDevice>();
    device->setSdkName(TQTMUtility::sdkName());
    device->setSdkVersion(TQTMUtility::sdkVersion());
    device->setModel(sonvale::hostinfo::dmiValue("product_name").value_or(kUnknown));
    device->setOemName(sonvale::hostinfo::dmiValue("sys_vendor"));
    const auto system = sonvale::hostinfo::operatingSystemDescription();
    device->setOsName(system.name);
    device->setOsVersion(system.version);
    device->setOsBuild(system.build);
    const auto languages = sonvale::hostinfo::preferredLanguages();
    device->setLocale(locale(languages.empty() ? std::nullopt : std::optional(languages.front()),
                             sonvale::hostinfo::currentLocaleName()));
    device->setTimeZoneOffset(sonvale::hostinfo::utcOffsetMinutes(clock_.now()));
    const auto screen = host_.mainScreenSize ? host_.mainScreenSize() : std::nullopt;
    device->setScreenSize(
        screen ? std::to_string(screen->first) + "x" + std::to_string(screen->second) : "0x0");
    device->setAppVersion(
        host_.appInfo.stringForInfoDictionaryKey(sonvale::AppInfo::kShortVersionKey));
    device->setAppBuild(host_.appInfo.stringForInfoDictionaryKey(sonvale::AppInfo::kVersionKey));
    device->setAppNamespace(host_.appInfo.bundleIdentifier());

    std::lock_guard sharedLock(shared().mutex);
    device->setCarrierCountry(shared().countryCode);
    refreshWrapperSdk(*device);
    shared().upToDate = true;
    return device;
}

std::shared_ptr<TQTMDevice>
TQTMDeviceTracker::deviceForTimestamp(const std::optional<sonvale::TimePoint>& date)
{
    std::lock_guard lock(mutex_);
    const auto& entries = history_.entries();
    if (!date || entries.empty())
        return device();
    const auto after = std::upper_bound(entries.begin(), entries.end(), *date,
                                        [](sonvale::TimePoint when, const auto& existing) {
                                            return when < *existing->timestamp();
                                        });
    if (after == entries.begin())
        return entries.front()->device();
    return (*std::prev(after))->device();
}

void TQTMDeviceTracker::clearDevices()
{
    std::lock_guard lock(mutex_);
    auto& entries = history_.entries();
    if (entries.size() > 1)
        entries.erase(entries.begin(), entries.end() - 1);
    history_.store();
}

void TQTMDeviceTracker::setWrapperSdk(std::shared_ptr<TQTMWrapperSdk> wrapperSdk)
{
    std::lock_guard lock(mutex_);
    {
        std::lock_guard sharedLock(shared().mutex);
        shared().wrapperSdk = std::move(wrapperSdk);
        shared().upToDate = false;
    }
    history_.removeLast();
    device();
}

std::shared_ptr<TQTMWrapperSdk> TQTMDeviceTracker::wrapperSdk() const
{
    std::lock_guard lock(shared().mutex);
    return shared().wrapperSdk;
}

void TQTMDeviceTracker::setCountryCode(std::optional<std::string> countryCode)
{
    std::lock_guard lock(shared().mutex);
    shared().countryCode = std::move(countryCode);
    shared().upToDate = false;
}

std::optional<std::string> TQTMDeviceTracker::countryCode() const
{
    std::lock_guard lock(shared().mutex);
    return shared().countryCode;
}

void TQTMDeviceTracker::refreshWrapperSdk(TQTMDevice& device)
{
    std::lock_guard lock(shared().mutex);
    const auto& wrapper = shared().wrapperSdk;
    if (!wrapper)
        return;
    device.setWrapperSdkVersion(wrapper->wrapperSdkVersion());
    device.setWrapperSdkName(wrapper->wrapperSdkName());
    device.setWrapperRuntimeVersion(wrapper->wrapperRuntimeVersion());
    device.setLiveUpdateReleaseLabel(wrapper->liveUpdateReleaseLabel());
    device.setLiveUpdateDeploymentKey(wrapper->liveUpdateDeploymentKey());
    device.setLiveUpdatePackageHash(wrapper->liveUpdatePackageHash());
}

std::string TQTMDeviceTracker::locale(const std::optional<std::string>& preferredLanguage,
                                      const std::string& currentLocale)
{
    const PosixLocale current = parsePosixLocale(currentLocale);
    PosixLocale preferred = parsePosixLocale(preferredLanguage.value_or(currentLocale));
    if (preferred.language.empty())
        return "en_US"; // the C locale
    if (preferred.country.empty())
        preferred.country = current.country;
    std::string text = preferred.language;
    if (!preferred.script.empty())
        text += "-" + preferred.script;
    if (!preferred.country.empty())
        text += "_" + preferred.country;
    return text;
}
