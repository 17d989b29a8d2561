#pragma once

// UTF-8 helpers of the pattern machinery. Positions in patterns count characters (Unicode code
// points), never bytes. A byte that does not start a well-formed sequence counts as one character
// of its own. Case rules cover ASCII and the Latin-1 letters (À-Þ / à-þ); every other character is
// left as it is. Pure functions; any thread.

#include <string>
#include <string_view>
#include <vector>

// Length in bytes of the well-formed sequence at the start of `text`, 0 when there is none (an
// empty text, a stray continuation byte, an overlong or cut sequence).
size_t TQKitUtf8SequenceLength(std::string_view text);

// The characters of `text`, each as its bytes; a malformed byte is a character of its own.
std::vector<std::string_view> TQKitUtf8Characters(std::string_view text);

// The longest prefix of `text` within `limit` bytes that does not end inside a sequence.
size_t TQKitUtf8PrefixLength(std::string_view text, size_t limit);

std::string TQKitTextToLower(std::string_view text);
std::string TQKitTextToUpper(std::string_view text);
bool TQKitTextEqualIgnoringCase(std::string_view a, std::string_view b);
bool TQKitTextContainsIgnoringCase(std::string_view text, std::string_view part);
