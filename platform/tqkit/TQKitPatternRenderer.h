#pragma once

// Turns a tag pattern and the tags of one file into the relative path of its result: the engine
// names every result with TQKitPatternRenderPath, the pattern editor shows the same rendering with
// sample values (TQKitTokenListSampleText), and the pattern menus walk the tokens with a visitor
// (TQKitTokenListRender).
//
// A rendered path can never leave the destination it is joined to: only "/" written in a folder
// pattern separates levels; every level is made safe with TQKitNameFilter (a "/", "..", NUL or
// control character in a tag value cannot escape or hide), cut to the name limit at a character
// boundary, and empty levels vanish. Pure functions; any thread.
//
// Example: TQKitPatternRenderPath("{{artist}}/{{album}}", {{"artist", "AC/DC"}, {"album", ".."}},
//          {.folders = true}) gives "AC-DC"; with no tags at all it gives the fallback.

#include "platform/tqkit/TQKitNameFilter.h"
#include "platform/tqkit/TQKitTokenArray.h"
#include "platform/tqkit/TQKitTokenTextSource.h"

#include <cstdint>
#include <string>
#include <string_view>

struct TQKitPatternRenderOptions {
    // True for a folder pattern: "/" written in the pattern starts a new level. False for a file
    // name: the result is one name.
    bool folders = false;
    // Limit of each level in bytes; a file name leaves room for its extension (255 - ".m4a").
    size_t maxNameBytes = kTQKitNameMaxBytes;
    // What the result is when nothing is left, made safe the same way. For a folder pattern an
    // empty fallback means the destination itself (the empty path); a file name is never empty:
    // without a usable fallback it is "Untitled".
    std::string fallbackName = "Untitled";
    // When none of the pattern's keys has a value the result is empty, without the fallback: a
    // name of separators alone ("-  -") says nothing, the caller keeps a name of its own.
    bool emptyWithoutValues = false;
};

// The relative path ("Nora Vale/Northern Lights", "03 - Morning Tide") that `pattern` gives for
// `tags` (names as TQKitTagName gives them, any letter case). Keys without a value render empty;
// number keys are padded to their digits ("3/12" with two digits gives "03"); the pattern's case
// and spacing modifiers apply to each level.
std::string TQKitPatternRenderPath(std::string_view pattern, const TQKitTagValues& tags,
                                   const TQKitPatternRenderOptions& options = {});

// The same rendering of a parsed list with texts from `source`, without a fallback (empty when
// nothing is left); the list's pattern flags decide between folders (kTQKitPatternFolders) and a
// file name. `reserved` must be 0.
std::string TQKitTokenListSampleText(const TQKitTokenArray& list, const TQKitTokenTextSource& source,
                                     uint32_t reserved);

// What a visitor is told about one token. Bit 0 of `flags`: a key token.
struct TQKitTokenInfo {
    const TQKitPatternToken* token;
    uint32_t flags;
};

class TQKitTokenVisitor {
public:
    virtual ~TQKitTokenVisitor() = default;
    virtual void visit(const std::string& text, const TQKitTokenInfo& info) = 0;
};

// Visits the tokens of `list` in order with their texts: literal text as it stands, keys with the
// text of `source`; with a bit of kTQKitPatternDisplayKeys in `patternFlags`, a key the source has
// no text for shows its display text, otherwise it is skipped.
void TQKitTokenListRender(TQKitTokenVisitor& visitor, const TQKitTokenTextSource& source,
                          const TQKitTokenArray& list, uint32_t patternFlags);
