#include "platform/system/XdgPaths.h"

#include <cstdlib>
#include <pwd.h>
#include <system_error>
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

std::filesystem::path ensurePrivateDir(std::filesystem::path dir)
{
    std::error_code ignored;
    if (std::filesystem::create_directories(dir, ignored))
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, ignored);
    return dir;
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
