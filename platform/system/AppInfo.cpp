#include "platform/system/AppInfo.h"

namespace sonvale {

AppInfo::AppInfo(std::string bundleIdentifier, nlohmann::json infoDictionary)
    : bundleIdentifier_(std::move(bundleIdentifier)), infoDictionary_(std::move(infoDictionary))
{}

const AppInfo& AppInfo::main()
{
    static const AppInfo info(SONVALE_BUNDLE_IDENTIFIER, {{kShortVersionKey, SONVALE_VERSION},
                                                          {kVersionKey, SONVALE_BUILD_NUMBER},
                                                          {"CFBundleName", "Sonvale"},
                                                          {"CFBundleDevelopmentRegion", "en"}});
    return info;
}

std::optional<nlohmann::json> AppInfo::objectForInfoDictionaryKey(const std::string& key) const
{
    const auto it = infoDictionary_.find(key);
    if (it == infoDictionary_.end())
        return std::nullopt;
    return *it;
}

std::optional<std::string> AppInfo::stringForInfoDictionaryKey(const std::string& key) const
{
    const auto it = infoDictionary_.find(key);
    if (it == infoDictionary_.end() || !it->is_string())
        return std::nullopt;
    return it->get<std::string>();
}

} // namespace sonvale
