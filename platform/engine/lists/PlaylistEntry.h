#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace sonvale::lists {

// More items than any real list holds; a file that claims more is refused before it uses much
// memory.
inline constexpr size_t kMaxPlaylistEntries = 100'000;

// One item of a list as its file writes it, before it is resolved.
struct RawPlaylistEntry {
    std::string location;
    std::string title;
    std::optional<int64_t> durationMs;
    // The location is a URI reference (XSPF, ASX, link files): a relative one is percent-encoded.
    // Otherwise it is a plain path, which may still be a file:// or http(s) URL.
    bool isUri = false;
};

// One item of a source list, resolved against the list's folder. Every item the list names is
// kept, the ones that cannot be used with the reason why.
struct PlaylistEntry {
    enum class State {
        Found,       // `path` is a local file or folder that exists
        Missing,     // `path` is where the item should be; nothing is there
        Remote,      // `url` is an http or https address
        Unsupported, // neither a local path nor a web address; `problem` says why
    };

    State state = State::Unsupported;
    std::string location; // as the list writes it
    std::filesystem::path path;
    std::string url;
    std::string title;
    std::optional<int64_t> durationMs;
    std::string problem; // for Missing and Unsupported, a sentence a person can read
};

} // namespace sonvale::lists
