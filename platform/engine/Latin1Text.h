#pragma once

#include <string>

namespace sonvale::engine {

// The closest Latin-1 form of a UTF-8 text, for tags that hold nothing else (ID3v1): letters with
// marks Latin-1 lacks lose the mark ("Dvořák" gives "Dvorák"), typographic quotes and dashes become
// plain ones, and what has no Latin-1 form becomes "?". The result holds Latin-1 bytes.
class Latin1Text final {
public:
    static std::string closest(const std::string& utf8);
};

} // namespace sonvale::engine
