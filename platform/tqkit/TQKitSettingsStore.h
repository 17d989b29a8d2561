#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

// The file behind the text and data settings. Loaded once, then every change is written through
// atomically. A file that cannot be parsed is set aside (renamed with a ".damaged" suffix) with a
// message on stderr, and the settings start empty so that every reader gets its default.
class TQKitSettingsStore final {
public:
    explicit TQKitSettingsStore(std::filesystem::path file);
    TQKitSettingsStore(const TQKitSettingsStore&) = delete;
    TQKitSettingsStore& operator=(const TQKitSettingsStore&) = delete;

    // The store of the current user's settings folder. HOME and XDG_CONFIG_HOME are looked at on
    // every call, so a changed environment (a test's temporary home) gets a store of its own.
    static std::shared_ptr<TQKitSettingsStore> shared();

    const std::filesystem::path& file() const { return file_; }

    enum class Kind { Text, Data };

    std::optional<std::string> value(Kind kind, const std::string& section,
                                     const std::string& key);
    // An empty value removes the key.
    void setValue(Kind kind, const std::string& section, const std::string& key,
                  const std::string& value);
    void remove(const std::string& section, const std::string& key);

private:
    using Sections = std::map<std::string, std::map<std::string, std::string>>;

    void loadIfNeeded();
    void save();
    Sections& sectionsOf(Kind kind) { return kind == Kind::Text ? texts_ : data_; }

    const std::filesystem::path file_;
    std::mutex mutex_;
    bool loaded_ = false;
    Sections texts_;
    Sections data_; // base64 of the bytes
};
