#pragma once

#include "platform/engine/lists/PlaylistEntry.h"
#include "platform/engine/lists/PlaylistKind.h"
#include "platform/engine/lists/TextDecoder.h"
#include "platform/system/Status.h"

#include <filesystem>
#include <string_view>
#include <vector>

namespace sonvale::lists {

struct SourcePlaylist {
    PlaylistKind kind = PlaylistKind::M3u8;
    std::vector<PlaylistEntry> entries; // in the list's order, unusable ones included
};

// Reads a source playlist or link file and resolves its items against the file's folder. A list
// that cannot be read at all is an error; an item that cannot be used is kept in the result
// with its reason, so the caller reports it on its own. Safe from any thread.
class SourcePlaylistReader final {
public:
    static constexpr size_t kMaxListBytes = 16 << 20;

    explicit SourcePlaylistReader(TextDecoder decoder = TextDecoder());

    // The kind comes from the file's extension.
    Status readFile(const std::filesystem::path& listPath, SourcePlaylist& list) const;

    // Parses the bytes of a list of a known kind, resolving items against `folder`.
    Status readBytes(std::string_view bytes, PlaylistKind kind,
                     const std::filesystem::path& folder, SourcePlaylist& list) const;

private:
    TextDecoder decoder_;
};

} // namespace sonvale::lists
