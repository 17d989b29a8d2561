#include "platform/engine/MusicBrainzNames.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace sonvale::engine {
namespace {

// The track id is no TXXX frame (ID3 keeps it in a UFID frame, which TagLib names itself).
constexpr std::array<std::pair<const char*, const char*>, 14> kNames{{
    {"MUSICBRAINZ_ALBUMID", "MusicBrainz Album Id"},
    {"MUSICBRAINZ_ARTISTID", "MusicBrainz Artist Id"},
    {"MUSICBRAINZ_ALBUMARTISTID", "MusicBrainz Album Artist Id"},
    {"MUSICBRAINZ_RELEASEGROUPID", "MusicBrainz Release Group Id"},
    {"MUSICBRAINZ_RELEASETRACKID", "MusicBrainz Release Track Id"},
    {"MUSICBRAINZ_WORKID", "MusicBrainz Work Id"},
    {"MUSICBRAINZ_DISCID", "MusicBrainz Disc Id"},
    {"MUSICBRAINZ_ORIGINALALBUMID", "MusicBrainz Original Album Id"},
    {"RELEASETYPE", "MusicBrainz Album Type"},
    {"RELEASESTATUS", "MusicBrainz Album Status"},
    {"RELEASECOUNTRY", "MusicBrainz Album Release Country"},
    {"ACOUSTID_ID", "Acoustid Id"},
    {"ACOUSTID_FINGERPRINT", "Acoustid Fingerprint"},
    {"MUSICIP_PUID", "MusicIP PUID"},
}};

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return text;
}

} // namespace

std::string MusicBrainzNames::neutralName(const std::string& name)
{
    for (const auto& [neutral, description] : kNames)
        if (upper(description) == name)
            return neutral;
    return name;
}

std::string MusicBrainzNames::descriptionOf(const std::string& neutralName)
{
    for (const auto& [neutral, description] : kNames)
        if (neutralName == neutral)
            return description;
    return {};
}

} // namespace sonvale::engine
