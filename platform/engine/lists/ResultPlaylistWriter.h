#pragma once

#include "platform/engine/lists/PlaylistCodes.h"
#include "platform/engine/lists/ResultPlaylistEntry.h"
#include "platform/system/Status.h"

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace sonvale::lists {

// Writes the playlist of a batch's results, as the playlist options of the settings ask: format,
// sort order, and whether to merge with a playlist of the same name. The file is replaced
// atomically, so a reader never sees half a playlist. Safe from any thread; two writers of the
// same file at once keep one of their results.
class ResultPlaylistWriter final {
public:
    struct Options {
        int playlistType = kDefaultPlaylistType;
        int sortOrder = kDefaultSortOrder;
        bool mergeWithExisting = false;
        uint32_t shuffleSeed = std::random_device()();
    };

    // The playlist named `name` in `folder`: the name, made safe as a file name, with the
    // extension of the format.
    static std::filesystem::path pathFor(const std::filesystem::path& folder,
                                         const std::string& name, int playlistType);

    // Sorts `entries` and writes them. When merging and a playlist is already at `playlistPath`,
    // its entries stay first and in their order, and new entries it already lists are not added
    // again; a playlist there that cannot be read is an error and is left untouched.
    Status write(const std::filesystem::path& playlistPath,
                 std::vector<ResultPlaylistEntry> entries, const Options& options) const;
};

} // namespace sonvale::lists
