#include "platform/tqkit/TQTaskInfoMapping.h"

#include "platform/tqkit/TQAudFormatFlag.h"
#include "platform/tqkit/TQKitTextTrim.h"

#include <cmath>

namespace {

constexpr int32_t kFixedValue = 60;

} // namespace

void TQTaskInfoApplySettings(TQTaskInfoRecord* record, const TQTaskInfoBatch& batch)
{
    if (!record)
        return;
    TQGeneralSettingsRecord general;
    TQKitGeneralSettingsLoad(&general);
    TQTaskInfoApplyGeneral(record, general, batch);
    TQGeneralSettingsDestroy(&general);

    TQEffectsSettingsRecord effects;
    TQKitEffectsSettingsLoad(&effects, 100.0, -18.0);
    TQTaskInfoApplyEffects(record, effects);

    record->reservedFlag = false;

    TQTagSettingsRecord tags;
    TQKitTagSettingsLoad(&tags);
    TQTaskInfoApplyTags(record, tags);
}

void TQTaskInfoApplyOutputFormat(TQTaskInfoRecord* record)
{
    if (!record)
        return;
    if (TQAudFormatSelectedRead() == kTQAudFormatMP3) {
        TQKitMP3SettingsLoad(&record->mp3Options);
        record->formatCode = kTQTaskInfoFormatMP3;
    } else {
        TQKitM4ASettingsLoad(&record->m4aOptions);
        record->formatCode = kTQTaskInfoFormatM4A;
    }
}

void TQTaskInfoApplyGeneral(TQTaskInfoRecord* record, const TQGeneralSettingsRecord& general,
                            const TQTaskInfoBatch& batch)
{
    if (!record)
        return;
    TQTaskInfoRecord& r = *record;
    const bool besideSources = batch.asSourceFolder && !batch.musicImport;
    if (besideSources)
        r.asSourceFolder = true;

    r.overwritePolicy = general.overwritePolicy;
    r.backupPreviousVersion = general.backupPreviousVersion;
    r.acceptNonMediaFiles = general.acceptNonMediaFiles;
    r.copyNotConvertedFiles = general.copyNotConvertedFiles && !besideSources;
    r.copyImagesAndTexts = general.copyImagesAndTexts && !besideSources;
    r.supportCUESheets = general.supportCUESheets;
    r.replicateDirectoryStructure = general.replicateDirectoryStructure;
    r.acceptPlaylists = general.acceptPlaylists;
    r.acceptedPlaylistType = general.acceptedPlaylistType;
    r.acceptShortcuts = general.acceptShortcuts;
    r.playlist.createPlaylist = general.createPlaylist;
    if (general.createPlaylist) {
        r.playlist.mergeWithExisting = general.playlistOptions.mergeWithExisting;
        r.playlist.playlistType = general.playlistOptions.playlistType;
        r.playlist.sortOrder = general.playlistOptions.sortOrder;
        r.playlistName = TQKitTextTrim(general.playlistOptions.playlistName);
    }

    if (!batch.musicPlaylistName.empty()) {
        if (r.replicateDirectoryStructure) {
            r.replicateDirectoryStructure = false;
            r.subfolderName = batch.musicPlaylistName;
        }
        if (r.playlistName.empty())
            r.playlistName = TQKitTextTrim(batch.musicPlaylistName);
        if (r.secondName.empty())
            r.secondName = TQKitTextTrim(batch.musicPlaylistName);
    }

    r.organizeDestinationFolders = general.organizeDestinationFolders;
    r.destinationFolderPattern = general.destinationFolderPattern;
    r.renameDestinationFiles = general.renameDestinationFiles;
    r.fileNamePattern = general.fileNamePattern;
    if (!batch.musicImport)
        r.moveToTrashSourceFiles = general.moveToTrashSourceFiles;
}

void TQTaskInfoApplyEffects(TQTaskInfoRecord* record, const TQEffectsSettingsRecord& effects)
{
    if (!record)
        return;
    TQTaskInfoRecord& r = *record;
    r.normalizationMethod = effects.normalize ? effects.normalizationMethod : 0;
    r.peakTargetLevel = effects.normalize ? effects.peakTargetLevel : 0.0;
    r.r128TargetLevel = effects.normalize ? effects.r128TargetLevel : 0.0;
    r.automaticVolumeControl = effects.normalize && effects.automaticVolumeControl;
    r.fixedValue = kFixedValue;
    if (effects.limitDuration)
        r.limitDurationMs = effects.limitDurationValue;
    if (effects.fadeIn)
        r.fadeInMs = effects.fadeInDuration;
    if (effects.fadeOut)
        r.fadeOutMs = effects.fadeOutDuration;
    r.trimSilence = effects.trimSilence;
    r.trimSilenceThreshold = TQTaskInfoSilenceThreshold(effects.trimSilenceThreshold);
}

void TQTaskInfoApplyTags(TQTaskInfoRecord* record, const TQTagSettingsRecord& tags)
{
    if (!record)
        return;
    TQTaskInfoRecord& r = *record;
    r.transferTags = tags.transferTags;
    r.loadTagsFromPaths = tags.loadTagsFromPaths;
    r.loadTagsFromNetwork = tags.loadTagsFromNetwork;
    r.stripTags = tags.stripTags;
    if (tags.convertArtworkFormat && tags.artworkFormatIndex == 0)
        r.artworkConversion = kTQTaskInfoArtworkToJPEG;
    else if (tags.convertArtworkFormat && tags.artworkFormatIndex == 1)
        r.artworkConversion = kTQTaskInfoArtworkToPNG;
    if (tags.limitArtworkSize)
        r.maxArtworkSize = tags.maxArtworkSize;
}

double TQTaskInfoSilenceThreshold(double storedThreshold)
{
    double threshold = storedThreshold;
    if (std::isnan(threshold) || std::fabs(threshold) < 0.001)
        threshold = -40.0;
    if (threshold <= -70.0)
        return -70.0;
    if (threshold > -5.0)
        return -5.0;
    return threshold;
}
