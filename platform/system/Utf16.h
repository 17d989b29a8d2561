#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sonvale {

// Lengths and cuts of UTF-8 text counted in UTF-16 code units, the unit in which the telemetry
// limits are given. A character beyond U+FFFF counts two units; a byte that does not start a valid
// UTF-8 sequence counts one unit, as the replacement character that a decoder would put there.
size_t utf16Length(std::string_view utf8);

// True when every byte belongs to a well-formed UTF-8 sequence (as a strict decoder reads it).
bool isValidUtf8(std::string_view text);

// The longest prefix of `utf8` that is at most `maxUnits` UTF-16 units long and ends on a character
// boundary: a cut never splits a UTF-8 sequence nor a surrogate pair.
std::string truncateToUtf16Units(std::string_view utf8, size_t maxUnits);

} // namespace sonvale
