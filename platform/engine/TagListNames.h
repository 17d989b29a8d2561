#pragma once

#include <string>

#include "platform/engine/TagSet.h"
#include "platform/tqkit/TQKitTokenTextSource.h"

namespace sonvale::engine {

// Translates between the names of tag lists and patterns ("title", "trackNumber", as TQKitTagName
// gives them, any letter case) and the engine's common property names ("TITLE", "TRACKNUMBER").
class TagListNames final {
public:
    // The property name for a tag-list name; empty for a name the engine doesn't write.
    static std::string propertyFor(const std::string& listName);
    // The tags as a pattern renders them, under the tag-list names.
    static TQKitTagValues valuesFor(const TagSet& tags);
};

} // namespace sonvale::engine
