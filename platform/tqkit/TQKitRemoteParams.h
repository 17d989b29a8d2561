#pragma once

// Application parameters: a JSON object in the data folder ($XDG_DATA_HOME/Sonvale/params.json),
// for example {"TQCAppVersion": 430}, with the members of the update feed (a JSON object fetched
// from SONVALE_UPDATE_URL, see TQKitRemoteConfigLoad) laid over it. Until they have been loaded,
// and for every name they do not hold, readers get their default.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

class TQKitRemoteParams final {
public:
    using Observer = void (*)(void* context);

    // Without a file, params.json in the data folder at the time of load().
    explicit TQKitRemoteParams(std::optional<std::filesystem::path> file = std::nullopt);
    ~TQKitRemoteParams();
    TQKitRemoteParams(const TQKitRemoteParams&) = delete;
    TQKitRemoteParams& operator=(const TQKitRemoteParams&) = delete;

    // The parameters of the process, behind the TQKitRemoteParam* functions.
    static TQKitRemoteParams& shared();

    // Reads the file. True when it held a JSON object; a missing file leaves the parameters unknown,
    // a damaged one does too and says so on stderr. After the first successful load every observer
    // runs, on the calling thread.
    bool load();
    // The same with the text of the update feed laid over the file: its members replace the
    // file's. Either alone is enough; a feed that is not a JSON object is ignored (said on stderr).
    bool load(const std::optional<std::string>& feed);
    bool isLoaded() const;

    int readInt(const std::string& name, int defaultValue) const;
    std::string readText(const std::string& name, const std::string& defaultText) const;

    // Runs `observer(context)` once the parameters are loaded: at once (on this thread) when they
    // are, otherwise after the first successful load(). Each observer runs once.
    void addObserver(Observer observer, void* context);

private:
    std::optional<nlohmann::json> value(const std::string& name) const;

    const std::optional<std::filesystem::path> file_;
    mutable std::mutex mutex_;
    std::unique_ptr<nlohmann::json> values_; // an object once loaded
    std::vector<std::pair<Observer, void*>> waiting_;
};

// Loads the parameters of the process (the application does it once after launch).
bool TQKitRemoteParamsLoad();
bool TQKitRemoteParamsLoaded();
int TQKitRemoteParamReadInt(const char* name, int defaultValue);
// Fills `out` (of `outSize` bytes, cut safely) and returns it.
char* TQKitRemoteParamReadText(const char* name, char* out, size_t outSize, const char* defaultText);
std::string TQKitRemoteParamReadText(const char* name, const char* defaultText = "");
void TQKitRemoteParamsAddObserver(TQKitRemoteParams::Observer observer, void* context);

// Whether the parameters announce a newer version of the application ("TQKitUpdateAvailable" not 0).
bool TQKitNewVersionAvailable();
