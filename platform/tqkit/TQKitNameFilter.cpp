#include "platform/tqkit/TQKitNameFilter.h"

#include "platform/tqkit/TQKitUtf8.h"

namespace {

bool isControl(std::string_view character)
{
    const unsigned char first = static_cast<unsigned char>(character[0]);
    if (character.size() == 1)
        return first < 0x20 || first == 0x7F;
    // C1 controls U+0080 to U+009F are encoded C2 80 to C2 9F.
    return character.size() == 2 && first == 0xC2 &&
           static_cast<unsigned char>(character[1]) < 0xA0;
}

std::string_view trimSpacesAndDots(std::string_view text)
{
    const size_t begin = text.find_first_not_of(" .");
    if (begin == std::string_view::npos)
        return {};
    const size_t end = text.find_last_not_of(" .");
    return text.substr(begin, end - begin + 1);
}

} // namespace

std::string TQKitNameFilter(std::string_view text, uint32_t /*reserved*/, size_t maxBytes)
{
    std::string safe;
    safe.reserve(text.size());
    for (const std::string_view character : TQKitUtf8Characters(text)) {
        if (isControl(character))
            safe += ' ';
        else if (character.size() == 1 && static_cast<unsigned char>(character[0]) >= 0x80)
            safe += '_'; // not part of a well-formed sequence
        else if (character == "/")
            safe += '-';
        else if (character.size() == 1 && std::string_view("\\:*?\"<>|").find(character[0]) !=
                                              std::string_view::npos)
            safe += '_';
        else
            safe += character;
    }
    const std::string_view trimmed = trimSpacesAndDots(safe);
    const size_t limit = maxBytes == 0 ? kTQKitNameMaxBytes : maxBytes;
    return std::string(trimSpacesAndDots(trimmed.substr(0, TQKitUtf8PrefixLength(trimmed, limit))));
}
