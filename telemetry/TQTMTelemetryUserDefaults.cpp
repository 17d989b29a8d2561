#include "telemetry/TQTMTelemetryUserDefaults.h"

#include "platform/system/UserDefaults.h"
#include "telemetry/TQTMLogger.h"

#include <mutex>

namespace {

constexpr const char* kPrefix = "TMTelemetry";

std::mutex sharedMutex;
std::shared_ptr<TQTMTelemetryUserDefaults> sharedInstance;

} // namespace

TQTMTelemetryUserDefaults::TQTMTelemetryUserDefaults(std::shared_ptr<sonvale::UserDefaults> store)
    : store_(std::move(store))
{}

std::shared_ptr<TQTMTelemetryUserDefaults> TQTMTelemetryUserDefaults::shared()
{
    std::lock_guard lock(sharedMutex);
    if (!sharedInstance)
        sharedInstance = std::make_shared<TQTMTelemetryUserDefaults>(
            std::make_shared<sonvale::UserDefaults>(sonvale::UserDefaults::standardPath()));
    return sharedInstance;
}

void TQTMTelemetryUserDefaults::resetSharedInstance()
{
    std::lock_guard lock(sharedMutex);
    sharedInstance.reset();
}

std::string TQTMTelemetryUserDefaults::getTelemetryKeyFrom(const std::string& key)
{
    return kPrefix + key;
}

std::optional<nlohmann::json> TQTMTelemetryUserDefaults::objectForKey(const std::string& key) const
{
    return store_->objectForKey(getTelemetryKeyFrom(key));
}

void TQTMTelemetryUserDefaults::setObjectForKey(nlohmann::json value, const std::string& key)
{
    storeUnprefixed(getTelemetryKeyFrom(key), std::move(value));
}

void TQTMTelemetryUserDefaults::removeObjectForKey(const std::string& key)
{
    storeUnprefixed(getTelemetryKeyFrom(key), nullptr);
}

void TQTMTelemetryUserDefaults::storeUnprefixed(const std::string& name, nlohmann::json value)
{
    const sonvale::Status status = store_->setObjectForKey(std::move(value), name);
    if (!status)
        TQTMLogError(kTQTMCoreLogTag, "Couldn't save user defaults: " + status.message());
}

void TQTMTelemetryUserDefaults::migrateKeysForService(
    const TQTMUserDefaultsMigrationTable& migratedKeys, const std::string& serviceName)
{
    const std::string marker = "310" + serviceName + "UserDefaultsMigratedKey";
    if (objectForKey(marker))
        return;
    TQTMLogVerbose(kTQTMCoreLogTag, "Migrating the old NSDefaults keys to new ones.");
    for (const auto& [newKey, oldKey] : migratedKeys) {
        if (const auto* oldName = std::get_if<std::string>(&oldKey)) {
            swapKeysNewKeyValue(*oldName, newKey, store_->objectForKey(*oldName));
            continue;
        }
        const std::string& prefix = std::get<TQTMUserDefaultsPrefixKey>(oldKey).keyPrefix();
        const nlohmann::json all = store_->dictionaryRepresentation();
        for (auto it = all.begin(); it != all.end(); ++it) {
            if (it.key().rfind(prefix, 0) == 0)
                swapKeysNewKeyValue(it.key(), newKey + it.key().substr(prefix.size()), *it);
        }
    }
    setObjectForKey(true, marker);
}

void TQTMTelemetryUserDefaults::swapKeysNewKeyValue(const std::string& oldKey,
                                                    const std::string& newKey,
                                                    const std::optional<nlohmann::json>& value)
{
    if (!value)
        return;
    storeUnprefixed(newKey, *value);
    storeUnprefixed(oldKey, nullptr);
    TQTMLogVerbose(kTQTMCoreLogTag, "Migrating key " + oldKey + " -> " + newKey);
}
