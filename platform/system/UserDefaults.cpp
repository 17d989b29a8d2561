#include "platform/system/UserDefaults.h"

#include "platform/system/AtomicFile.h"
#include "platform/system/Base64.h"
#include "platform/system/XdgPaths.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace sonvale {
namespace {

// JSON has no byte strings: data values are written as {"$data": "<base64>"}.
constexpr const char* kDataTag = "$data";
// Values are small and flat; a file nested deeper is damaged (and would exhaust the stack of the
// recursive walks below).
constexpr int kMaxNesting = 64;

// Rebuilds a tree, giving `replace` the first look at every value.
template <class Replace>
nlohmann::json transformTree(const nlohmann::json& value, const Replace& replace)
{
    if (std::optional<nlohmann::json> replaced = replace(value))
        return std::move(*replaced);
    if (!value.is_structured())
        return value;
    nlohmann::json out = value.is_array() ? nlohmann::json::array() : nlohmann::json::object();
    for (auto it = value.begin(); it != value.end(); ++it) {
        if (value.is_array())
            out.push_back(transformTree(*it, replace));
        else
            out[it.key()] = transformTree(*it, replace);
    }
    return out;
}

nlohmann::json toFileForm(const nlohmann::json& value)
{
    return transformTree(value, [](const nlohmann::json& v) -> std::optional<nlohmann::json> {
        if (!v.is_binary())
            return std::nullopt;
        return nlohmann::json{
            {kDataTag, base64Encode(v.get_binary().data(), v.get_binary().size())}};
    });
}

nlohmann::json fromFileForm(const nlohmann::json& value)
{
    return transformTree(value, [](const nlohmann::json& v) -> std::optional<nlohmann::json> {
        if (!v.is_object() || v.size() != 1 || !v.contains(kDataTag) || !v[kDataTag].is_string())
            return std::nullopt;
        std::optional<std::vector<uint8_t>> bytes = base64Decode(v[kDataTag].get<std::string>());
        if (!bytes)
            return std::nullopt;
        return nlohmann::json::binary(std::move(*bytes));
    });
}

// The file's entries: none when it does not exist; a damaged file is moved aside (never silently
// overwritten) and counts as empty. Nothing when the file exists but cannot be read, so that a
// change never replaces entries it could not see.
std::optional<nlohmann::json> loadFile(const std::filesystem::path& path, std::string* error)
{
    const std::optional<std::string> text = readWholeFile(path, error);
    if (!text)
        return error->empty() ? std::optional(nlohmann::json::object()) : std::nullopt;
    bool tooDeep = false;
    nlohmann::json parsed = nlohmann::json::parse(
        *text,
        [&tooDeep](int depth, nlohmann::json::parse_event_t, nlohmann::json&) {
            if (depth > kMaxNesting)
                tooDeep = true;
            return !tooDeep;
        },
        false);
    if (tooDeep || !parsed.is_object()) {
        std::error_code ignored;
        std::filesystem::rename(path, path.string() + ".damaged", ignored);
        return nlohmann::json::object();
    }
    return fromFileForm(parsed);
}

// Holds an advisory lock on the lock file beside the store for as long as it lives.
class FileLock final {
public:
    explicit FileLock(const std::filesystem::path& path)
        : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        if (fd_ >= 0)
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~FileLock()
    {
        if (fd_ >= 0)
            ::close(fd_); // closing releases the lock
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_;
};

} // namespace

UserDefaults::UserDefaults(std::filesystem::path file)
    : path_(std::move(file))
{
    std::string error;
    values_ = loadFile(path_, &error).value_or(nlohmann::json::object());
}

std::filesystem::path UserDefaults::standardPath()
{
    return sonvaleConfigDir() / "defaults.json";
}

std::optional<nlohmann::json> UserDefaults::objectForKey(const std::string& key) const
{
    std::lock_guard lock(mutex_);
    const auto it = values_.find(key);
    if (it == values_.end())
        return std::nullopt;
    return *it;
}

Status UserDefaults::setObjectForKey(nlohmann::json value, const std::string& key)
{
    return change(key, std::move(value));
}

Status UserDefaults::removeObjectForKey(const std::string& key)
{
    return change(key, nullptr);
}

nlohmann::json UserDefaults::dictionaryRepresentation() const
{
    std::lock_guard lock(mutex_);
    return values_;
}

Status UserDefaults::change(const std::string& key, nlohmann::json value)
{
    std::lock_guard lock(mutex_);
    std::error_code ignored;
    std::filesystem::create_directories(path_.parent_path(), ignored);
    FileLock fileLock(path_.string() + ".lock");

    std::string error;
    std::optional<nlohmann::json> latest = loadFile(path_, &error);
    if (!latest)
        return Status::failure(error);
    if (value.is_null())
        latest->erase(key);
    else
        (*latest)[key] = std::move(value);
    values_ = std::move(*latest);
    // Text that is not valid UTF-8 is written with replacement characters rather than failing.
    const std::string text =
        toFileForm(values_).dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    return writeFileAtomically(path_, text + "\n");
}

} // namespace sonvale
