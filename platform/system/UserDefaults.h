#pragma once

#include "platform/system/Status.h"

#include <filesystem>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace sonvale {

// A persistent store of small named values (strings, numbers, booleans, byte data as JSON binary
// values, arrays and objects of those): the stand-in for the platform's user defaults. The whole
// store is one JSON file; every change is written through at once, atomically, so a value that a
// setter has returned for survives a kill of the process right after.
//
// Several stores (in this or another process) may share one file: each change takes an advisory
// lock, re-reads the file and applies only that change, so no writer loses another's keys. Reads
// answer from memory (the file as of construction or this store's latest change). Safe from any
// thread.
class UserDefaults final {
public:
    explicit UserDefaults(std::filesystem::path file);
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    // The application's own file in the Sonvale configuration folder.
    static std::filesystem::path standardPath();

    const std::filesystem::path& path() const { return path_; }

    std::optional<nlohmann::json> objectForKey(const std::string& key) const;
    // A null value removes the entry. A file that exists but cannot be read is left alone and the
    // change refused; the status says why.
    Status setObjectForKey(nlohmann::json value, const std::string& key);
    Status removeObjectForKey(const std::string& key);
    // Every entry, as one JSON object.
    nlohmann::json dictionaryRepresentation() const;

private:
    Status change(const std::string& key, nlohmann::json value);

    const std::filesystem::path path_;
    mutable std::mutex mutex_;
    nlohmann::json values_;
};

} // namespace sonvale
