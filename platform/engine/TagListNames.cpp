#include "platform/engine/TagListNames.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace sonvale::engine {
namespace {

constexpr std::array<std::pair<const char*, const char*>, 33> kNames{{
    {"title", "TITLE"},
    {"artist", "ARTIST"},
    {"album", "ALBUM"},
    {"albumArtist", "ALBUMARTIST"},
    {"composer", "COMPOSER"},
    {"genre", "GENRE"},
    {"year", "DATE"},
    {"releaseDate", "RELEASEDATE"},
    {"trackNumber", "TRACKNUMBER"},
    {"discNumber", "DISCNUMBER"},
    {"comment", "COMMENT"},
    {"grouping", "GROUPING"},
    {"tempo", "BPM"},
    {"initialKey", "INITIALKEY"},
    {"mood", "MOOD"},
    {"rating", "RATING"},
    {"work", "WORK"},
    {"movement", "MOVEMENTNAME"},
    {"movementNumber", "MOVEMENTNUMBER"},
    {"sortTitle", "TITLESORT"},
    {"sortArtist", "ARTISTSORT"},
    {"sortAlbum", "ALBUMSORT"},
    {"sortComposer", "COMPOSERSORT"},
    {"mediaKind", "MEDIA"},
    {"podcastCategory", "PODCASTCATEGORY"},
    {"isCompilation", "COMPILATION"},
    {"isPodcast", "PODCAST"},
    {"isClassical", "SHOWWORKMOVEMENT"},
    {"podcastDescription", "PODCASTDESC"},
    {"lyrics", "LYRICS"},
    {"playCounter", "PLAYCOUNT"},
    {"dateAdded", "DATEADDED"},
    {"dateModified", "DATEMODIFIED"},
}};

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

} // namespace

std::string TagListNames::propertyFor(const std::string& listName)
{
    const std::string wanted = lower(listName);
    for (const auto& [name, property] : kNames)
        if (lower(name) == wanted)
            return property;
    return {};
}

TQKitTagValues TagListNames::valuesFor(const TagSet& tags)
{
    TQKitTagValues values;
    for (const auto& [name, property] : kNames) {
        const std::string value = tags.value(property);
        if (!value.empty())
            values.emplace(name, value);
    }
    return values;
}

} // namespace sonvale::engine
