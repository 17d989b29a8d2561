#include "platform/tqkit/TQKitSettingsStore.h"

#include "platform/system/AtomicFile.h"
#include "platform/system/XdgPaths.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>

namespace {

constexpr const char* kTextsKey = "text";
constexpr const char* kDataKey = "data";

using Sections = std::map<std::string, std::map<std::string, std::string>>;

Sections sectionsFromJson(const nlohmann::json& object)
{
    Sections sections;
    if (!object.is_object())
        return sections;
    for (const auto& [section, keys] : object.items()) {
        if (!keys.is_object())
            continue;
        for (const auto& [key, value] : keys.items()) {
            if (value.is_string())
                sections[section][key] = value.get<std::string>();
        }
    }
    return sections;
}

void setAside(const std::filesystem::path& file, const std::string& reason)
{
    const auto stamp = std::chrono::duration_cast<std::chrono::seconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
    std::filesystem::path aside = file;
    aside += ".damaged-" + std::to_string(stamp);
    std::error_code error;
    std::filesystem::rename(file, aside, error);
    std::fprintf(stderr,
                 "Sonvale: the settings file \"%s\" cannot be read (%s); it was set aside as \"%s\" "
                 "and default settings are used.\n",
                 file.c_str(), reason.c_str(), error ? "(could not be moved)" : aside.c_str());
}

} // namespace

TQKitSettingsStore::TQKitSettingsStore(std::filesystem::path file) : file_(std::move(file)) {}

std::shared_ptr<TQKitSettingsStore> TQKitSettingsStore::shared()
{
    static std::mutex mutex;
    static std::shared_ptr<TQKitSettingsStore> current;
    const std::filesystem::path file = sonvale::sonvaleConfigDir() / "settings.json";
    std::lock_guard lock(mutex);
    if (!current || current->file() != file)
        current = std::make_shared<TQKitSettingsStore>(file);
    return current;
}

std::optional<std::string> TQKitSettingsStore::value(Kind kind, const std::string& section,
                                                     const std::string& key)
{
    std::lock_guard lock(mutex_);
    loadIfNeeded();
    const Sections& sections = sectionsOf(kind);
    const auto found = sections.find(section);
    if (found == sections.end())
        return std::nullopt;
    const auto entry = found->second.find(key);
    if (entry == found->second.end())
        return std::nullopt;
    return entry->second;
}

void TQKitSettingsStore::setValue(Kind kind, const std::string& section, const std::string& key,
                                  const std::string& value)
{
    std::lock_guard lock(mutex_);
    loadIfNeeded();
    Sections& sections = sectionsOf(kind);
    if (value.empty()) {
        const auto found = sections.find(section);
        if (found == sections.end() || found->second.erase(key) == 0)
            return;
        if (found->second.empty())
            sections.erase(found);
    } else {
        std::string& stored = sections[section][key];
        if (stored == value)
            return;
        stored = value;
    }
    save();
}

void TQKitSettingsStore::remove(const std::string& section, const std::string& key)
{
    std::lock_guard lock(mutex_);
    loadIfNeeded();
    bool changed = false;
    for (Sections* sections : {&texts_, &data_}) {
        const auto found = sections->find(section);
        if (found != sections->end() && found->second.erase(key) > 0) {
            changed = true;
            if (found->second.empty())
                sections->erase(found);
        }
    }
    if (changed)
        save();
}

void TQKitSettingsStore::loadIfNeeded()
{
    if (loaded_)
        return;
    loaded_ = true;
    std::string error;
    const std::optional<std::string> content = sonvale::readWholeFile(file_, &error);
    if (!content) {
        if (!error.empty())
            std::fprintf(stderr, "Sonvale: %s; default settings are used.\n", error.c_str());
        return;
    }
    const nlohmann::json root = nlohmann::json::parse(*content, nullptr, false);
    if (root.is_discarded() || !root.is_object()) {
        setAside(file_, "it is not a settings file");
        return;
    }
    texts_ = sectionsFromJson(root.value(kTextsKey, nlohmann::json::object()));
    data_ = sectionsFromJson(root.value(kDataKey, nlohmann::json::object()));
}

void TQKitSettingsStore::save()
{
    nlohmann::json root = {{kTextsKey, texts_}, {kDataKey, data_}};
    // Texts come from the user and from tags: never let one invalid byte lose the whole file.
    const std::string bytes = root.dump(1, '\t', false, nlohmann::json::error_handler_t::replace);
    if (const sonvale::Status status = sonvale::writeFileAtomically(file_, bytes); !status)
        std::fprintf(stderr, "Sonvale: settings were not saved: %s\n", status.message().c_str());
}
