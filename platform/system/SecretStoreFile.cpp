#include "platform/system/SecretStoreFile.h"

#include "platform/system/AtomicFile.h"
#include "platform/system/XdgPaths.h"

#include <sys/stat.h>

#include <mutex>

namespace sonvale {
namespace {

// One read-modify-write at a time for every store object of the process.
std::mutex& fileMutex()
{
    static std::mutex mutex;
    return mutex;
}

} // namespace

SecretStore& SecretStore::standard()
{
    // The folder is looked up on every use, so that a changed home (tests) is followed.
    class StandardStore final : public SecretStore {
    public:
        int32_t add(const std::string& service, const std::string& account,
                    const std::string& value) override
        {
            return current().add(service, account, value);
        }
        int32_t remove(const std::string& service, const std::string& account) override
        {
            return current().remove(service, account);
        }
        int32_t copyMatching(const std::string& service, const std::string& account,
                             std::string* value) override
        {
            return current().copyMatching(service, account, value);
        }
        int32_t removeAll(const std::string& service) override
        {
            return current().removeAll(service);
        }

    private:
        static SecretStoreFile current() { return SecretStoreFile(sonvaleDataDir() / "secrets"); }
    };
    static StandardStore store;
    return store;
}

SecretStoreFile::SecretStoreFile(std::filesystem::path folder)
    : folder_(std::move(folder)), file_(folder_ / "secrets.json")
{}

std::optional<nlohmann::json> SecretStoreFile::load() const
{
    std::string error;
    const std::optional<std::string> text = readWholeFile(file_, &error);
    if (!text)
        return error.empty() ? std::optional(nlohmann::json::object()) : std::nullopt;
    nlohmann::json parsed = nlohmann::json::parse(*text, nullptr, false);
    if (!parsed.is_object()) {
        std::error_code ignored;
        std::filesystem::rename(file_, file_.string() + ".damaged", ignored);
        return nlohmann::json::object();
    }
    return parsed;
}

int32_t SecretStoreFile::save(const nlohmann::json& secrets) const
{
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error || ::chmod(folder_.c_str(), 0700) != 0)
        return kIOError;
    return writeFileAtomically(file_, secrets.dump(), 0600) ? kSuccess : kIOError;
}

int32_t SecretStoreFile::add(const std::string& service, const std::string& account,
                             const std::string& value)
{
    std::lock_guard lock(fileMutex());
    std::optional<nlohmann::json> secrets = load();
    if (!secrets)
        return kIOError;
    nlohmann::json& accounts = (*secrets)[service];
    if (!accounts.is_object())
        accounts = nlohmann::json::object();
    if (accounts.contains(account))
        return kDuplicateItem;
    accounts[account] = value;
    return save(*secrets);
}

int32_t SecretStoreFile::remove(const std::string& service, const std::string& account)
{
    std::lock_guard lock(fileMutex());
    std::optional<nlohmann::json> secrets = load();
    if (!secrets)
        return kIOError;
    const auto accounts = secrets->find(service);
    if (accounts == secrets->end() || !accounts->is_object() || !accounts->contains(account))
        return kItemNotFound;
    accounts->erase(account);
    return save(*secrets);
}

int32_t SecretStoreFile::copyMatching(const std::string& service, const std::string& account,
                                      std::string* value)
{
    std::lock_guard lock(fileMutex());
    std::optional<nlohmann::json> secrets = load();
    if (!secrets)
        return kIOError;
    const auto accounts = secrets->find(service);
    if (accounts == secrets->end() || !accounts->is_object())
        return kItemNotFound;
    const auto found = accounts->find(account);
    if (found == accounts->end() || !found->is_string())
        return kItemNotFound;
    if (value)
        *value = found->get<std::string>();
    return kSuccess;
}

int32_t SecretStoreFile::removeAll(const std::string& service)
{
    std::lock_guard lock(fileMutex());
    std::optional<nlohmann::json> secrets = load();
    if (!secrets)
        return kIOError;
    const auto accounts = secrets->find(service);
    if (accounts == secrets->end() || !accounts->is_object() || accounts->empty())
        return kItemNotFound;
    secrets->erase(accounts);
    return save(*secrets);
}

} // namespace sonvale
