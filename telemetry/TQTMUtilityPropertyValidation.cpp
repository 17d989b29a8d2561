#include "telemetry/TQTMUtility.h"

#include "platform/system/Utf16.h"
#include "telemetry/TQTMLogger.h"

namespace {

constexpr size_t kMaxPropertyCount = 20;
constexpr size_t kMaxPropertyKeyLength = 125;
constexpr size_t kMaxPropertyValueLength = 125;

} // namespace

std::map<std::string, std::string>
TQTMUtility::validatePropertiesForLogNameType(const TQTMJson& properties,
                                              const std::string& logName, const std::string& type)
{
    std::map<std::string, std::string> accepted;
    if (!properties.is_object())
        return accepted;
    const std::string subject = type + " '" + logName + "' : ";
    for (auto it = properties.begin(); it != properties.end(); ++it) {
        if (accepted.size() >= kMaxPropertyCount) {
            TQTMLogWarning(kTQTMCoreLogTag, subject + "properties cannot contain more than " +
                                                std::to_string(kMaxPropertyCount) +
                                                " items. Skipping other properties.");
            return accepted;
        }
        if (!it->is_string())
            continue;
        std::string key = it.key();
        if (key.empty()) {
            TQTMLogWarning(kTQTMCoreLogTag,
                           subject +
                               "a property key cannot be null or empty. Property will be skipped.");
            continue;
        }
        if (sonvale::utf16Length(key) > kMaxPropertyKeyLength) {
            TQTMLogWarning(kTQTMCoreLogTag, subject + "property " + key +
                                                " : property key length cannot be longer than " +
                                                std::to_string(kMaxPropertyKeyLength) +
                                                " characters. Property key will be truncated.");
            key = sonvale::truncateToUtf16Units(key, kMaxPropertyKeyLength);
        }
        std::string value = it->get<std::string>();
        if (sonvale::utf16Length(value) > kMaxPropertyValueLength) {
            TQTMLogWarning(kTQTMCoreLogTag, subject + "property '" + key +
                                                "' : property value cannot be longer than " +
                                                std::to_string(kMaxPropertyValueLength) +
                                                " characters. Property value will be truncated.");
            value = sonvale::truncateToUtf16Units(value, kMaxPropertyValueLength);
        }
        accepted[key] = std::move(value);
    }
    return accepted;
}
