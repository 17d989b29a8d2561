#pragma once

// Tag patterns as text: keys between double braces ("{{artist}} - {{title}}"), everything else
// literal text, and the modifier directives of TQKitPatternModifiers.h. Keys match without regard
// to case and keep the spelling they were written with, so parsing a pattern and joining it again
// gives the same text for every pattern the application offers. "{{" that does not open a known
// key (or a directive) is literal text. Pure functions of their arguments; any thread.

#include "platform/tqkit/TQKitTokenList.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// Pattern flags: how a pattern is meant. The application writes 1 (plain), 105 = 0x69 (file
// names) and 209 = 0xD1 (folders), and adds 0x06 when it renders menu titles.
enum TQKitPatternFlag : uint32_t {
    kTQKitPatternPlain = 0x01,
    kTQKitPatternDisplayKeys = 0x06, // rendering: keys without a text from the source show their display text
    kTQKitPatternFileName = 0x08,    // the result is one file name: every "/" is made safe
    kTQKitPatternFolders = 0x10,     // "/" written in the pattern separates folder levels
    // 0x20, 0x40 and 0x80 are carried with the patterns that have them and change nothing here.
};
constexpr uint32_t kTQKitPatternFlagsFileName = 0x69;
constexpr uint32_t kTQKitPatternFlagsFolders = 0xD1;

// Appends the tokens of `text` to `list`, adds the modifiers written in it to the list's mod flags
// and sets its pattern flags. False only for a null list.
bool TQKitPatternParse(TQKitTokenList* list, std::string_view text, uint32_t patternFlags);

// The pattern text of the array: its tokens, then the directives of its mod flags.
std::string TQKitPatternJoin(const TQKitTokenArray& array);

// Records the pattern flags the array is written and rendered with.
void TQKitPatternApplyFlags(TQKitTokenArray* array, uint32_t patternFlags);

// The split form of `in`, appended to `out`: one token per editing position, that is each key
// token and each character (code point, not byte) of literal text. Flags are copied.
void TQKitTokenListSplit(TQKitTokenList* out, const TQKitTokenArray& in);

// One token per key the menu of all tokens offers, in menu order, with a "-" literal where the
// menu has a separator. Built once; lives for the whole process.
const TQKitTokenArray& TQKitTokenTable();

// The token a typed text stands for: a copy of its first key token, else of its first token; null
// for a text without tokens. With `trim` the text is trimmed (TQKitTextTrim) first.
std::unique_ptr<TQKitPatternToken> TQKitPatternTokenFromText(std::string_view text, bool trim);
