#pragma once

#include <string>
#include <string_view>

namespace sonvale {

// Percent-encoding of paths as in URLs (RFC 3986): every byte but the unreserved characters and
// "/" becomes %XX. Used for file URLs in playlists and for the paths the Bin records.
std::string percentEncodePath(std::string_view bytes);

// Decodes every well-formed %XX; a "%" not followed by two hex digits stays as it is.
std::string percentDecode(std::string_view text);

// The value of one hexadecimal digit, or -1.
int hexDigitValue(char c);

} // namespace sonvale
