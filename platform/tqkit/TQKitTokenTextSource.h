#pragma once

// Where the text of a key token comes from when a pattern is rendered: tag values of a file, the
// sample values of the pattern editor, the display texts of a menu. Implementations are immutable
// once made and may be used from any thread.

#include <map>
#include <string>

class TQKitPatternToken;

// Tag values by key name (TQKitTagName / TQKitTagKey::name); names match without regard to case.
using TQKitTagValues = std::map<std::string, std::string>;

class TQKitTokenTextSource {
public:
    virtual ~TQKitTokenTextSource() = default;
    // Puts the text of the key token into `out`; false when this source has none for it.
    virtual bool text(const TQKitPatternToken& token, std::string& out) const = 0;
};
