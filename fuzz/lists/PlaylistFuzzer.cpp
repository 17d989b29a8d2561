// libFuzzer target: the first byte picks the kind of list, the rest is the list. Whatever reads
// is written again as a result playlist text, so the formatter sees hostile names too.
#include "platform/engine/lists/ResultPlaylistFormatter.h"
#include "platform/engine/lists/SourcePlaylistReader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace sonvale::lists;
    if (size == 0)
        return 0;
    constexpr int kKinds = static_cast<int>(PlaylistKind::Webloc) + 1;
    const auto kind = static_cast<PlaylistKind>(data[0] % kKinds);
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    static const SourcePlaylistReader reader;
    SourcePlaylist list;
    const std::filesystem::path folder = "/nonexistent-fuzz-folder";
    if (!reader.readBytes(bytes, kind, folder, list))
        return 0;

    std::vector<ResultPlaylistEntry> entries;
    for (const PlaylistEntry& entry : list.entries) {
        ResultPlaylistEntry result;
        if (entry.state == PlaylistEntry::State::Found || entry.state == PlaylistEntry::State::Missing)
            result.file = entry.path;
        else
            result.uri = entry.state == PlaylistEntry::State::Remote ? entry.url : entry.location;
        result.title = entry.title;
        entries.push_back(std::move(result));
    }
    for (const PlaylistKind written : {PlaylistKind::M3u8, PlaylistKind::Pls, PlaylistKind::Xspf,
                                       PlaylistKind::Wpl})
        (void)ResultPlaylistFormatter(written, folder).format("fuzz", entries);
    return 0;
}
