#include "platform/system/XdgPaths.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace sonvale {
namespace {

std::filesystem::path homeDir()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return std::filesystem::temp_directory_path();
}

std::filesystem::path baseDir(const char* variable, const char* fallbackBelowHome)
{
    // The XDG rules ignore relative paths in these variables.
    if (const char* value = std::getenv(variable); value && value[0] == '/')
        return value;
    return homeDir() / fallbackBelowHome;
}

bool isOwnFolder(const std::filesystem::path& dir)
{
    struct stat info {};
    return ::lstat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid();
}

// Stands in for a folder that is refused: a new private one for this process, so that nothing is
// kept where another user can read or change it.
std::filesystem::path privateStandIn(const std::filesystem::path& refused)
{
    std::fprintf(stderr, "Sonvale: %s belongs to another user or is not a folder; it is not used\n",
                 refused.c_str());
    std::string pattern = "/tmp/sonvale-" + std::to_string(::geteuid()) + "-XXXXXX";
    return ::mkdtemp(pattern.data()) ? std::filesystem::path(pattern) : std::filesystem::path("/nonexistent");
}

// Creates the missing folders of `dir` 0700 (as the XDG rules ask for the base folders too), or
// checks the existing one: a folder owned by someone else, or a link in its place, is refused.
std::filesystem::path ensurePrivateDir(std::filesystem::path dir)
{
    std::filesystem::path partial;
    for (const auto& part : dir) {
        partial /= part;
        ::mkdir(partial.c_str(), 0700);
    }
    if (isOwnFolder(dir))
        return dir;
    static std::mutex mutex;
    static std::map<std::filesystem::path, std::filesystem::path> standIns;
    std::lock_guard lock(mutex);
    auto [it, added] = standIns.try_emplace(dir);
    if (added)
        it->second = privateStandIn(dir);
    return it->second;
}

std::filesystem::path ensureSonvaleDir(const std::filesystem::path& base)
{
    return ensurePrivateDir(base / "Sonvale");
}

} // namespace

std::filesystem::path sonvaleConfigDir()
{
    return ensureSonvaleDir(baseDir("XDG_CONFIG_HOME", ".config"));
}

std::filesystem::path sonvaleDataDir()
{
    return ensureSonvaleDir(baseDir("XDG_DATA_HOME", ".local/share"));
}

std::filesystem::path sonvaleCacheDir()
{
    return ensureSonvaleDir(baseDir("XDG_CACHE_HOME", ".cache"));
}

std::filesystem::path sonvaleTelemetryDir()
{
    return ensurePrivateDir(sonvaleDataDir() / "telemetry");
}

} // namespace sonvale
