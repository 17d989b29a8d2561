#pragma once

#include <string>

#include "platform/engine/TagSet.h"

namespace sonvale::engine {

// Fills tags a source lacks from its file and folder names: "03 - Artist - Title.flac" in the
// folder "Album" gives track 3, the artist, the title and the album. Only missing fields are
// filled; what the file's own tags say always wins. Pure.
class PathTags final {
public:
    static void fillMissing(TagSet& tags, const std::string& sourcePath);
};

} // namespace sonvale::engine
