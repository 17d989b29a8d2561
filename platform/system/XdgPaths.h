#pragma once

#include <filesystem>

namespace sonvale {

// Where Sonvale keeps its files, following the XDG base-directory rules: $XDG_CONFIG_HOME/Sonvale
// (settings), $XDG_DATA_HOME/Sonvale (data) and $XDG_CACHE_HOME/Sonvale (caches), each falling back
// to the usual folder under $HOME. The environment is read on every call, so tests can point HOME
// at a temporary folder. The folders are created (0700) on demand.
std::filesystem::path sonvaleConfigDir();
std::filesystem::path sonvaleDataDir();
std::filesystem::path sonvaleCacheDir();

} // namespace sonvale
