#include "platform/engine/TQKitTagName.h"

#include <array>
#include <utility>

const char* TQKitTagName(uint32_t tagId)
{
    static constexpr std::array<std::pair<uint32_t, const char*>, 29> kNames{{
        {1, "TITLE"},           {2, "ARTIST"},          {3, "ALBUM"},          {4, "GENRE"},
        {5, "DATE"},            {6, "COMMENT"},         {7, "TRACKNUMBER"},    {8, "DISCNUMBER"},
        {9, "ALBUMARTIST"},     {10, "BPM"},            {12, "GROUPING"},      {14, "RATING"},
        {15, "COMPILATION"},    {16, "PODCAST"},        {17, "SHOWWORKMOVEMENT"}, {18, "COMPOSER"},
        {27, "MOVEMENTNAME"},   {31, "WORK"},           {37, "COMPOSERSORT"},  {48, "MEDIATYPE"},
        {56, "TITLESORT"},      {58, "ARTISTSORT"},     {59, "ALBUMSORT"},     {64, "PODCASTCATEGORY"},
        {66, "PODCASTDESC"},    {69, "LYRICS"},         {70, "MOVEMENTNUMBER"}, {75, "PLAYCOUNT"},
        {76, "RELEASEDATE"},
    }};
    for (const auto& [id, name] : kNames)
        if (id == tagId)
            return name;
    return nullptr;
}
