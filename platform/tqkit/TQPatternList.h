#pragma once

// Stored pattern lists: the patterns a pattern pop-up offers or the editor's history keeps, in menu
// order, stored as one data setting (each pattern followed by "\n", then a NUL byte) under a
// section and key of the caller. Three built-in lists stand in when nothing is stored. Safe from
// any thread (the settings are).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using TQPatternList = std::vector<std::string>;

// The lines of a stored text, trimmed (TQKitTextTrim), with later entries equal to an earlier one
// ignoring case left out and runs of blank lines kept as one empty entry. CR, LF and CR LF end a
// line; the text ends at its first NUL. No value for a text that gives no entry at all.
std::optional<TQPatternList> TQPatternListSplit(std::string_view text);

// The stored list; when `useDefaults` is set and nothing is stored (or the stored text gives an
// empty list), the built-in list for the pattern flags: the extended file-name list when all bits of 0x69 are set,
// else the folder list when all bits of 0xD1 are, else the plain file-name list (bits above 0xFF
// play no part). No value when the section or key is empty, or nothing is stored and
// `useDefaults` is off.
std::optional<TQPatternList> TQPatternListDefaultsLoad(std::string_view section,
                                                       std::string_view key, bool useDefaults,
                                                       uint32_t patternFlags);

// Stores the non-empty patterns in order. An empty list (or one of empty patterns only), an empty
// section or key stores nothing and leaves the stored list as it was.
void TQPatternListSave(std::string_view section, std::string_view key, const TQPatternList& patterns);

// Removes the stored list, so the built-in list applies again.
void TQPatternListClear(std::string_view section, std::string_view key);

// The built-in list's stored form for the pattern flags (the choice of TQPatternListDefaultsLoad).
std::string_view TQPatternListBuiltIn(uint32_t patternFlags);
