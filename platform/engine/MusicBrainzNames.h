#pragma once

#include <string>

namespace sonvale::engine {

// The names taggers give the MusicBrainz and AcoustID fields in each tag format. TagLib knows
// some of them only in capitals in ID3 ("MUSICBRAINZ ALBUM ID") and not at all in MP4; results
// carry the names every tagger and player looks for.
class MusicBrainzNames final {
public:
    // The neutral field name ("MUSICBRAINZ_RELEASETRACKID") of a name TagLib read from an ID3
    // description it doesn't know ("MUSICBRAINZ RELEASE TRACK ID"); the name itself otherwise.
    static std::string neutralName(const std::string& name);
    // The ID3 TXXX description (and MP4 free-form name) of a neutral field name; empty for others.
    static std::string descriptionOf(const std::string& neutralName);
};

} // namespace sonvale::engine
