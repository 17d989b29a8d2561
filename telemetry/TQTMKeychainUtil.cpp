#include "telemetry/TQTMKeychainUtil.h"

#include "platform/system/AppInfo.h"
#include "platform/system/SecretStore.h"
#include "telemetry/TQTMLogger.h"

namespace {

using sonvale::SecretStore;

std::string itemText(const std::string& key, const std::string& service)
{
    return "key='" + key + "', service='" + service + "'";
}

} // namespace

std::string TQTMKeychainUtil::defaultServiceName()
{
    static const std::string name = sonvale::AppInfo::main().bundleIdentifier() + ".Telemetry";
    return name;
}

bool TQTMKeychainUtil::storeStringForKeyWithServiceName(const std::string& string,
                                                        const std::string& key,
                                                        const std::string& serviceName)
{
    SecretStore& store = SecretStore::standard();
    int32_t status = store.add(serviceName, key, string);
    if (status == SecretStore::kDuplicateItem) {
        store.remove(serviceName, key);
        status = store.add(serviceName, key, string);
    }
    if (status == SecretStore::kSuccess) {
        TQTMLogVerbose(kTQTMCoreLogTag,
                       "Stored a string with " + itemText(key, serviceName) + " to keychain.");
        return true;
    }
    TQTMLogWarning(kTQTMCoreLogTag, "Failed to store item with " + itemText(key, serviceName) +
                                        " to keychain. OS Status code " + std::to_string(status));
    return false;
}

bool TQTMKeychainUtil::storeStringForKey(const std::string& string, const std::string& key)
{
    return storeStringForKeyWithServiceName(string, key, defaultServiceName());
}

std::optional<std::string> TQTMKeychainUtil::stringForKeyWithServiceNameStatusCode(
    const std::string& key, const std::string& serviceName, int32_t* statusCode)
{
    std::string value;
    const int32_t status = SecretStore::standard().copyMatching(serviceName, key, &value);
    if (statusCode)
        *statusCode = status;
    if (status == SecretStore::kSuccess) {
        TQTMLogVerbose(kTQTMCoreLogTag, "Retrieved a string with " + itemText(key, serviceName) +
                                            " from keychain.");
        return value;
    }
    TQTMLogWarning(kTQTMCoreLogTag, "Failed to retrieve item with " + itemText(key, serviceName) +
                                        " from keychain. OS Status code " + std::to_string(status));
    return std::nullopt;
}

std::optional<std::string> TQTMKeychainUtil::stringForKeyStatusCode(const std::string& key,
                                                                    int32_t* statusCode)
{
    return stringForKeyWithServiceNameStatusCode(key, defaultServiceName(), statusCode);
}

std::optional<std::string>
TQTMKeychainUtil::deleteStringForKeyWithServiceName(const std::string& key,
                                                    const std::string& serviceName)
{
    std::optional<std::string> old = stringForKeyWithServiceNameStatusCode(key, serviceName, nullptr);
    if (!old)
        return std::nullopt;
    const int32_t status = SecretStore::standard().remove(serviceName, key);
    if (status == SecretStore::kSuccess) {
        TQTMLogVerbose(kTQTMCoreLogTag,
                       "Deleted a string with " + itemText(key, serviceName) + " from keychain.");
        return old;
    }
    TQTMLogWarning(kTQTMCoreLogTag, "Failed to delete item with " + itemText(key, serviceName) +
                                        " from keychain. OS Status code " + std::to_string(status));
    return std::nullopt;
}

std::optional<std::string> TQTMKeychainUtil::deleteStringForKey(const std::string& key)
{
    return deleteStringForKeyWithServiceName(key, defaultServiceName());
}

bool TQTMKeychainUtil::clear()
{
    return SecretStore::standard().removeAll(defaultServiceName()) == SecretStore::kSuccess;
}
