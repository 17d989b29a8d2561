#include "platform/tqkit/TQGeneralSettingsRecord.h"

#include "platform/tqkit/TQKitStoredRecord.h"

#include <mutex>

namespace {

constexpr const char* kName = "General";

// Saving only the playlist options reads, changes and writes the stored record; holding this lock
// over that and over whole saves keeps a concurrent whole save from being lost in between.
std::mutex& saveMutex()
{
    static std::mutex mutex;
    return mutex;
}

bool isPlaylistType(int32_t code)
{
    for (const int32_t type : kTQPlaylistTypes) {
        if (type == code)
            return true;
    }
    return false;
}

void loadPlaylistOptions(const TQKitStoredRecord& stored, TQPlaylistCreationOptions& options)
{
    const TQPlaylistCreationOptions defaults;
    const int32_t type = stored.integerIn("playlistType", defaults.playlistType, 0, 255);
    options.playlistType = isPlaylistType(type) ? type : defaults.playlistType;
    const int32_t sortOrder = stored.integerIn("sortOrder", defaults.sortOrder, 1,
                                               kTQPlaylistSortDescending | 0xFF);
    const int32_t sortCode = sortOrder & 0xFF;
    const bool onlyKnownBits = (sortOrder & ~(kTQPlaylistSortDescending | 0xFF)) == 0;
    options.sortOrder = onlyKnownBits && sortCode >= 1 && sortCode <= 12 ? sortOrder
                                                                         : defaults.sortOrder;
    options.mergeWithExisting = stored.flag("mergeWithExisting", defaults.mergeWithExisting);
    options.playlistName = stored.text("playlistName");
}

void setPlaylistOptions(TQKitStoredRecord& stored, const TQPlaylistCreationOptions& options)
{
    stored.set("playlistType", options.playlistType);
    stored.set("sortOrder", options.sortOrder);
    stored.set("mergeWithExisting", options.mergeWithExisting);
    stored.set("playlistName", options.playlistName);
}

} // namespace

void TQKitGeneralSettingsLoad(TQGeneralSettingsRecord* record)
{
    if (!record)
        return;
    const TQKitStoredRecord stored = TQKitStoredRecord::load(kName);
    const TQGeneralSettingsRecord defaults;
    record->overwritePolicy = stored.integerIn("overwritePolicy", defaults.overwritePolicy, 0, 2);
    record->backupPreviousVersion =
        stored.flag("backupPreviousVersion", defaults.backupPreviousVersion);
    record->closeProgress = stored.flag("closeProgress", defaults.closeProgress);
    record->playSound = stored.flag("playSound", defaults.playSound);
    record->acceptNonMediaFiles = stored.flag("acceptNonMediaFiles", defaults.acceptNonMediaFiles);
    record->copyImagesAndTexts = stored.flag("copyImagesAndTexts", defaults.copyImagesAndTexts);
    record->copyNotConvertedFiles =
        stored.flag("copyNotConvertedFiles", defaults.copyNotConvertedFiles);
    record->supportCUESheets = stored.flag("supportCUESheets", defaults.supportCUESheets);
    record->acceptPlaylists = stored.flag("acceptPlaylists", defaults.acceptPlaylists);
    const int32_t accepted =
        stored.integerIn("acceptedPlaylistType", defaults.acceptedPlaylistType, 0, 255);
    record->acceptedPlaylistType =
        accepted == 0 || isPlaylistType(accepted) ? accepted : defaults.acceptedPlaylistType;
    record->acceptShortcuts = stored.flag("acceptShortcuts", defaults.acceptShortcuts);
    record->replicateDirectoryStructure =
        stored.flag("replicateDirectoryStructure", defaults.replicateDirectoryStructure);
    record->organizeDestinationFolders =
        stored.flag("organizeDestinationFolders", defaults.organizeDestinationFolders);
    record->destinationFolderPattern = stored.text("destinationFolderPattern");
    record->renameDestinationFiles =
        stored.flag("renameDestinationFiles", defaults.renameDestinationFiles);
    record->fileNamePattern = stored.text("fileNamePattern");
    record->createPlaylist = stored.flag("createPlaylist", defaults.createPlaylist);
    loadPlaylistOptions(stored, record->playlistOptions);
    record->openFinderWithConvertedFiles =
        stored.flag("openFinderWithConvertedFiles", defaults.openFinderWithConvertedFiles);
    record->moveToTrashSourceFiles =
        stored.flag("moveToTrashSourceFiles", defaults.moveToTrashSourceFiles);
}

void TQKitGeneralSettingsSave(const TQGeneralSettingsRecord* record)
{
    if (!record)
        return;
    TQKitStoredRecord stored;
    stored.set("overwritePolicy", record->overwritePolicy);
    stored.set("backupPreviousVersion", record->backupPreviousVersion);
    stored.set("closeProgress", record->closeProgress);
    stored.set("playSound", record->playSound);
    stored.set("acceptNonMediaFiles", record->acceptNonMediaFiles);
    stored.set("copyImagesAndTexts", record->copyImagesAndTexts);
    stored.set("copyNotConvertedFiles", record->copyNotConvertedFiles);
    stored.set("supportCUESheets", record->supportCUESheets);
    stored.set("acceptPlaylists", record->acceptPlaylists);
    stored.set("acceptedPlaylistType", record->acceptedPlaylistType);
    stored.set("acceptShortcuts", record->acceptShortcuts);
    stored.set("replicateDirectoryStructure", record->replicateDirectoryStructure);
    stored.set("organizeDestinationFolders", record->organizeDestinationFolders);
    stored.set("destinationFolderPattern", record->destinationFolderPattern);
    stored.set("renameDestinationFiles", record->renameDestinationFiles);
    stored.set("fileNamePattern", record->fileNamePattern);
    stored.set("createPlaylist", record->createPlaylist);
    setPlaylistOptions(stored, record->playlistOptions);
    stored.set("openFinderWithConvertedFiles", record->openFinderWithConvertedFiles);
    stored.set("moveToTrashSourceFiles", record->moveToTrashSourceFiles);
    std::lock_guard lock(saveMutex());
    stored.save(kName);
}

void TQKitGeneralSettingsReset()
{
    std::lock_guard lock(saveMutex());
    TQKitStoredRecord::remove(kName);
}

void TQKitPlaylistSettingsLoad(TQGeneralSettingsRecord* record)
{
    if (!record)
        return;
    loadPlaylistOptions(TQKitStoredRecord::load(kName), record->playlistOptions);
}

void TQKitPlaylistSettingsSave(const TQGeneralSettingsRecord* record)
{
    if (!record)
        return;
    std::lock_guard lock(saveMutex());
    TQKitStoredRecord stored = TQKitStoredRecord::load(kName);
    setPlaylistOptions(stored, record->playlistOptions);
    stored.save(kName);
}

void TQGeneralSettingsDestroy(TQGeneralSettingsRecord* record)
{
    if (!record)
        return;
    std::string().swap(record->destinationFolderPattern);
    std::string().swap(record->fileNamePattern);
    std::string().swap(record->playlistOptions.playlistName);
}
