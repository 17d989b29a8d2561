#include "platform/system/Utf16.h"

#include <cstdint>

namespace sonvale {
namespace {

struct Character {
    size_t bytes;      // length of the UTF-8 sequence (1 for an invalid byte)
    size_t utf16Units; // 1, or 2 beyond U+FFFF
};

// Reads the character at the start of `text` (which is not empty), rejecting overlong forms,
// surrogates and values above U+10FFFF the way a strict decoder does.
Character nextCharacter(std::string_view text)
{
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(0);
    size_t length = 0;
    uint32_t value = 0;
    if (lead < 0x80)
        return {1, 1};
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
        value = lead & 0x1f;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        value = lead & 0x0f;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        value = lead & 0x07;
    } else {
        return {1, 1};
    }
    if (text.size() < length)
        return {1, 1};
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xc0) != 0x80)
            return {1, 1};
        value = (value << 6) | (byte(i) & 0x3f);
    }
    const bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
    const bool surrogate = value >= 0xd800 && value <= 0xdfff;
    if (overlong || surrogate || value > 0x10ffff)
        return {1, 1};
    return {length, value > 0xffff ? size_t{2} : size_t{1}};
}

} // namespace

size_t utf16Length(std::string_view utf8)
{
    size_t units = 0;
    while (!utf8.empty()) {
        const Character c = nextCharacter(utf8);
        units += c.utf16Units;
        utf8.remove_prefix(c.bytes);
    }
    return units;
}

bool isValidUtf8(std::string_view text)
{
    while (!text.empty()) {
        const Character c = nextCharacter(text);
        if (c.bytes == 1 && static_cast<uint8_t>(text[0]) >= 0x80)
            return false;
        text.remove_prefix(c.bytes);
    }
    return true;
}

std::string truncateToUtf16Units(std::string_view utf8, size_t maxUnits)
{
    size_t units = 0;
    size_t bytes = 0;
    while (bytes < utf8.size()) {
        const Character c = nextCharacter(utf8.substr(bytes));
        if (units + c.utf16Units > maxUnits)
            break;
        units += c.utf16Units;
        bytes += c.bytes;
    }
    return std::string(utf8.substr(0, bytes));
}

} // namespace sonvale
