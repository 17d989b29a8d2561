#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace sonvale::lists {

// Every kind of list the engine reads as a source: playlists, and link files that point at one
// or a few items (Internet shortcuts and their relatives). The first five are also the kinds of
// result playlist it writes.
enum class PlaylistKind {
    M3u8,
    M3u,
    Pls,
    Xspf,
    Wpl,
    Asx,
    Ram,           // RealAudio metafile: one address a line
    UrlShortcut,   // .url: [InternetShortcut] URL=...
    DesktopLink,   // .desktop of Type=Link
    Webloc,        // property list with a URL key
};

// The kind named by a file's extension (compared without regard to case), or none.
std::optional<PlaylistKind> playlistKindForPath(const std::filesystem::path& path);

// The extension a file of this kind is written with, without the dot.
std::string_view playlistKindExtension(PlaylistKind kind);

// Internet shortcuts (RAM, URL, desktop links, WEBLOC), accepted under their own setting apart
// from playlists.
bool isLinkFile(PlaylistKind kind);

} // namespace sonvale::lists
