#pragma once

// The token-array operations of the pattern editor, on plain token lists: the pattern views wrap
// each token of these lists in a view object and hand the lists back. Pure functions; any thread.

#include "platform/tqkit/TQKitTokenList.h"

#include <cstdint>
#include <string>
#include <string_view>

// The tokens of a pattern text, parsed with `patternFlags`; the modifiers the text carries go to
// *modFlags when it is given (0 for an empty text).
TQKitTokenList TQTokenArrayWithString(std::string_view text, uint32_t patternFlags,
                                      uint32_t* modFlags);

// The pattern text of `array` written with the pattern flags and the mod flags; empty when the
// array is.
std::string TQTokenArrayPattern(const TQKitTokenArray& array, uint32_t patternFlags,
                                uint32_t modFlags);

// The canonical form of `array`: written as text and parsed again, so neighbouring literal runs
// merge and typed key text ("{{album}}" typed as letters) becomes a key token. Mod flags are
// dropped.
TQKitTokenList TQTokenArrayJoin(const TQKitTokenArray& array);

// The split form: one token per editing position (each key token, each character of literal
// text), which a caret position indexes directly.
TQKitTokenList TQTokenArraySplit(const TQKitTokenArray& array);

// Appends to `list` the token a typed run of text stands for (TQKitPatternTokenFromText); an empty
// run adds nothing.
void TQTokenArrayAppendText(TQKitTokenList* list, std::string_view text);
