#pragma once

// Tags read from the names of a source file and its folders, for sources that lack them: a tag
// pattern read backwards. "{{trackNumber}} - {{title}}" reads "03 - Morning Tide.flac" as track 3,
// title "Morning Tide"; the folder pattern "{{artist}}/{{album}}" reads ".../Nora Vale/Northern
// Lights/" as artist and album.
//
// The caller's patterns (the batch's own file-name and folder patterns describe how this user
// names music) are tried together with built-in ones for the usual layouts ("01 - Title",
// "01. Title", "Artist - Title", "Artist/Album", "Artist/Year - Album", "Artist/Album/CD1"). Of
// the patterns that match a whole name, the one that explains most of it wins: the most keys, a
// number key (track, disc, year) counting twice because digits rarely match by chance; on a tie
// the earlier pattern, the caller's first. Number keys match only digits (a year four of them)
// and are stored without leading zeros; other values are trimmed and never empty; a pattern
// written with underscores for spaces reads "_" as a space.
//
// Pure functions; any thread.

#include "platform/tqkit/TQKitTokenTextSource.h"

#include <string>
#include <string_view>
#include <vector>

struct TQKitPathTagsPatterns {
    std::vector<std::string> folderPatterns;   // e.g. "{{artist}}/{{album}}"
    std::vector<std::string> fileNamePatterns; // e.g. "{{trackNumber}} - {{title}}"
};

// The tags the names in `path` give, by canonical key name (TQKitTagKey::name). The file name
// (without its extension) is read first; the folders then give only tags it did not.
// Folder levels at or above `baseFolder` carry no tags: the engine passes the folder above the
// one the user chose (or the user's home folder), so "home" or "Music" never becomes an album.
// An empty base, or one `path` is not inside, leaves every level.
TQKitTagValues TQKitPathTagsRead(std::string_view path, std::string_view baseFolder,
                                 const TQKitPathTagsPatterns& patterns);

// Adds the tags of TQKitPathTagsRead that `tags` lacks: a tag that is absent or blank (under any
// spelling of its name). A tag that is present is never changed. Returns the number added.
size_t TQKitPathTagsFill(TQKitTagValues& tags, std::string_view path, std::string_view baseFolder,
                         const TQKitPathTagsPatterns& patterns);
