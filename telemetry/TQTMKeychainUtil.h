#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Strings kept in the user's secret store (the keychain's stand-in) as generic passwords: one
// value per service and key (account). The default service is the application's bundle
// identifier followed by ".Telemetry". Stateless; safe from any thread.
class TQTMKeychainUtil final {
public:
    TQTMKeychainUtil() = delete;

    static std::string defaultServiceName();

    // Replaces a value already stored under the key.
    static bool storeStringForKeyWithServiceName(const std::string& string, const std::string& key,
                                                 const std::string& serviceName);
    static bool storeStringForKey(const std::string& string, const std::string& key);
    // The store's status goes to `statusCode` when given (-25300 for a missing item).
    static std::optional<std::string> stringForKeyWithServiceNameStatusCode(
        const std::string& key, const std::string& serviceName, int32_t* statusCode);
    static std::optional<std::string> stringForKeyStatusCode(const std::string& key,
                                                             int32_t* statusCode);
    // The deleted value; nothing when there was none or it could not be deleted.
    static std::optional<std::string> deleteStringForKeyWithServiceName(
        const std::string& key, const std::string& serviceName);
    static std::optional<std::string> deleteStringForKey(const std::string& key);
    // Deletes every value of the default service.
    static bool clear();
};
