#pragma once

// The music library the application imports from and exports to: a JSON file, "MusicLibrary.json"
// in Sonvale's data folder, that a music player or a person keeps:
//
//   {"tracks": [{"id": "T1", "location": "/home/me/Music/a.flac", "title": "Morning Tide",
//                "artist": "Nora Vale", "trackNumber": "3", "tracksTotal": 12,
//                "artwork": "covers/a.jpg", ...}],
//    "playlists": [{"name": "Road Trip", "tracks": ["T1"]}]}
//
// A track carries its tag fields under the property names of the music library ("title",
// "albumArtist", "trackNumber", "isCompilation", "dateAdded", ...), as texts or numbers; "artwork"
// is an image file, relative to the library file's folder or absolute. Qt-free.
//
// Threads: every call reads or writes the file afresh and may run on any thread. Conversion
// threads and the windows serialise their use of the library with TQKitMusicLibraryMutex().

#include "platform/tqkit/TQKitMutex.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct TQKitMusicTrack {
    std::string id;
    std::string location;  // the track's local file
    nlohmann::json properties; // the whole track object
};

std::filesystem::path TQKitMusicLibraryPath();
// The library file exists (it may still be unreadable).
bool TQKitMusicLibraryExists();
// The lock that serialises every use of the library between threads.
TQKitMutex& TQKitMusicLibraryMutex();

// The names of the playlists, in the library's order; empty without a readable library.
std::vector<std::string> TQKitMusicPlaylistNames();
// The tracks of the playlist `name` in its order (tracks it names that do not exist are left out);
// nothing when there is no such playlist.
std::optional<std::vector<TQKitMusicTrack>> TQKitMusicPlaylistTracks(const std::string& name);
// The track of that id, or nothing.
std::optional<TQKitMusicTrack> TQKitMusicTrackWithId(const std::string& id);
// The bytes of the track's artwork file; empty when it has none or it cannot be read.
std::vector<uint8_t> TQKitMusicTrackArtwork(const TQKitMusicTrack& track);

struct TQKitMusicAddResult {
    std::string playlistName;
    std::vector<std::string> added;  // files now in the playlist
    std::vector<std::string> failed; // files that could not be added (missing)
    std::string error;               // why nothing could be added (empty when something was)
    bool succeeded() const { return error.empty() && !added.empty(); }
    bool hasErrors() const { return !error.empty() || !failed.empty(); }
};
// Adds `files` to the playlist `name` (created when missing; a library file is created when there
// is none): a file the library knows by its location keeps its track, a new one becomes a track
// titled by its file name. The library is written back atomically.
TQKitMusicAddResult TQKitMusicAddToPlaylist(const std::string& name, const std::vector<std::string>& files);
