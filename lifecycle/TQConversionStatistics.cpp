#include "lifecycle/TQConversionStatistics.h"

#include "lifecycle/TQAnalytics.h"
#include "platform/engine/TQKitConversionList.h"
#include "platform/tqkit/TQKitPaths.h"
#include "platform/tqkit/TQTaskInfoRecord.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const char* kPrefBase = "ae_cnv_conv_pref";
constexpr const char* kListBase = "ae_cnv_conv_list_src";
constexpr const char* kSourceTypeBases[] = {"ae_cnv_conv_srctype", "ae_cnv_conv_srctype_fail",
                                            "ae_cnv_conv_srctype_fail_drm"};
constexpr size_t kFormattedBytes = 260;
constexpr size_t kMostFrequentTypes = 16;
constexpr double kLevelOff = 0.0001;

// Output format codes beyond those the settings pages write.
constexpr int kFormatAIFF = 3;
constexpr int kFormatFLAC = 5;
constexpr int kFormatMP3Normalized = 6;

// Item flags and result codes that the source-type statistics look at.
constexpr uint32_t kItemFromDisc = 0x40;
constexpr uint32_t kItemSkipped = 0x1000;
constexpr int kResultCopyProtected = 102;

void pref(const char* suffix) { TQAnalyticsPostEventWithSuffix(kPrefBase, suffix); }

void prefFormatted(const char* format, int value)
{
    char suffix[kFormattedBytes];
    std::snprintf(suffix, sizeof suffix, format, value);
    pref(suffix);
}

void mp3Events(const TQMP3SettingsRecord& mp3, const char* firstSuffix)
{
    pref(firstSuffix);
    if (!mp3.cbr)
        pref("fmt_mp3_vbr");
    if (!mp3.cbrHighQuality)
        pref("fmt_mp3_low_quality");
    if (mp3.useCRC)
        pref("fmt_mp3_error_protect");
    if (mp3.sampleRate != 0)
        pref("fmt_mp3_sample_rate");
    static constexpr const char* kChannelModes[] = {"fmt_mp3_chm_stereo", "fmt_mp3_chm_joint", "fmt_mp3_chm_force",
                                                    "fmt_mp3_chm_mono"};
    if (mp3.channelMode >= 0 && mp3.channelMode < 4)
        pref(kChannelModes[mp3.channelMode]);
}

// The PCM formats carry their codec in the first of the engine's further options; their sample
// rate and channel choices are not part of the record, so only the codec is told.
void pcmEvents(const TQTaskInfoRecord& info, const char* name)
{
    pref(name);
    if (const int codec = info.furtherOptions3[0]; codec != 0)
        prefFormatted((std::string(name) + "_codec_%i").c_str(), codec);
}

void formatEvents(const TQTaskInfoRecord& info)
{
    switch (info.formatCode) {
    case kTQTaskInfoFormatMP3:
        mp3Events(info.mp3Options, "fmt_mp3");
        break;
    case kFormatMP3Normalized:
        mp3Events(info.mp3Options, "fmt_mp3norm");
        break;
    case kTQTaskInfoFormatWAV:
        pcmEvents(info, "fmt_wav");
        break;
    case kFormatAIFF:
        pcmEvents(info, "fmt_aiff");
        break;
    case kTQTaskInfoFormatM4A: {
        const TQM4ASettingsRecord& m4a = info.m4aOptions;
        pref("fmt_m4a");
        if (m4a.sampleRate != 0)
            pref("fmt_m4a_sample_rate");
        if (m4a.channels != 0)
            pref("fmt_m4a_chm_spec");
        if (m4a.bitRate != 0)
            pref("fmt_m4a_bitrate_spec");
        if (m4a.codec != 0)
            prefFormatted("fmt_m4a_codec_%i", m4a.codec);
        break;
    }
    case kFormatFLAC:
        pref("fmt_flac");
        break;
    default:
        break;
    }
}

// The normalization level in percent of full scale: the peak target for peak normalization; for
// loudness normalization, which keeps a target in LUFS instead, full scale when a target is set.
double normalizationLevel(const TQTaskInfoRecord& info)
{
    if (info.normalizationMethod == 0)
        return info.peakTargetLevel;
    return info.r128TargetLevel != 0.0 ? 100.0 : 0.0;
}

void normalizationEvents(const TQTaskInfoRecord& info, double level)
{
    if (level <= kLevelOff) {
        pref("norm_off");
        return;
    }
    switch (info.normalizationMethod) {
    case 0:
        if (20.0 * std::log10(level / 100.0) != 0.0)
            pref("norm_peak_nonstd");
        break;
    case 1:
        pref("norm_rms");
        break;
    case 2:
        pref("norm_auto");
        break;
    case 3:
        pref("norm_ebu");
        break;
    default:
        break;
    }
}

void settingsEvents(const TQTaskInfoRecord& info)
{
    formatEvents(info);
    const double level = normalizationLevel(info);
    normalizationEvents(info, level);
    if (info.asSourceFolder) {
        if (info.overwritePolicy == 0)
            pref("overopt_overwrite");
        else if (info.overwritePolicy == 1)
            pref("overopt_dontconv");
        pref("as_source");
    } else {
        if (info.copyNotConvertedFiles)
            pref("copy_non_conv");
        if (info.copyImagesAndTexts)
            pref("copy_img_txt");
    }
    if (!info.supportCUESheets)
        pref("supp_cue_off");
    if (!info.replicateDirectoryStructure)
        pref("dir_repl_off");
    if (level > kLevelOff && info.automaticVolumeControl)
        pref("auto_vol_ctl");
    if (info.limitDurationMs != 0)
        pref("limit_duration");
    if (info.fadeInMs != 0)
        pref("fade_in");
    if (info.fadeOutMs != 0)
        pref("fade_out");
    if (info.trimSilence)
        pref("trim_silence");
    if (info.stripTags) {
        pref("tags_strip_on");
        pref("tags_transfer_off");
        pref("tags_load_paths_off");
    } else {
        if (!info.transferTags)
            pref("tags_transfer_off");
        if (!info.loadTagsFromPaths)
            pref("tags_load_paths_off");
        if (info.loadTagsFromNetwork)
            pref("tags_load_network");
    }
    if (info.moveToTrashSourceFiles)
        pref("move_to_trash");
    prefFormatted("procn_%i", static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
}

void listEvents(TQKitConversionList* list, const TQTaskInfoRecord& info)
{
    const size_t count = TQKitConversionListItemCount(list);
    if (count == 0)
        return;
    const char* size = count == 1 ? "size_1"
                       : count < 10 ? "size_10"
                       : count < 100 ? "size_100"
                       : count < 1000 ? "size_1000"
                       : count < 10000 ? "size_10000"
                                       : nullptr;
    if (size)
        TQAnalyticsPostEventWithSuffix(kListBase, size);

    const uint32_t flags = TQKitConversionListFlags(list, 0);
    static constexpr std::pair<uint32_t, const char*> kKinds[] = {
        {0x2, "cue"}, {0x4, "playlist"}, {0x8, "shortcut"}, {0x10, "html"}, {0x100, "folder"}, {0x200, "remote"}};
    for (const auto& [bit, suffix] : kKinds)
        if (flags & bit)
            TQAnalyticsPostEventWithSuffix(kListBase, suffix);

    if ((flags & 0x1) && !(flags & 0x100)) {
        TQAnalyticsPostEventWithSuffix(kListBase, "src_file_single");
    } else if (count >= 2) {
        if (info.acceptPlaylists)
            pref("accept_playlist");
        if (info.acceptNonMediaFiles)
            pref("accept_non_media");
    }
}

struct SourceTypeCounts {
    std::map<std::string, int> converted;
    std::map<std::string, int> failed;
    std::map<std::string, int> copyProtected;
    bool fromDisc = false;
};

bool countSourceType(const char* path, uint32_t flags, int resultCode, void* context)
{
    auto& counts = *static_cast<SourceTypeCounts*>(context);
    if (!path || !*path || (flags & kItemSkipped))
        return true;
    if (flags & kItemFromDisc)
        counts.fromDisc = true;
    const std::string extension = TQKitPathExtension(path);
    if (extension.empty())
        return true;
    if (resultCode == 0 || resultCode == 1)
        ++counts.converted[extension];
    else if (resultCode == kResultCopyProtected)
        ++counts.copyProtected[extension];
    else if (TQKitSourcePathTest(path))
        ++counts.failed[extension];
    return true;
}

void postMostFrequent(const char* base, const std::map<std::string, int>& counts)
{
    std::vector<std::pair<std::string, int>> sorted(counts.begin(), counts.end());
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    if (sorted.size() > kMostFrequentTypes)
        sorted.resize(kMostFrequentTypes);
    for (const auto& [extension, count] : sorted)
        TQAnalyticsPostEventWithSuffix(base, extension.c_str());
}

} // namespace

void TQStatsSendConversionPreferenceEvents(TQKitConversionList* list)
{
    if (!list)
        return;
    TQTaskInfoRecord info;
    info.peakTargetLevel = 100.0;
    info.r128TargetLevel = -18.0;
    TQKitConversionListGetTaskInfo(list, &info);
    settingsEvents(info);
    listEvents(list, info);
    TQTaskInfoDestroy(&info);
}

void TQStatsSendSourceTypeEvents(TQKitConversionList* list)
{
    if (!list)
        return;
    SourceTypeCounts counts;
    TQKitConversionListEnumerateItems(list, &countSourceType, &counts, 0);
    postMostFrequent(kSourceTypeBases[0], counts.converted);
    postMostFrequent(kSourceTypeBases[1], counts.failed);
    postMostFrequent(kSourceTypeBases[2], counts.copyProtected);
    if (counts.fromDisc)
        TQAnalyticsPostEventWithSuffix(kSourceTypeBases[0], "disk");
}
