#pragma once

// Case and spacing modifiers of a pattern (its mod flags). In pattern text each set bit is written
// as a directive after the tokens, "{{spacing:underscores}}" or "{{case:lower}}", in the order of
// the table below; parsing takes them out of the token list again. When several bits of one group
// are set the first of the group in this order applies. Case rules follow TQKitUtf8.h. Pure
// functions; any thread.

#include <cstdint>
#include <string>
#include <string_view>

enum TQKitModFlag : uint32_t {
    kTQKitModUnderscores = 0x01,     // spaces become "_"
    kTQKitModSpaces = 0x04,          // "_" become spaces
    kTQKitModNoSpaces = 0x02,        // spaces are removed
    kTQKitModLowerCase = 0x08,       // "morning tide"
    kTQKitModUpperCase = 0x10,       // "MORNING TIDE"
    kTQKitModTitleCase = 0x20,       // "Morning Tide" (the rest of each word lower case)
    kTQKitModSentenceCase = 0x40,    // "Morning tide"
    kTQKitModCapitalizeWords = 0x80, // first letter of each word upper case, the rest kept
};

// The text with the modifiers applied (spacing first, then case).
std::string TQKitModApply(std::string_view text, uint32_t modFlags);

// The directives of every set bit, for pattern text; empty for 0.
std::string TQKitModDirectives(uint32_t modFlags);

// The bit a directive stands for, given the text between the braces ("case:lower"), ignoring case;
// 0 when it is not a directive.
uint32_t TQKitModDirectiveFlag(std::string_view inner);

// What the applied modifiers do, in words ("Underscores, lower case"); empty when none applies.
std::string TQKitModDescription(uint32_t modFlags);
