#pragma once

#include <string_view>

// Small text helpers the list readers share. ASCII rules only, whatever locale the process has
// set, since list keywords and URL syntax are ASCII.
namespace sonvale::lists::text {

// `text` without leading and trailing spaces, tabs and line ends.
std::string_view trimmed(std::string_view text);

bool equalsIgnoringCase(std::string_view a, std::string_view b);
// Negative, zero or positive as `a` sorts before, with or after `b`; bytes past ASCII by value.
int compareIgnoringCase(std::string_view a, std::string_view b);
bool isAsciiAlpha(char c);
bool isAsciiAlnum(char c);

} // namespace sonvale::lists::text
