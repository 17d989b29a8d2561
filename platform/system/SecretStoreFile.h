#pragma once

#include "platform/system/SecretStore.h"

#include <filesystem>
#include <nlohmann/json.hpp>

namespace sonvale {

// Secrets in one JSON file ({service: {account: value}}) inside a 0700 folder, the file 0600 and
// replaced atomically on every change. Every call reads the file again, so several stores (and
// processes) see each other's changes; changes within the process are serialised by one lock. A
// damaged file is moved aside and counts as empty. Safe from any thread.
class SecretStoreFile final : public SecretStore {
public:
    explicit SecretStoreFile(std::filesystem::path folder);

    int32_t add(const std::string& service, const std::string& account,
                const std::string& value) override;
    int32_t remove(const std::string& service, const std::string& account) override;
    int32_t copyMatching(const std::string& service, const std::string& account,
                         std::string* value) override;
    int32_t removeAll(const std::string& service) override;

private:
    // Nothing when the file exists but cannot be read.
    std::optional<nlohmann::json> load() const;
    int32_t save(const nlohmann::json& secrets) const;

    const std::filesystem::path folder_;
    const std::filesystem::path file_;
};

} // namespace sonvale
