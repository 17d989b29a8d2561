#include "platform/tqkit/TQKitTextTrim.h"

std::string TQKitTextTrim(std::string_view text)
{
    const auto byte = [&text](size_t index) { return static_cast<unsigned char>(text[index]); };
    size_t end = text.size();
    while (end > 0 && byte(end - 1) < 0x21)
        --end;
    size_t begin = 0;
    while (begin < end && byte(begin) >= 0x01 && byte(begin) <= 0x20)
        ++begin;
    return std::string(text.substr(begin, end - begin));
}
