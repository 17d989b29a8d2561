#pragma once

#include "platform/engine/lists/PlaylistKind.h"

#include <optional>
#include <span>
#include <string_view>

// The codes that the settings records store for playlist formats and sort orders, what each one
// means, and the order in which the settings pages offer them. The pages and the engine both
// read them from here, so a code always means the same thing.
namespace sonvale::lists {

// --- Playlist formats ---------------------------------------------------------------------------

inline constexpr int kPlaylistTypeSameAsSource = 0; // source playlists keep their own format
inline constexpr int kDefaultPlaylistType = 16;

struct PlaylistTypeChoice {
    int code;
    std::string_view title;
    std::optional<PlaylistKind> kind; // none for "same as source"
};

// The format pop-up of the playlist settings: item index = position.
inline constexpr PlaylistTypeChoice kPlaylistTypeChoices[] = {
    {16, "M3U8 (UTF-8)", PlaylistKind::M3u8},
    {128, "M3U", PlaylistKind::M3u},
    {32, "PLS", PlaylistKind::Pls},
    {8, "XSPF", PlaylistKind::Xspf},
    {64, "WPL", PlaylistKind::Wpl},
};

// The format pop-up for converted source playlists on the General page: the same formats after
// "same as source".
inline constexpr PlaylistTypeChoice kAcceptedPlaylistTypeChoices[] = {
    {kPlaylistTypeSameAsSource, "Same as Source", std::nullopt},
    {16, "M3U8 (UTF-8)", PlaylistKind::M3u8},
    {128, "M3U", PlaylistKind::M3u},
    {32, "PLS", PlaylistKind::Pls},
    {8, "XSPF", PlaylistKind::Xspf},
    {64, "WPL", PlaylistKind::Wpl},
};

// The kind written for a result playlist code; unknown codes write the default format.
PlaylistKind playlistKindForType(int code);

// The kind a converted source playlist is written in, for the General page's accepted-playlist
// code: "same as source" keeps the source's kind where it can be written (M3U8 otherwise, for
// ASX and the link files); unknown codes write the default format.
PlaylistKind convertedPlaylistKind(int acceptedPlaylistType, PlaylistKind sourceKind);

// Playlist settings pop-up: an index outside 1 to 4 gives 16; an unknown code gives item 0.
int indexToPlaylistType(int index);
int playlistTypeToIndex(int code);

// General page pop-up: an index above 5 gives 16; an unknown code gives item 1 (16).
int indexToAcceptedPlaylistType(int index);
int acceptedPlaylistTypeToIndex(int code);

// --- Sort orders --------------------------------------------------------------------------------

// A sort order is a code from 1 to 12 in the low 8 bits, with kSortDescending added for the
// reverse order.
inline constexpr int kSortCodeMask = 0xFF;
inline constexpr int kSortDescending = 0x100;

enum class PlaylistSortKey {
    ConversionOrder = 1,
    Title = 2,
    Artist = 3,
    Album = 4,
    AlbumArtist = 5,
    Genre = 6,
    Year = 7,
    TrackNumber = 8,
    Duration = 9,
    Path = 10,
    FileName = 11,
    Shuffle = 12, // has no direction: the descending check box is disabled for it
};
inline constexpr int kDefaultSortOrder = 1;

struct SortOrderChoice {
    int code;               // what the item stores
    std::string_view title; // empty: the item is a separator
};

// The sort pop-up: item index = position. Items 1 and 12 are separators; they read as the code
// of their neighbour and are never selected for a stored code.
inline constexpr SortOrderChoice kSortOrderChoices[] = {
    {1, "Order of Conversion"},
    {2, ""},
    {2, "Title"},
    {3, "Artist"},
    {4, "Album"},
    {5, "Album Artist"},
    {6, "Genre"},
    {7, "Year"},
    {8, "Track Number"},
    {9, "Duration"},
    {11, "File Name"},
    {10, "Path"},
    {12, ""},
    {12, "Shuffle"},
};

// The key of a stored sort order (descending bit ignored); codes outside 1 to 12 sort in the order
// of conversion.
PlaylistSortKey playlistSortKey(int sortOrder);
bool isDescending(int sortOrder);

// Sort pop-up: an index outside 1 to 13 gives 1; the code is read from its low 8 bits.
int indexToSortingOrder(int index);
int sortingOrderToIndex(int sortOrder);

} // namespace sonvale::lists
