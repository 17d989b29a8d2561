#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/engine/OutputSettings.h"
#include "platform/engine/SourceSpan.h"
#include "platform/engine/TagSet.h"
#include "platform/engine/artwork/ArtworkOptions.h"
#include "platform/engine/effects/EffectsSettings.h"
#include "platform/system/Status.h"

namespace sonvale::engine {

// One item's work as the converter hands it to a conversion service (or runs it in-process):
// convert `sourcePath` into `outputPath` and tag the result. The output path is a temporary name
// inside the destination; naming the result and renaming it belong to the converter.
// Where missing tags are read from file and folder names: the path, the folder above which names
// carry no tags, and the batch's own patterns (how this user names music).
struct PathTagsSource {
    std::string path; // empty: no tags from names
    std::string baseFolder;
    std::string folderPattern;
    std::string fileNamePattern;
};

struct ItemJob {
    std::string sourcePath;
    std::string outputPath;
    OutputSettings settings;
    std::optional<SourceSpan> span; // a track of a disc image: only that part of the source
    effects::EffectsSettings effects;
    bool transferTags = true;
    bool stripTags = false;
    PathTagsSource tagsFromPath;
    artwork::ArtworkOptions artwork;
    // Tags the application answered for this item (list callback 17); they replace the source's.
    std::optional<TagSet> replacementTags;
    // The track's own tags from its CUE sheet: they win over the image's.
    TagSet trackTags;
    // Tags a lookup service found: they fill only what the source lacks.
    TagSet lookedUpTags;

    std::string toJson() const;
    static Status fromJson(const std::string& text, ItemJob& job);
};

// What came of an item's job.
struct ItemOutcome {
    Status status = Status::success();
    std::vector<std::string> notes;  // options that could not be honoured as asked
    TagSet namingTags;               // the tags that name and file the result
    std::string extension;           // of the result
    int64_t durationMs = 0;          // of the result

    std::string toJson() const;
    static Status fromJson(const std::string& text, ItemOutcome& outcome);
};

} // namespace sonvale::engine
