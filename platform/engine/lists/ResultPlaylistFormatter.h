#pragma once

#include "platform/engine/lists/PlaylistKind.h"
#include "platform/engine/lists/PlaylistLocation.h"
#include "platform/engine/lists/ResultPlaylistEntry.h"

#include <string>
#include <vector>

namespace sonvale::lists {

// Writes result entries as the text of a playlist file, UTF-8 in every format. Each file is
// located relative to the playlist's folder when it lies inside it, else absolutely; a location
// that the format could misread (a line end in a name, a leading '#', bytes that are not UTF-8)
// is written as a file URL instead, which every reader decodes.
class ResultPlaylistFormatter final {
public:
    ResultPlaylistFormatter(PlaylistKind kind, const std::filesystem::path& folder);

    std::string format(const std::string& title,
                       const std::vector<ResultPlaylistEntry>& entries) const;

private:
    std::string plainLocation(const ResultPlaylistEntry& entry) const;
    std::string uriLocation(const ResultPlaylistEntry& entry) const;

    std::string formatM3u(const std::vector<ResultPlaylistEntry>& entries) const;
    std::string formatPls(const std::vector<ResultPlaylistEntry>& entries) const;
    std::string formatXspf(const std::string& title,
                           const std::vector<ResultPlaylistEntry>& entries) const;
    std::string formatWpl(const std::string& title,
                          const std::vector<ResultPlaylistEntry>& entries) const;

    PlaylistKind kind_;
    PlaylistLocation location_;
};

} // namespace sonvale::lists
