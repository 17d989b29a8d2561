#pragma once

// The General options (sources, destination, names, completion) with the playlist options, edited
// by the General page and its playlist view, read by every batch start and end. Stored whole; safe
// from any thread.

#include <cstdint>
#include <string>

// Playlist format codes of TQPlaylistCreationOptions::playlistType (and, with 0 for "none",
// TQGeneralSettingsRecord::acceptedPlaylistType). Which format each code names is the engine's.
constexpr int32_t kTQPlaylistTypes[] = {16, 128, 32, 8, 64};
constexpr int32_t kTQPlaylistSortDescending = 0x100;

struct TQPlaylistCreationOptions {
    int32_t playlistType = 16; // 16, 128, 32, 8 or 64
    int32_t sortOrder = 1;     // sort code 1 to 12 in the low 8 bits; 0x100 = descending
    bool mergeWithExisting = false; // add to an existing playlist of that name
    std::string playlistName;  // UTF-8, trimmed; empty = chosen automatically

    bool operator==(const TQPlaylistCreationOptions&) const = default;
};

struct TQGeneralSettingsRecord {
    int32_t overwritePolicy = 2; // existing result: 0 overwrite, 1 skip the source, 2 new version
    bool backupPreviousVersion = false; // effective with policy 0 only
    bool closeProgress = false;
    bool playSound = false;
    bool acceptNonMediaFiles = false;
    bool copyImagesAndTexts = false;
    bool copyNotConvertedFiles = false;
    bool supportCUESheets = false;
    bool acceptPlaylists = false;
    int32_t acceptedPlaylistType = 16; // 0, 16, 128, 32, 8 or 64
    bool acceptShortcuts = false;
    bool replicateDirectoryStructure = false;
    bool organizeDestinationFolders = false;
    std::string destinationFolderPattern; // tag pattern of destination folders
    bool renameDestinationFiles = false;
    std::string fileNamePattern;          // tag pattern of result file names
    bool createPlaylist = false;
    TQPlaylistCreationOptions playlistOptions;
    bool openFinderWithConvertedFiles = false;
    bool moveToTrashSourceFiles = false;

    bool operator==(const TQGeneralSettingsRecord&) const = default;
};

void TQKitGeneralSettingsLoad(TQGeneralSettingsRecord* record);
// Stores the whole record, the playlist options included.
void TQKitGeneralSettingsSave(const TQGeneralSettingsRecord* record);
void TQKitGeneralSettingsReset();

// Only the playlist options of the record: loaded into, and saved from, record->playlistOptions;
// the other stored General options are left as they are.
void TQKitPlaylistSettingsLoad(TQGeneralSettingsRecord* record);
void TQKitPlaylistSettingsSave(const TQGeneralSettingsRecord* record);

// Frees the record's three texts (folder pattern, file-name pattern, playlist name) and leaves
// them empty. Safe to call more than once.
void TQGeneralSettingsDestroy(TQGeneralSettingsRecord* record);
