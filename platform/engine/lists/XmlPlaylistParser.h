#pragma once

#include "platform/engine/lists/PlaylistEntry.h"
#include "platform/engine/lists/PlaylistKind.h"
#include "platform/system/Status.h"

#include <string_view>
#include <vector>

namespace sonvale::lists {

// Parses the XML kinds (XSPF, WPL, ASX, WEBLOC property lists) with libxml2, from the file's
// bytes: the XML declaration names their character set. The parser loads no external entity or
// DTD, touches no network, expands no declared entity and stops at libxml2's depth limit; only
// the fixed element paths of each format are visited, so nesting costs no stack.
// Safe from any thread.
class XmlPlaylistParser final {
public:
    static bool handles(PlaylistKind kind);
    static Status parse(PlaylistKind kind, std::string_view bytes,
                        std::vector<RawPlaylistEntry>& entries);
};

} // namespace sonvale::lists
