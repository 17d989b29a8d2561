#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/engine/PageMedia.h"
#include "platform/engine/SourceSpan.h"
#include "platform/engine/TagSet.h"

namespace sonvale::engine {

// Where an item came from, beyond its source file: a track of a disc image, an entry of a source
// playlist, a media item of a web page, or an entry that could not be used. Fixed when the item is
// made.
struct ItemOrigin {
    // Names the item and its result in place of the source's own name (a track of an image).
    std::string fileName;
    std::optional<SourceSpan> span;
    TagSet trackTags;                 // the CUE sheet's title, performer, track number and album
    std::vector<std::string> sheets;  // CUE sheets that describe the source (moved to the Bin with it)
    std::string playlist;             // the source playlist that listed the item
    // Set: the item cannot be converted (a playlist entry that is missing or not a file); it fails
    // with this reason.
    std::string problem;
    // Set: one of several media items of the web page the item's address names (the first of them
    // belongs to the page's own item, which finds them).
    std::optional<PageMedia> pageMedia;
};

} // namespace sonvale::engine
