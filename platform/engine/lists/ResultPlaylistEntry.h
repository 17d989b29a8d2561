#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace sonvale::lists {

// One converted file as a result playlist lists it, with the tags its sort orders use.
struct ResultPlaylistEntry {
    std::filesystem::path file; // absolute path of the converted file
    // Instead of `file`: an item kept from an existing playlist, written back as it stood there
    // (a web address, or a location this system cannot resolve).
    std::string uri;
    std::string title;
    std::string artist;
    std::string album;
    std::string albumArtist;
    std::string genre;
    int year = 0;
    int discNumber = 0;
    int trackNumber = 0;
    int64_t durationMs = 0; // 0 = unknown
};

} // namespace sonvale::lists
