#include "platform/tqkit/TQKitUtf8.h"

namespace {

unsigned char byteAt(std::string_view text, size_t index)
{
    return static_cast<unsigned char>(text[index]);
}

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Latin-1 letters sit in two blocks of 0x20 apart; U+00D7 and U+00F7 are signs, U+00DF and U+00FF
// have no single-letter partner in the block.
char32_t lowerOf(char32_t c)
{
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return c + 0x20;
    return c;
}

char32_t upperOf(char32_t c)
{
    if ((c >= U'a' && c <= U'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return c - 0x20;
    return c;
}

// Rewrites the two-byte and one-byte sequences whose code point `map` changes; both blocks stay
// inside their encoded length, so the text's size is kept.
template <typename Map>
std::string mapCase(std::string_view text, Map map)
{
    std::string out(text);
    for (size_t i = 0; i < out.size();) {
        const size_t length = TQKitUtf8SequenceLength(std::string_view(out).substr(i));
        if (length == 1) {
            out[i] = static_cast<char>(map(static_cast<char32_t>(byteAt(out, i))));
        } else if (length == 2) {
            const char32_t c = ((byteAt(out, i) & 0x1F) << 6) | (byteAt(out, i + 1) & 0x3F);
            const char32_t mapped = map(c);
            out[i] = static_cast<char>(0xC0 | (mapped >> 6));
            out[i + 1] = static_cast<char>(0x80 | (mapped & 0x3F));
        }
        i += length == 0 ? 1 : length;
    }
    return out;
}

} // namespace

size_t TQKitUtf8SequenceLength(std::string_view text)
{
    if (text.empty())
        return 0;
    const unsigned char lead = byteAt(text, 0);
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    char32_t lowest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        lowest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        lowest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        lowest = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    char32_t c = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if (!isContinuation(byteAt(text, i)))
            return 0;
        c = (c << 6) | (byteAt(text, i) & 0x3F);
    }
    if (c < lowest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return length;
}

std::vector<std::string_view> TQKitUtf8Characters(std::string_view text)
{
    std::vector<std::string_view> characters;
    for (size_t i = 0; i < text.size();) {
        const size_t length = TQKitUtf8SequenceLength(text.substr(i));
        const size_t taken = length == 0 ? 1 : length;
        characters.push_back(text.substr(i, taken));
        i += taken;
    }
    return characters;
}

size_t TQKitUtf8PrefixLength(std::string_view text, size_t limit)
{
    size_t length = 0;
    for (const std::string_view character : TQKitUtf8Characters(text)) {
        if (length + character.size() > limit)
            break;
        length += character.size();
    }
    return length;
}

std::string TQKitTextToLower(std::string_view text) { return mapCase(text, lowerOf); }
std::string TQKitTextToUpper(std::string_view text) { return mapCase(text, upperOf); }

bool TQKitTextEqualIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && TQKitTextToLower(a) == TQKitTextToLower(b);
}

bool TQKitTextContainsIgnoringCase(std::string_view text, std::string_view part)
{
    return TQKitTextToLower(text).find(TQKitTextToLower(part)) != std::string::npos;
}
