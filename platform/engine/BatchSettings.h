#pragma once

#include <cstdint>
#include <string>

#include "platform/engine/OutputSettings.h"
#include "platform/engine/artwork/ArtworkOptions.h"
#include "platform/engine/effects/EffectsSettings.h"

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
    bool cueSheets = false;            // an image with its sheet becomes one item per track
    bool acceptPlaylists = false;      // the entries of source playlists become items
    int32_t acceptedPlaylistType = 0;  // format of the converted source playlists (0: as the source)
    bool acceptShortcuts = false;      // link files (.url, .webloc, .desktop, .ram) too
    bool replicateFolders = false;
    bool organizeFolders = false;
    std::string folderPattern;
    bool renameFiles = false;
    std::string fileNamePattern;
    std::string subfolderName;          // one folder for the whole batch (a Music playlist)

    effects::EffectsSettings effects;

    bool transferTags = true;
    bool tagsFromPaths = false;        // fill missing tags from file and folder names
    bool tagsFromNetwork = false;      // ask the tag lookup service for missing tags
    bool stripTags = false;
    artwork::ArtworkOptions artwork;

    bool moveSourcesToBin = false;     // after their conversion succeeded

    // The playlist of the results, written when the batch ends.
    bool createPlaylist = false;
    bool mergePlaylist = false;
    int32_t playlistType = 16;
    int32_t playlistSortOrder = 1;
    std::string playlistName;           // empty: named after the batch
};

} // namespace sonvale::engine
