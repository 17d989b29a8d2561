#include "lifecycle/TQConversionStatistics.h"

#include "lifecycle/TQAnalyticsRecorder.h"
#include "platform/engine/TQKitConversionList.h"
#include "platform/engine/TQKitConversionListItem.h"
#include "platform/tqkit/TQTaskInfoRecord.h"
#include "tests/support/PostedEvents.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using sonvale::test::PostedEvents;
namespace fs = std::filesystem;

const std::string kPref = "ae_cnv_conv_pref_";

std::vector<std::string> recorded(const PostedEvents& posted)
{
    std::vector<std::string> names;
    for (const std::string& name : posted.names())
        names.push_back(TQAnalyticsSanitizeEventName(name.c_str()));
    return names;
}

bool contains(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

class TQConversionStatisticsTest : public ::testing::Test {
protected:
    void SetUp() override { TQKitConversionListCreate(&list_); }
    void TearDown() override { TQKitConversionListRelease(list_); }

    std::vector<std::string> preferenceEvents(const TQTaskInfoRecord& info)
    {
        TQKitConversionListSetTaskInfo(list_, &info);
        const PostedEvents posted;
        TQStatsSendConversionPreferenceEvents(list_);
        return recorded(posted);
    }

    static TQTaskInfoRecord defaults()
    {
        TQTaskInfoRecord info;
        TQKitTaskInfoInit(&info);
        return info;
    }

    void addFiles(const std::vector<std::string>& names)
    {
        std::vector<std::string> paths;
        for (const std::string& name : names) {
            std::ofstream(home_.path() / name) << "x";
            paths.push_back((home_.path() / name).string());
        }
        TQKitConversionListAddSources(list_, paths, 0, 0);
    }

    sonvale::test::TempHome home_;
    TQKitConversionList* list_ = nullptr;
};

TEST_F(TQConversionStatisticsTest, TheDefaultM4ABatchRecordsItsSettingsInOrder)
{
    const std::string processors = "procn_" + std::to_string(std::max(1u, std::thread::hardware_concurrency()));
    const std::vector<std::string> expected{"fmt_m4a",           "fmt_m4a_bitrate_spec", "fmt_m4a_codec_37",
                                            "supp_cue_off",      "dir_repl_off",         "tags_transfer_off",
                                            "tags_load_paths_off", processors};
    std::vector<std::string> withBase;
    for (const std::string& suffix : expected)
        withBase.push_back(kPref + suffix);
    EXPECT_EQ(preferenceEvents(defaults()), withBase);
}

TEST_F(TQConversionStatisticsTest, SettingsMapToTheirEvents)
{
    struct Case {
        const char* what;
        std::function<void(TQTaskInfoRecord&)> change;
        std::vector<std::string> present;
        std::vector<std::string> absent;
    };
    const Case cases[] = {
        {"mp3 vbr",
         [](TQTaskInfoRecord& r) {
             r.formatCode = 1;
             r.mp3Options.cbr = false;
             r.mp3Options.useCRC = true;
             r.mp3Options.sampleRate = 44100;
             r.mp3Options.channelMode = 1;
         },
         {"fmt_mp3", "fmt_mp3_vbr", "fmt_mp3_low_quality", "fmt_mp3_error_protect", "fmt_mp3_sample_rate",
          "fmt_mp3_chm_joint"},
         {"fmt_m4a"}},
        {"mp3 cbr as source",
         [](TQTaskInfoRecord& r) {
             r.formatCode = 1;
             r.mp3Options.cbr = true;
             r.mp3Options.cbrHighQuality = true;
             r.mp3Options.channelMode = 4;
         },
         {"fmt_mp3"},
         {"fmt_mp3_vbr", "fmt_mp3_low_quality", "fmt_mp3_chm_stereo"}},
        {"peak at 100", [](TQTaskInfoRecord& r) { r.peakTargetLevel = 100.0; }, {}, {"norm_off", "norm_peak_nonstd"}},
        {"peak at 99.9", [](TQTaskInfoRecord& r) { r.peakTargetLevel = 99.9; }, {"norm_peak_nonstd"}, {"norm_off"}},
        {"no normalization",
         [](TQTaskInfoRecord& r) {
             r.peakTargetLevel = 0.0;
             r.automaticVolumeControl = true;
         },
         {"norm_off"},
         {"auto_vol_ctl"}},
        {"loudness", [](TQTaskInfoRecord& r) { r.normalizationMethod = 3; }, {"norm_ebu"}, {"norm_off"}},
        {"beside the sources",
         [](TQTaskInfoRecord& r) {
             r.asSourceFolder = true;
             r.overwritePolicy = 1;
             r.copyNotConvertedFiles = true;
         },
         {"overopt_dontconv", "as_source"},
         {"copy_non_conv"}},
        {"copies to the destination",
         [](TQTaskInfoRecord& r) {
             r.overwritePolicy = 0;
             r.copyNotConvertedFiles = true;
             r.copyImagesAndTexts = true;
         },
         {"copy_non_conv", "copy_img_txt"},
         {"overopt_overwrite", "as_source"}},
        {"effects",
         [](TQTaskInfoRecord& r) {
             r.limitDurationMs = 60000;
             r.fadeInMs = 500;
             r.fadeOutMs = 500;
             r.trimSilence = true;
             r.moveToTrashSourceFiles = true;
             r.supportCUESheets = true;
             r.replicateDirectoryStructure = true;
         },
         {"limit_duration", "fade_in", "fade_out", "trim_silence", "move_to_trash"},
         {"supp_cue_off", "dir_repl_off"}},
        {"stripped tags",
         [](TQTaskInfoRecord& r) {
             r.stripTags = true;
             r.transferTags = true;
             r.loadTagsFromNetwork = true;
         },
         {"tags_strip_on", "tags_transfer_off", "tags_load_paths_off"},
         {"tags_load_network"}},
        {"tags from the network",
         [](TQTaskInfoRecord& r) {
             r.transferTags = true;
             r.loadTagsFromPaths = true;
             r.loadTagsFromNetwork = true;
         },
         {"tags_load_network"},
         {"tags_transfer_off", "tags_load_paths_off", "tags_strip_on"}},
        {"wav codec",
         [](TQTaskInfoRecord& r) {
             r.formatCode = 2;
             r.furtherOptions3[0] = 3;
         },
         {"fmt_wav", "fmt_wav_codec_3"},
         {"fmt_m4a"}},
    };
    for (const Case& c : cases) {
        TQTaskInfoRecord info = defaults();
        c.change(info);
        const std::vector<std::string> names = preferenceEvents(info);
        for (const std::string& suffix : c.present)
            EXPECT_TRUE(contains(names, kPref + suffix)) << c.what << ": " << suffix;
        for (const std::string& suffix : c.absent)
            EXPECT_FALSE(contains(names, kPref + suffix)) << c.what << ": " << suffix;
    }
}

TEST_F(TQConversionStatisticsTest, TheSourceListIsToldBySizeBucket)
{
    addFiles({"one.wav"});
    EXPECT_TRUE(contains(preferenceEvents(defaults()), "ae_cnv_conv_list_src_size_1"));

    std::vector<std::string> more;
    for (int i = 0; i < 11; ++i)
        more.push_back("track" + std::to_string(i) + ".wav");
    addFiles(more);
    TQTaskInfoRecord info = defaults();
    info.acceptPlaylists = true;
    const std::vector<std::string> names = preferenceEvents(info);
    EXPECT_TRUE(contains(names, "ae_cnv_conv_list_src_size_100"));
    EXPECT_FALSE(contains(names, "ae_cnv_conv_list_src_size_1"));
}

TEST_F(TQConversionStatisticsTest, FinishedItemsAreCountedByExtensionAndResult)
{
    addFiles({"a.flac", "b.flac", "c.FLAC", "d.mp3", "e.wav", "f.ogg", "g.m4a"});
    std::vector<TQKitConversionListItem*> items;
    TQKitConversionListGetItems(list_, items);
    ASSERT_EQ(items.size(), 7u);
    for (TQKitConversionListItem* item : items) {
        const std::string name = fs::path(item->sourcePath()).filename().string();
        auto code = TQKitConversionListItem::Converted;
        if (name == "e.wav" || name == "f.ogg")
            code = TQKitConversionListItem::Failed;
        if (name == "g.m4a")
            code = static_cast<TQKitConversionListItem::ResultCode>(102);
        item->complete("", 0, code);
    }
    fs::remove(home_.path() / "f.ogg"); // a failed source that is gone is not counted

    const PostedEvents posted;
    TQStatsSendSourceTypeEvents(list_);
    const std::vector<std::string> names = recorded(posted);
    const std::vector<std::string> expected{"ae_cnv_conv_srctype_flac", "ae_cnv_conv_srctype_flac",
                                            "ae_cnv_conv_srctype_mp3", "ae_cnv_conv_srctype_fail_wav",
                                            "ae_cnv_conv_srctype_fail_drm_m4a"};
    EXPECT_EQ(names, expected); // .flac (2) before .FLAC and .mp3 (1 each); both .flac spellings record one name
    EXPECT_TRUE(posted.names()[0] == "ae_cnv_conv_srctype_.flac");
}

} // namespace
