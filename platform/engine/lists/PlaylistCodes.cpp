#include "platform/engine/lists/PlaylistCodes.h"

#include <iterator>

namespace sonvale::lists {
namespace {

constexpr int kSortItemCount = static_cast<int>(std::size(kSortOrderChoices));

// The item that shows a stored code: the first titled one (separators are never selected).
int firstIndexOf(std::span<const PlaylistTypeChoice> choices, int code, int fallback)
{
    for (size_t i = 0; i < choices.size(); ++i) {
        if (choices[i].code == code)
            return static_cast<int>(i);
    }
    return fallback;
}

} // namespace

PlaylistKind playlistKindForType(int code)
{
    const int index = firstIndexOf(kPlaylistTypeChoices, code, 0);
    return *kPlaylistTypeChoices[index].kind;
}

PlaylistKind convertedPlaylistKind(int acceptedPlaylistType, PlaylistKind sourceKind)
{
    if (acceptedPlaylistType != kPlaylistTypeSameAsSource)
        return playlistKindForType(acceptedPlaylistType);
    for (const PlaylistTypeChoice& choice : kPlaylistTypeChoices) {
        if (choice.kind == sourceKind)
            return sourceKind;
    }
    return playlistKindForType(kDefaultPlaylistType);
}

int indexToPlaylistType(int index)
{
    if (index < 1 || index >= static_cast<int>(std::size(kPlaylistTypeChoices)))
        return kDefaultPlaylistType;
    return kPlaylistTypeChoices[index].code;
}

int playlistTypeToIndex(int code)
{
    return firstIndexOf(kPlaylistTypeChoices, code, 0);
}

int indexToAcceptedPlaylistType(int index)
{
    if (index < 0 || index >= static_cast<int>(std::size(kAcceptedPlaylistTypeChoices)))
        return kDefaultPlaylistType;
    return kAcceptedPlaylistTypeChoices[index].code;
}

int acceptedPlaylistTypeToIndex(int code)
{
    return firstIndexOf(kAcceptedPlaylistTypeChoices, code, 1);
}

PlaylistSortKey playlistSortKey(int sortOrder)
{
    const int code = sortOrder & kSortCodeMask;
    if (code < 1 || code > static_cast<int>(PlaylistSortKey::Shuffle))
        return PlaylistSortKey::ConversionOrder;
    return static_cast<PlaylistSortKey>(code);
}

bool isDescending(int sortOrder)
{
    return (sortOrder & kSortDescending) != 0;
}

int indexToSortingOrder(int index)
{
    if (index < 1 || index >= kSortItemCount)
        return kDefaultSortOrder;
    return kSortOrderChoices[index].code;
}

int sortingOrderToIndex(int sortOrder)
{
    const int code = sortOrder & kSortCodeMask;
    for (int i = 0; i < kSortItemCount; ++i) {
        if (kSortOrderChoices[i].code == code && !kSortOrderChoices[i].title.empty())
            return i;
    }
    return 0;
}

} // namespace sonvale::lists
