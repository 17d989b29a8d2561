#include "platform/engine/lists/ResultPlaylistSorter.h"

#include "platform/engine/lists/ListText.h"
#include "platform/engine/lists/PlaylistCodes.h"

#include <algorithm>
#include <random>
#include <string_view>

namespace sonvale::lists {
namespace {

using Entry = ResultPlaylistEntry;

int compareText(std::string_view a, std::string_view b)
{
    return text::compareIgnoringCase(a, b);
}

template <typename T>
int compareValues(const T& a, const T& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

std::string_view locationOf(const Entry& entry)
{
    return entry.uri.empty() ? std::string_view(entry.file.native()) : std::string_view(entry.uri);
}

// Within an album, the order of its discs and tracks.
int compareTrackPosition(const Entry& a, const Entry& b)
{
    if (const int c = compareValues(a.discNumber, b.discNumber))
        return c;
    return compareValues(a.trackNumber, b.trackNumber);
}

int compareAlbumThenTrack(const Entry& a, const Entry& b)
{
    if (const int c = compareText(a.album, b.album))
        return c;
    return compareTrackPosition(a, b);
}

int compareBy(PlaylistSortKey key, const Entry& a, const Entry& b)
{
    switch (key) {
    case PlaylistSortKey::Title:
        return compareText(a.title, b.title);
    case PlaylistSortKey::Artist:
        if (const int c = compareText(a.artist, b.artist))
            return c;
        return compareAlbumThenTrack(a, b);
    case PlaylistSortKey::Album:
        return compareAlbumThenTrack(a, b);
    case PlaylistSortKey::AlbumArtist: {
        const auto albumArtist = [](const Entry& e) -> const std::string& {
            return e.albumArtist.empty() ? e.artist : e.albumArtist;
        };
        if (const int c = compareText(albumArtist(a), albumArtist(b)))
            return c;
        return compareAlbumThenTrack(a, b);
    }
    case PlaylistSortKey::Genre:
        if (const int c = compareText(a.genre, b.genre))
            return c;
        if (const int c = compareText(a.artist, b.artist))
            return c;
        return compareAlbumThenTrack(a, b);
    case PlaylistSortKey::Year:
        if (const int c = compareValues(a.year, b.year))
            return c;
        return compareAlbumThenTrack(a, b);
    case PlaylistSortKey::TrackNumber:
        return compareTrackPosition(a, b);
    case PlaylistSortKey::Duration:
        return compareValues(a.durationMs, b.durationMs);
    case PlaylistSortKey::Path:
        return compareText(locationOf(a), locationOf(b));
    case PlaylistSortKey::FileName:
        if (const int c = compareText(a.file.filename().native(), b.file.filename().native()))
            return c;
        return compareText(locationOf(a), locationOf(b));
    case PlaylistSortKey::ConversionOrder:
    case PlaylistSortKey::Shuffle:
        break;
    }
    return 0;
}

} // namespace

ResultPlaylistSorter::ResultPlaylistSorter(uint32_t shuffleSeed) : shuffleSeed_(shuffleSeed) {}

void ResultPlaylistSorter::sort(std::vector<ResultPlaylistEntry>& entries, int sortOrder) const
{
    const PlaylistSortKey key = playlistSortKey(sortOrder);
    const bool descending = isDescending(sortOrder);
    if (key == PlaylistSortKey::Shuffle) {
        std::mt19937 random(shuffleSeed_);
        std::shuffle(entries.begin(), entries.end(), random);
        return;
    }
    if (key == PlaylistSortKey::ConversionOrder) {
        if (descending)
            std::reverse(entries.begin(), entries.end());
        return;
    }
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        const int c = compareBy(key, a, b);
        return descending ? c > 0 : c < 0;
    });
}

} // namespace sonvale::lists
