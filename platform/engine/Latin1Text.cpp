#include "platform/engine/Latin1Text.h"

#include <cstdint>
#include <string_view>

namespace sonvale::engine {
namespace {

// U+0100..U+017F (Latin Extended-A) by their base letters; "?" where there is none.
constexpr std::string_view kExtendedA = "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi??JjKkkLlLlLlLlLlNnNnNnnNnOoOoOo??RrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";

// The next code point of `text` from `at`, moving `at` past it; U+FFFD for a broken sequence.
char32_t nextCodePoint(std::string_view text, size_t& at)
{
    const auto lead = static_cast<unsigned char>(text[at++]);
    const int length = lead < 0x80 ? 0 : lead >= 0xf0 ? 3 : lead >= 0xe0 ? 2 : lead >= 0xc0 ? 1 : -1;
    if (length < 0)
        return 0xfffd;
    char32_t cp = length == 0 ? lead : lead & (0x3f >> length);
    for (int i = 0; i < length; ++i) {
        if (at >= text.size() || (static_cast<unsigned char>(text[at]) & 0xc0) != 0x80)
            return 0xfffd;
        cp = cp << 6 | (static_cast<unsigned char>(text[at++]) & 0x3f);
    }
    return cp;
}

std::string_view replacementOf(char32_t cp)
{
    switch (cp) {
    case 0x2018: case 0x2019: case 0x201a: case 0x2032: return "'";
    case 0x201c: case 0x201d: case 0x201e: case 0x2033: return "\"";
    case 0x2010: case 0x2011: case 0x2012: case 0x2013: case 0x2014: case 0x2212: return "-";
    case 0x2026: return "...";
    case 0x2022: return "\xb7";
    case 0x20ac: return "EUR";
    case 0x0132: return "IJ";
    case 0x0133: return "ij";
    case 0x0152: return "OE";
    case 0x0153: return "oe";
    case 0x0218: return "S";
    case 0x0219: return "s";
    case 0x021a: return "T";
    case 0x021b: return "t";
    default: return "?";
    }
}

} // namespace

std::string Latin1Text::closest(const std::string& utf8)
{
    std::string out;
    for (size_t at = 0; at < utf8.size();) {
        const char32_t cp = nextCodePoint(utf8, at);
        if (cp < 0x100)
            out += char(cp);
        else if (cp >= 0x300 && cp < 0x370)
            continue; // a combining mark: the letter before it stays
        else if (cp >= 0x100 && cp < 0x180 && kExtendedA[cp - 0x100] != '?')
            out += kExtendedA[cp - 0x100];
        else
            out += replacementOf(cp);
    }
    return out;
}

} // namespace sonvale::engine
