#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/engine/OutputSettings.h"
#include "platform/engine/TagSet.h"
#include "platform/system/Status.h"

namespace sonvale::engine {

// One item's work as the converter hands it to a conversion service (or runs it in-process):
// convert `sourcePath` into `outputPath` and tag the result. The output path is a temporary name
// inside the destination; naming the result and renaming it belong to the converter.
struct ItemJob {
    std::string sourcePath;
    std::string outputPath;
    OutputSettings settings;
    bool transferTags = true;
    bool stripTags = false;
    // The path whose file and folder names fill missing tags; empty: none.
    std::string tagsFromPath;
    int artworkFormat = 0;  // ArtworkConverter::Format: 0 keep, 1 JPEG, 2 PNG
    int maxArtworkSide = 0; // pixels, 0 = any size
    // Tags the application answered for this item (list callback 17); they replace the source's.
    std::optional<TagSet> replacementTags;

    std::string toJson() const;
    static Status fromJson(const std::string& text, ItemJob& job);
};

// What came of an item's job.
struct ItemOutcome {
    Status status = Status::success();
    std::vector<std::string> notes;  // options that could not be honoured as asked
    TagSet namingTags;               // the tags that name and file the result
    std::string extension;           // of the result

    std::string toJson() const;
    static Status fromJson(const std::string& text, ItemOutcome& outcome);
};

} // namespace sonvale::engine
