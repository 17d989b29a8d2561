#pragma once

#include <cstdint>
#include <string>

#include "platform/engine/OutputSettings.h"

namespace sonvale::engine {

// The engine's own description of one batch, filled from the batch record when a conversion
// starts: the output format, where results go and how they are named, and the tag choices.
struct BatchSettings {
    OutputSettings output;

    std::string destinationFolder;
    bool asSourceFolder = false;       // each result beside its source
    int32_t overwritePolicy = 2;       // 0 overwrite, 1 skip existing, 2 write a new version
    bool backupPreviousVersion = false; // with policy 0: keep the replaced file
    bool acceptNonMediaFiles = false;
    bool copyNotConvertedFiles = false;
    bool copyImagesAndTexts = false;
    bool replicateFolders = false;
    bool organizeFolders = false;
    std::string folderPattern;
    bool renameFiles = false;
    std::string fileNamePattern;
    std::string subfolderName;          // one folder for the whole batch (a Music playlist)

    bool transferTags = true;
    bool tagsFromPaths = false;        // fill missing tags from file and folder names
    bool stripTags = false;
    int artworkFormat = 0;  // 0 keep, 1 JPEG, 2 PNG
    int maxArtworkSide = 0; // pixels, 0 = any size
};

} // namespace sonvale::engine
