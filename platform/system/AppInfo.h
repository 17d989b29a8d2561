#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace sonvale {

// What the platform keeps in an application bundle's information dictionary: the bundle
// identifier and named values such as the version texts. The application's own values come from
// the build; tests and tools make their own.
class AppInfo final {
public:
    static constexpr const char* kShortVersionKey = "CFBundleShortVersionString";
    static constexpr const char* kVersionKey = "CFBundleVersion";

    AppInfo(std::string bundleIdentifier, nlohmann::json infoDictionary);

    // Sonvale's values, fixed at build time.
    static const AppInfo& main();

    const std::string& bundleIdentifier() const { return bundleIdentifier_; }
    // The value under the key, or nothing.
    std::optional<nlohmann::json> objectForInfoDictionaryKey(const std::string& key) const;
    // The value under the key when it is text, else nothing.
    std::optional<std::string> stringForInfoDictionaryKey(const std::string& key) const;

private:
    std::string bundleIdentifier_;
    nlohmann::json infoDictionary_;
};

} // namespace sonvale
