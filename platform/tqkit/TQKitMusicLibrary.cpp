#include "platform/tqkit/TQKitMusicLibrary.h"

#include "platform/system/AtomicFile.h"
#include "platform/system/XdgPaths.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// The library's object, or nothing when the file is missing or not a JSON object.
std::optional<json> readLibrary()
{
    const std::optional<std::string> text = sonvale::readWholeFile(TQKitMusicLibraryPath());
    if (!text)
        return std::nullopt;
    json library = json::parse(*text, nullptr, false);
    if (!library.is_object())
        return std::nullopt;
    return library;
}

std::string textField(const json& object, const char* key)
{
    const auto it = object.find(key);
    return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}

// The id of a track or of a playlist entry: a text, or a number written in decimal.
std::string idOf(const json& value)
{
    if (value.is_string())
        return value.get<std::string>();
    if (value.is_number_integer())
        return std::to_string(value.get<int64_t>());
    return {};
}

std::optional<TQKitMusicTrack> trackOf(const json& object)
{
    if (!object.is_object())
        return std::nullopt;
    TQKitMusicTrack track{object.contains("id") ? idOf(object["id"]) : std::string(), textField(object, "location"),
                          object};
    if (track.id.empty())
        return std::nullopt;
    return track;
}

const json* tracksOf(const json& library)
{
    const auto it = library.find("tracks");
    return it != library.end() && it->is_array() ? &*it : nullptr;
}

const json* playlistsOf(const json& library)
{
    const auto it = library.find("playlists");
    return it != library.end() && it->is_array() ? &*it : nullptr;
}

std::optional<TQKitMusicTrack> findTrack(const json& library, const std::string& id)
{
    if (const json* tracks = tracksOf(library)) {
        for (const json& object : *tracks) {
            std::optional<TQKitMusicTrack> track = trackOf(object);
            if (track && track->id == id)
                return track;
        }
    }
    return std::nullopt;
}

std::string nextTrackId(const json& library)
{
    int64_t highest = 0;
    if (const json* tracks = tracksOf(library)) {
        for (const json& object : *tracks) {
            const std::string id = object.is_object() && object.contains("id") ? idOf(object["id"]) : std::string();
            if (id.size() > 1 && id[0] == 'S' && std::all_of(id.begin() + 1, id.end(), [](unsigned char c) { return std::isdigit(c) != 0; }))
                highest = std::max<int64_t>(highest, std::stoll(id.substr(1)));
        }
    }
    return "S" + std::to_string(highest + 1);
}

} // namespace

fs::path TQKitMusicLibraryPath() { return sonvale::sonvaleDataDir() / "MusicLibrary.json"; }

bool TQKitMusicLibraryExists()
{
    std::error_code error;
    return fs::is_regular_file(TQKitMusicLibraryPath(), error);
}

TQKitMutex& TQKitMusicLibraryMutex()
{
    static TQKitMutex mutex;
    return mutex;
}

std::vector<std::string> TQKitMusicPlaylistNames()
{
    std::vector<std::string> names;
    const std::optional<json> library = readLibrary();
    if (const json* playlists = library ? playlistsOf(*library) : nullptr) {
        for (const json& playlist : *playlists) {
            if (playlist.is_object() && !textField(playlist, "name").empty())
                names.push_back(textField(playlist, "name"));
        }
    }
    return names;
}

std::optional<std::vector<TQKitMusicTrack>> TQKitMusicPlaylistTracks(const std::string& name)
{
    const std::optional<json> library = readLibrary();
    const json* playlists = library ? playlistsOf(*library) : nullptr;
    if (!playlists)
        return std::nullopt;
    for (const json& playlist : *playlists) {
        if (!playlist.is_object() || textField(playlist, "name") != name)
            continue;
        std::vector<TQKitMusicTrack> tracks;
        const auto entries = playlist.find("tracks");
        if (entries != playlist.end() && entries->is_array()) {
            for (const json& entry : *entries) {
                if (std::optional<TQKitMusicTrack> track = findTrack(*library, idOf(entry)))
                    tracks.push_back(std::move(*track));
            }
        }
        return tracks;
    }
    return std::nullopt;
}

std::optional<TQKitMusicTrack> TQKitMusicTrackWithId(const std::string& id)
{
    const std::optional<json> library = readLibrary();
    return library ? findTrack(*library, id) : std::nullopt;
}

std::vector<uint8_t> TQKitMusicTrackArtwork(const TQKitMusicTrack& track)
{
    const std::string artwork = textField(track.properties, "artwork");
    if (artwork.empty())
        return {};
    fs::path file(artwork);
    if (file.is_relative())
        file = TQKitMusicLibraryPath().parent_path() / file;
    const std::optional<std::string> bytes = sonvale::readWholeFile(file);
    return bytes ? std::vector<uint8_t>(bytes->begin(), bytes->end()) : std::vector<uint8_t>();
}

TQKitMusicAddResult TQKitMusicAddToPlaylist(const std::string& name, const std::vector<std::string>& files)
{
    TQKitMusicAddResult result;
    result.playlistName = name;
    if (name.empty()) {
        result.error = "The playlist has no name.";
        return result;
    }
    json library = TQKitMusicLibraryExists() ? readLibrary().value_or(json()) : json::object();
    if (!library.is_object()) {
        result.error = "The music library file cannot be read.";
        return result;
    }
    if (!library["tracks"].is_array())
        library["tracks"] = json::array();
    if (!library["playlists"].is_array())
        library["playlists"] = json::array();
    json* playlist = nullptr;
    for (json& candidate : library["playlists"]) {
        if (candidate.is_object() && textField(candidate, "name") == name)
            playlist = &candidate;
    }
    if (!playlist) {
        library["playlists"].push_back({{"name", name}, {"tracks", json::array()}});
        playlist = &library["playlists"].back();
    }
    if (!(*playlist)["tracks"].is_array())
        (*playlist)["tracks"] = json::array();

    for (const std::string& file : files) {
        std::error_code error;
        if (!fs::is_regular_file(file, error)) {
            result.failed.push_back(file);
            continue;
        }
        std::string id;
        for (const json& object : library["tracks"]) {
            if (object.is_object() && textField(object, "location") == file)
                id = idOf(object["id"]);
        }
        if (id.empty()) {
            id = nextTrackId(library);
            library["tracks"].push_back({{"id", id}, {"location", file}, {"title", fs::path(file).stem().string()}});
        }
        (*playlist)["tracks"].push_back(id);
        result.added.push_back(file);
    }
    if (result.added.empty())
        return result;
    std::error_code error;
    fs::create_directories(TQKitMusicLibraryPath().parent_path(), error);
    if (const sonvale::Status written = sonvale::writeFileAtomically(TQKitMusicLibraryPath(), library.dump(2), 0644);
        !written) {
        result.error = "The music library file cannot be written.";
        result.failed.insert(result.failed.end(), result.added.begin(), result.added.end());
        result.added.clear();
    }
    return result;
}
