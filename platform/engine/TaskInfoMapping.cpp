#include "platform/engine/TaskInfoMapping.h"

#include <algorithm>

namespace sonvale::engine {
namespace {

OutputSettings outputOf(const TQTaskInfoRecord& r)
{
    const auto& pcm = r.furtherOptions3;
    const auto& flac = r.furtherOptions5;
    switch (r.formatCode) {
    case 1: {
        const TQMP3SettingsRecord& m = r.mp3Options;
        return {OutputFormat::Mp3, Mp3Options{m.cbr, m.cbrBitRate, m.cbrHighQuality, m.vbrMinBitRate, m.vbrMaxBitRate,
                                              m.vbrQuality, m.useCRC, m.channelMode, m.sampleRate, m.metadataFormat}};
    }
    case 2:
    case 3:
        return {OutputFormat(r.formatCode), PcmOptions{pcm[0], pcm[1], uint8_t(pcm[2]), pcm[3]}};
    case 5:
        return {OutputFormat::Flac, FlacOptions{flac[0], uint8_t(flac[1]), flac[2], flac[3], flac[5]}};
    default: {
        const TQM4ASettingsRecord& m = r.m4aOptions;
        return {OutputFormat::M4a, M4aOptions{m.codec, m.sampleRate, m.channels, m.bitRate, m.quality, m.bitRateMode,
                                              m.sampleSize, m.extension}};
    }
    }
}

// The record carries normalization off as method 0 with both targets 0, and automatic volume
// control only together with normalization.
effects::EffectsSettings effectsOf(const TQTaskInfoRecord& r)
{
    effects::EffectsSettings e;
    e.normalization = effects::EffectsSettings::methodFromRecord(r.normalizationMethod, r.peakTargetLevel,
                                                                 r.r128TargetLevel);
    if (e.normalization != effects::NormalizationMethod::Off) {
        e.peakTargetPercent = r.peakTargetLevel;
        e.loudnessTargetLufs = r.r128TargetLevel;
        e.automaticVolumeControl = r.automaticVolumeControl;
    }
    e.durationLimitMs = std::max(0, r.limitDurationMs);
    e.fadeInMs = std::max(0, r.fadeInMs);
    e.fadeOutMs = std::max(0, r.fadeOutMs);
    e.trimSilence = r.trimSilence;
    if (r.trimSilence)
        e.silenceThresholdDbfs = r.trimSilenceThreshold;
    return e;
}

} // namespace

BatchSettings TaskInfoMapping::fromRecord(const TQTaskInfoRecord& r)
{
    BatchSettings s;
    s.output = outputOf(r);
    s.destinationFolder = r.destinationFolder;
    s.asSourceFolder = r.asSourceFolder;
    s.overwritePolicy = r.overwritePolicy;
    s.backupPreviousVersion = r.backupPreviousVersion;
    s.acceptNonMediaFiles = r.acceptNonMediaFiles;
    s.copyNotConvertedFiles = r.copyNotConvertedFiles;
    s.copyImagesAndTexts = r.copyImagesAndTexts;
    s.replicateFolders = r.replicateDirectoryStructure;
    s.organizeFolders = r.organizeDestinationFolders;
    s.folderPattern = r.destinationFolderPattern;
    s.renameFiles = r.renameDestinationFiles;
    s.fileNamePattern = r.fileNamePattern;
    s.subfolderName = r.subfolderName;
    s.cueSheets = r.supportCUESheets;
    s.acceptPlaylists = r.acceptPlaylists;
    s.acceptedPlaylistType = r.acceptedPlaylistType;
    s.acceptShortcuts = r.acceptShortcuts;
    s.effects = effectsOf(r);
    s.transferTags = r.transferTags;
    s.stripTags = r.stripTags;
    s.tagsFromPaths = r.loadTagsFromPaths;
    s.tagsFromNetwork = r.loadTagsFromNetwork;
    s.artwork = artwork::ArtworkOptions::fromRecord(r.artworkConversion, r.maxArtworkSize);
    s.moveSourcesToBin = r.moveToTrashSourceFiles;
    s.createPlaylist = r.playlist.createPlaylist;
    s.mergePlaylist = r.playlist.mergeWithExisting;
    s.playlistType = r.playlist.playlistType;
    s.playlistSortOrder = r.playlist.sortOrder;
    s.playlistName = r.playlistName.empty() ? std::string(r.secondName) : std::string(r.playlistName);
    return s;
}

} // namespace sonvale::engine
