#pragma once

#include "platform/engine/lists/PlaylistEntry.h"
#include "platform/engine/lists/PlaylistKind.h"
#include "platform/system/Status.h"

#include <string_view>
#include <vector>

namespace sonvale::lists {

// Parses the line-based kinds (M3U, M3U8, PLS, RAM, URL shortcuts, desktop links) from decoded
// UTF-8 text. Stateless.
class TextPlaylistParser final {
public:
    static bool handles(PlaylistKind kind);
    static Status parse(PlaylistKind kind, std::string_view text,
                        std::vector<RawPlaylistEntry>& entries);
};

} // namespace sonvale::lists
