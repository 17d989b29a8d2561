#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sonvale {

// Small secrets (keys, tokens) kept for this user on this machine, named by service and account:
// the stand-in for the platform's keychain. Results are the keychain's status codes, so callers
// keep their handling of them.
class SecretStore {
public:
    static constexpr int32_t kSuccess = 0;
    static constexpr int32_t kItemNotFound = -25300;
    static constexpr int32_t kDuplicateItem = -25299;
    static constexpr int32_t kIOError = -36;

    virtual ~SecretStore() = default;

    // Refused with kDuplicateItem when the account already has a value.
    virtual int32_t add(const std::string& service, const std::string& account,
                        const std::string& value) = 0;
    virtual int32_t remove(const std::string& service, const std::string& account) = 0;
    virtual int32_t copyMatching(const std::string& service, const std::string& account,
                                 std::string* value) = 0;
    // Removes every account of the service; kItemNotFound when it had none.
    virtual int32_t removeAll(const std::string& service) = 0;

    // The user's store (a file in a private folder of the data folder).
    static SecretStore& standard();
};

} // namespace sonvale
