#include "platform/engine/lists/ListText.h"

#include <algorithm>

namespace sonvale::lists::text {
namespace {

unsigned char lowered(char c)
{
    return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
}

} // namespace

std::string_view trimmed(std::string_view text)
{
    constexpr std::string_view kBlank = " \t\r\n";
    const auto first = text.find_first_not_of(kBlank);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(kBlank);
    return text.substr(first, last - first + 1);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (lowered(a[i]) != lowered(b[i]))
            return false;
    }
    return true;
}

int compareIgnoringCase(std::string_view a, std::string_view b)
{
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        if (lowered(a[i]) != lowered(b[i]))
            return lowered(a[i]) < lowered(b[i]) ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool isAsciiAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isAsciiAlnum(char c)
{
    return isAsciiAlpha(c) || (c >= '0' && c <= '9');
}

} // namespace sonvale::lists::text
