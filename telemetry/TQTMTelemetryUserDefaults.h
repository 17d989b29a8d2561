#pragma once

#include "telemetry/TQTMUserDefaultsPrefixKey.h"

#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace sonvale {
class UserDefaults;
}

// An old key of a migration table: one entry by its full name, or a family by its prefix.
using TQTMUserDefaultsOldKey = std::variant<std::string, TQTMUserDefaultsPrefixKey>;
// New key (the complete stored name) and old key, applied in this order.
using TQTMUserDefaultsMigrationTable = std::vector<std::pair<std::string, TQTMUserDefaultsOldKey>>;

// The telemetry client's small persistent settings, kept in the application's user defaults under
// the prefix "TMTelemetry" so they cannot collide with the application's own keys, and the one-time
// migration of keys that earlier versions wrote under other names. Safe from any thread (the
// store is).
class TQTMTelemetryUserDefaults final {
public:
    explicit TQTMTelemetryUserDefaults(std::shared_ptr<sonvale::UserDefaults> store);

    // The shared instance over the application's standard defaults file, made on first use.
    static std::shared_ptr<TQTMTelemetryUserDefaults> shared();
    // Drops the shared instance; the next shared() opens the file anew.
    static void resetSharedInstance();

    std::optional<nlohmann::json> objectForKey(const std::string& key) const;
    // A null value removes the entry.
    void setObjectForKey(nlohmann::json value, const std::string& key);
    void removeObjectForKey(const std::string& key);

    // Moves the old entries of the table to their new names, once per service and installation.
    void migrateKeysForService(const TQTMUserDefaultsMigrationTable& migratedKeys,
                               const std::string& serviceName);
    // Stores `value` under the new name and removes the old one; nothing at all without a value.
    void swapKeysNewKeyValue(const std::string& oldKey, const std::string& newKey,
                             const std::optional<nlohmann::json>& value);

    static std::string getTelemetryKeyFrom(const std::string& key);

private:
    void storeUnprefixed(const std::string& name, nlohmann::json value);

    std::shared_ptr<sonvale::UserDefaults> store_;
};
