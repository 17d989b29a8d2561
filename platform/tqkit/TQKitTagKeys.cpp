#include "platform/tqkit/TQKitTagKeys.h"

#include "platform/tqkit/TQKitUtf8.h"

namespace {

constexpr TQKitTagKey kSeparator = {nullptr, nullptr, 0, 0, 0, nullptr, true};

// Sample values are invented; they only show what a pattern makes of a typical track.
constexpr TQKitTagKey kKeys[] = {
    {"title", "Title", 1, 0, 0, "Morning Tide", true},
    {"artist", "Artist", 2, 0, 0, "Nora Vale", true},
    {"album", "Album", 3, 0, 0, "Northern Lights", true},
    {"albumArtist", "Album Artist", 9, 0, 0, "Nora Vale", true},
    {"composer", "Composer", 18, 0, 0, "Ilse Marrow", true},
    {"genre", "Genre", 4, 0, 0, "Ambient", true},
    {"year", "Year", 5, 0, 0, "2024", true},
    {"releaseDate", "Release Date", 76, 0, 0, "2024-03-15", true},
    kSeparator,
    {"trackNumber", "Track Number", 7, 1, 3, "3/12", true},
    {"discNumber", "Disc Number", 8, 1, 2, "1/2", true},
    kSeparator,
    {"comment", "Comment", 6, 0, 0, "Remastered", true},
    {"grouping", "Grouping", 12, 0, 0, "Evening Set", true},
    {"tempo", "Tempo", 10, 0, 0, "96", true},
    {"initialKey", "Initial Key", 0, 0, 0, "Am", true},
    {"mood", "Mood", 0, 0, 0, "Calm", true},
    {"rating", "Rating", 14, 0, 0, "80", true},
    kSeparator,
    {"work", "Work", 31, 0, 0, "Seasons", true},
    {"movement", "Movement Name", 27, 0, 0, "Spring", true},
    {"movementNumber", "Movement Number", 70, 1, 2, "1/4", true},
    kSeparator,
    {"sortTitle", "Title Sort Order", 56, 0, 0, "Morning Tide", true},
    {"sortArtist", "Artist Sort Order", 58, 0, 0, "Vale, Nora", true},
    {"sortAlbum", "Album Sort Order", 59, 0, 0, "Northern Lights", true},
    {"sortComposer", "Composer Sort Order", 37, 0, 0, "Marrow, Ilse", true},
    kSeparator,
    {"mediaKind", "Media Kind", 48, 0, 0, "Music", true},
    {"podcastCategory", "Podcast Category", 64, 0, 0, "Music", true},
    // Fields that travel in tag lists but make no sense in a name.
    {"isCompilation", "Compilation", 15, 0, 0, "0", false},
    {"isPodcast", "Podcast", 16, 0, 0, "0", false},
    {"isClassical", "Classical", 17, 0, 0, "0", false},
    {"podcastDescription", "Podcast Description", 66, 0, 0, "", false},
    {"lyrics", "Lyrics", 69, 0, 0, "", false},
    {"playCounter", "Play Count", 75, 0, 0, "7", false},
};

} // namespace

std::span<const TQKitTagKey> TQKitTagKeys() { return kKeys; }

const TQKitTagKey* TQKitTagKeyFind(std::string_view name)
{
    for (const TQKitTagKey& key : kKeys) {
        if (key.name && TQKitTextEqualIgnoringCase(key.name, name))
            return &key;
    }
    return nullptr;
}

const char* TQKitTagName(uint32_t tagId)
{
    if (tagId == 0)
        return nullptr;
    for (const TQKitTagKey& key : kKeys) {
        if (key.name && key.tagId == tagId)
            return key.name;
    }
    return nullptr;
}
