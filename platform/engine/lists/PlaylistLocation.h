#pragma once

#include "platform/engine/lists/PlaylistEntry.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace sonvale::lists {

// Resolves the locations of one list against the list's folder, and writes locations back in
// the forms the list formats use. Safe from any thread.
class PlaylistLocation final {
public:
    static constexpr size_t kMaxLocationLength = 8192;

    explicit PlaylistLocation(std::filesystem::path folder);

    PlaylistEntry resolve(const RawPlaylistEntry& raw) const;

    // `file` relative to the folder when it lies inside it, else the absolute path.
    std::string relativeWhenInside(const std::filesystem::path& file) const;

    static std::string fileUrl(const std::filesystem::path& absolutePath);

private:
    PlaylistEntry resolveFileUrl(PlaylistEntry entry, std::string_view url) const;
    PlaylistEntry resolvePath(PlaylistEntry entry, std::string pathText) const;

    std::filesystem::path folder_;
};

} // namespace sonvale::lists
