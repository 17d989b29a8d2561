#pragma once

#include <string>
#include <utility>
#include <vector>

namespace sonvale::engine {

// A picture carried with the tags (the front cover).
struct Artwork {
    std::vector<char> data;
    std::string mimeType; // "image/jpeg", "image/png"
    bool empty() const { return data.empty(); }
};

// Tags in a neutral form between formats: fields under the common property names ("TITLE",
// "ARTIST", "TRACKNUMBER" as "3/12", "COMPILATION", "BPM", "ISRC", ...), in order, a name possibly
// more than once, and the front cover.
struct TagSet {
    std::vector<std::pair<std::string, std::string>> fields;
    Artwork artwork;

    bool empty() const { return fields.empty() && artwork.empty(); }
    // The first value of a field, or empty.
    std::string value(const std::string& name) const;
};

} // namespace sonvale::engine
