#include "platform/tqkit/TQKitRemoteParams.h"

#include "platform/system/AtomicFile.h"
#include "platform/system/XdgPaths.h"
#include "platform/tqkit/TQKitTextBuffer.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cstdio>
#include <limits>

namespace {

std::optional<int> intFromJson(const nlohmann::json& value)
{
    if (value.is_boolean())
        return value.get<bool>() ? 1 : 0;
    if (value.is_number()) {
        const double number = value.get<double>();
        if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
            return std::nullopt;
        return static_cast<int>(number);
    }
    if (value.is_string()) {
        const std::string& text = value.get_ref<const std::string&>();
        int number = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (error == std::errc() && end == text.data() + text.size() && !text.empty())
            return number;
    }
    return std::nullopt;
}

} // namespace

TQKitRemoteParams::TQKitRemoteParams(std::optional<std::filesystem::path> file)
    : file_(std::move(file))
{
}

TQKitRemoteParams::~TQKitRemoteParams() = default;

TQKitRemoteParams& TQKitRemoteParams::shared()
{
    static TQKitRemoteParams params;
    return params;
}

bool TQKitRemoteParams::load() { return load(std::nullopt); }

bool TQKitRemoteParams::load(const std::optional<std::string>& feed)
{
    const std::filesystem::path file = file_.value_or(sonvale::sonvaleDataDir() / "params.json");
    std::string error;
    const std::optional<std::string> content = sonvale::readWholeFile(file, &error);
    if (!content && !error.empty())
        std::fprintf(stderr, "Sonvale: %s; application parameters keep their defaults.\n", error.c_str());
    nlohmann::json parsed = content ? nlohmann::json::parse(*content, nullptr, false) : nlohmann::json();
    if (content && (parsed.is_discarded() || !parsed.is_object()))
        std::fprintf(stderr,
                     "Sonvale: \"%s\" is not a JSON object; application parameters keep their "
                     "defaults.\n",
                     file.c_str());
    if (!parsed.is_object())
        parsed = nlohmann::json();
    if (feed) {
        const nlohmann::json update = nlohmann::json::parse(*feed, nullptr, false);
        if (update.is_object()) {
            if (parsed.is_null())
                parsed = nlohmann::json::object();
            parsed.update(update);
        } else {
            std::fprintf(stderr, "Sonvale: the update feed is not a JSON object; it is ignored.\n");
        }
    }
    if (!parsed.is_object())
        return false;

    std::vector<std::pair<Observer, void*>> ready;
    {
        std::lock_guard lock(mutex_);
        values_ = std::make_unique<nlohmann::json>(std::move(parsed));
        ready.swap(waiting_);
    }
    // Outside the lock: observers read the parameters.
    for (const auto& [observer, context] : ready)
        observer(context);
    return true;
}

bool TQKitRemoteParams::isLoaded() const
{
    std::lock_guard lock(mutex_);
    return values_ != nullptr;
}

std::optional<nlohmann::json> TQKitRemoteParams::value(const std::string& name) const
{
    std::lock_guard lock(mutex_);
    if (!values_)
        return std::nullopt;
    const auto found = values_->find(name);
    if (found == values_->end())
        return std::nullopt;
    return *found;
}

int TQKitRemoteParams::readInt(const std::string& name, int defaultValue) const
{
    const std::optional<nlohmann::json> stored = value(name);
    return stored ? intFromJson(*stored).value_or(defaultValue) : defaultValue;
}

std::string TQKitRemoteParams::readText(const std::string& name,
                                        const std::string& defaultText) const
{
    const std::optional<nlohmann::json> stored = value(name);
    if (!stored)
        return defaultText;
    if (stored->is_string())
        return stored->get<std::string>();
    if (stored->is_number())
        return stored->dump();
    return defaultText;
}

void TQKitRemoteParams::addObserver(Observer observer, void* context)
{
    if (!observer)
        return;
    {
        std::lock_guard lock(mutex_);
        if (!values_) {
            waiting_.emplace_back(observer, context);
            return;
        }
    }
    observer(context);
}

bool TQKitRemoteParamsLoad() { return TQKitRemoteParams::shared().load(); }

bool TQKitRemoteParamsLoaded() { return TQKitRemoteParams::shared().isLoaded(); }

int TQKitRemoteParamReadInt(const char* name, int defaultValue)
{
    return name ? TQKitRemoteParams::shared().readInt(name, defaultValue) : defaultValue;
}

char* TQKitRemoteParamReadText(const char* name, char* out, size_t outSize, const char* defaultText)
{
    TQKitCopyTextToBuffer(TQKitRemoteParamReadText(name, defaultText), out, outSize);
    return out;
}

std::string TQKitRemoteParamReadText(const char* name, const char* defaultText)
{
    const std::string fallback = defaultText ? defaultText : "";
    return name ? TQKitRemoteParams::shared().readText(name, fallback) : fallback;
}

void TQKitRemoteParamsAddObserver(TQKitRemoteParams::Observer observer, void* context)
{
    TQKitRemoteParams::shared().addObserver(observer, context);
}

bool TQKitNewVersionAvailable() { return TQKitRemoteParamReadInt("TQKitUpdateAvailable", 0) != 0; }
