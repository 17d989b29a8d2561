#pragma once

#include <filesystem>

namespace sonvale {

// Where Sonvale keeps its files, following the XDG base-directory rules: $XDG_CONFIG_HOME/Sonvale
// (settings), $XDG_DATA_HOME/Sonvale (data) and $XDG_CACHE_HOME/Sonvale (caches), each falling back
// to the usual folder under $HOME. The environment is read on every call, so tests can point HOME
// at a temporary folder. Missing folders on the way are created 0700. An existing Sonvale folder
// that belongs to another user (or a link in its place) is refused with a message on standard
// error, and a new private folder of this process stands in for it.
std::filesystem::path sonvaleConfigDir();
std::filesystem::path sonvaleDataDir();
std::filesystem::path sonvaleCacheDir();

// The telemetry client's own folder below the data folder ($XDG_DATA_HOME/Sonvale/telemetry),
// created 0700 on demand: it holds logs and crash reports that may name the user's files.
std::filesystem::path sonvaleTelemetryDir();

} // namespace sonvale
