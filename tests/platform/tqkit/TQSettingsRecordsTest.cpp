#include "platform/tqkit/TQAIFFSettingsRecord.h"
#include "platform/tqkit/TQAudFormatFlag.h"
#include "platform/tqkit/TQEffectsSettingsRecord.h"
#include "platform/tqkit/TQFLACSettingsRecord.h"
#include "platform/tqkit/TQGeneralSettingsRecord.h"
#include "platform/tqkit/TQKitSettings.h"
#include "platform/tqkit/TQM4ASettingsRecord.h"
#include "platform/tqkit/TQMP3SettingsRecord.h"
#include "platform/tqkit/TQTagSettingsRecord.h"
#include "platform/tqkit/TQWAVSettingsRecord.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

namespace {

// Writes a record's stored form by hand, as a damaged file or an older version would leave it.
void storeRaw(const char* record, const std::string& json)
{
    TQKitSettingWriteText("TQKitSettingsRecords", record, json.c_str());
}

// One row: what is stored, which field is looked at, what that field loads as.
template <typename Record>
struct Row {
    const char* stored;
    std::function<double(const Record&)> field;
    double loaded;
};

template <typename Record>
void expectRows(const char* name, const std::vector<Row<Record>>& rows,
                const std::function<void(Record*)>& load)
{
    for (const Row<Record>& row : rows) {
        storeRaw(name, row.stored);
        Record record;
        load(&record);
        EXPECT_EQ(row.field(record), row.loaded) << name << " " << row.stored;
    }
}

class TQSettingsRecordsTest : public ::testing::Test {
protected:
    sonvale::test::TempHome home_;
};

TEST_F(TQSettingsRecordsTest, GeneralLoadsStoredValuesAndDefaultsForWhatItsFieldsDoNotAllow)
{
    using R = TQGeneralSettingsRecord;
    const std::vector<Row<R>> rows = {
        {"{}", [](const R& r) { return r.overwritePolicy; }, 2},
        {R"({"overwritePolicy":1})", [](const R& r) { return r.overwritePolicy; }, 1},
        {R"({"overwritePolicy":3})", [](const R& r) { return r.overwritePolicy; }, 2},
        {R"({"overwritePolicy":"1"})", [](const R& r) { return r.overwritePolicy; }, 2},
        {R"({"overwritePolicy":0.5})", [](const R& r) { return r.overwritePolicy; }, 2},
        {R"({"backupPreviousVersion":true})", [](const R& r) { return r.backupPreviousVersion; }, 1},
        {R"({"closeProgress":1})", [](const R& r) { return r.closeProgress; }, 1},
        {R"({"closeProgress":2})", [](const R& r) { return r.closeProgress; }, 0},
        {R"({"acceptedPlaylistType":0})", [](const R& r) { return r.acceptedPlaylistType; }, 0},
        {R"({"acceptedPlaylistType":64})", [](const R& r) { return r.acceptedPlaylistType; }, 64},
        {R"({"acceptedPlaylistType":17})", [](const R& r) { return r.acceptedPlaylistType; }, 16},
        {R"({"playlistType":128})", [](const R& r) { return r.playlistOptions.playlistType; }, 128},
        {R"({"playlistType":0})", [](const R& r) { return r.playlistOptions.playlistType; }, 16},
        {R"({"sortOrder":261})", [](const R& r) { return r.playlistOptions.sortOrder; }, 0x105},
        {R"({"sortOrder":12})", [](const R& r) { return r.playlistOptions.sortOrder; }, 12},
        {R"({"sortOrder":13})", [](const R& r) { return r.playlistOptions.sortOrder; }, 1},
        {R"({"sortOrder":517})", [](const R& r) { return r.playlistOptions.sortOrder; }, 1},
        {R"({"sortOrder":256})", [](const R& r) { return r.playlistOptions.sortOrder; }, 1},
        {R"({"mergeWithExisting":-1})", [](const R& r) { return r.playlistOptions.mergeWithExisting; }, 0},
        {"not json at all", [](const R& r) { return r.overwritePolicy; }, 2},
        {"[1,2]", [](const R& r) { return r.acceptedPlaylistType; }, 16},
    };
    expectRows<R>("General", rows, TQKitGeneralSettingsLoad);

    storeRaw("General", R"({"fileNamePattern":42,"destinationFolderPattern":"{{artist}}"})");
    R record;
    TQKitGeneralSettingsLoad(&record);
    EXPECT_EQ(record.fileNamePattern, "");
    EXPECT_EQ(record.destinationFolderPattern, "{{artist}}");
}

TEST_F(TQSettingsRecordsTest, TagsAndEffectsLoadStoredValuesAndDefaults)
{
    using T = TQTagSettingsRecord;
    expectRows<T>("Tags",
                  {
                      {"{}", [](const T& r) { return r.maxArtworkSize; }, 768},
                      {"{}", [](const T& r) { return r.transferTags; }, 1},
                      {R"({"transferTags":false})", [](const T& r) { return r.transferTags; }, 0},
                      {R"({"maxArtworkSize":500})", [](const T& r) { return r.maxArtworkSize; }, 500},
                      {R"({"maxArtworkSize":-5})", [](const T& r) { return r.maxArtworkSize; }, 768},
                      {R"({"artworkFormatIndex":7})", [](const T& r) { return r.artworkFormatIndex; }, 7},
                      {R"({"artworkFormatIndex":-1})", [](const T& r) { return r.artworkFormatIndex; }, 0},
                      {R"({"stripTags":true})", [](const T& r) { return r.stripTags; }, 1},
                  },
                  TQKitTagSettingsLoad);

    using E = TQEffectsSettingsRecord;
    const auto loadWithTargets = [](E* record) { TQKitEffectsSettingsLoad(record, 100.0, -18.0); };
    expectRows<E>("Effects",
                  {
                      {"{}", [](const E& r) { return r.peakTargetLevel; }, 100.0},
                      {"{}", [](const E& r) { return r.r128TargetLevel; }, -18.0},
                      {R"({"peakTargetLevel":89.12509381337455})", [](const E& r) { return r.peakTargetLevel; }, 89.12509381337455},
                      {R"({"peakTargetLevel":0})", [](const E& r) { return r.peakTargetLevel; }, 100.0},
                      {R"({"peakTargetLevel":250.0})", [](const E& r) { return r.peakTargetLevel; }, 100.0},
                      {R"({"r128TargetLevel":-23.5})", [](const E& r) { return r.r128TargetLevel; }, -23.5},
                      {R"({"r128TargetLevel":12})", [](const E& r) { return r.r128TargetLevel; }, -18.0},
                      {R"({"normalizationMethod":3})", [](const E& r) { return r.normalizationMethod; }, 3},
                      {R"({"normalizationMethod":2})", [](const E& r) { return r.normalizationMethod; }, 0},
                      {R"({"fadeInDuration":1300})", [](const E& r) { return r.fadeInDuration; }, 1300},
                      {R"({"fadeInDuration":-1})", [](const E& r) { return r.fadeInDuration; }, 0},
                      {R"({"trimSilenceThreshold":-30.0})", [](const E& r) { return r.trimSilenceThreshold; }, -30.0},
                      {R"({"trimSilenceThreshold":5.0})", [](const E& r) { return r.trimSilenceThreshold; }, 0.0},
                  },
                  loadWithTargets);

    // With nothing stored the two targets are the caller's defaults.
    TQKitEffectsSettingsReset();
    E record;
    TQKitEffectsSettingsLoad(&record, 50.0, -23.0);
    EXPECT_EQ(record.peakTargetLevel, 50.0);
    EXPECT_EQ(record.r128TargetLevel, -23.0);
}

TEST_F(TQSettingsRecordsTest, EncoderRecordsLoadStoredValuesAndDefaults)
{
    using M = TQM4ASettingsRecord;
    expectRows<M>("M4A",
                  {
                      {"{}", [](const M& r) { return r.codec; }, 37},
                      {R"({"codec":43})", [](const M& r) { return r.codec; }, 43},
                      {R"({"codec":40})", [](const M& r) { return r.codec; }, 37},
                      {R"({"sampleRate":96000})", [](const M& r) { return r.sampleRate; }, 96000},
                      {R"({"sampleRate":12345})", [](const M& r) { return r.sampleRate; }, 0},
                      {R"({"bitRateMode":3})", [](const M& r) { return r.bitRateMode; }, 2},
                      {R"({"sampleSize":1})", [](const M& r) { return r.sampleSize; }, 0},
                      {R"({"channels":3})", [](const M& r) { return r.channels; }, 0},
                      {R"({"quality":0})", [](const M& r) { return r.quality; }, 3},
                  },
                  TQKitM4ASettingsLoad);

    using P = TQMP3SettingsRecord;
    expectRows<P>("MP3",
                  {
                      {"{}", [](const P& r) { return r.vbrMinBitRate; }, 64},
                      {R"({"cbrBitRate":0})", [](const P& r) { return r.cbrBitRate; }, 0},
                      {R"({"cbrBitRate":144})", [](const P& r) { return r.cbrBitRate; }, 144},
                      {R"({"cbrBitRate":100})", [](const P& r) { return r.cbrBitRate; }, 0},
                      {R"({"vbrMinBitRate":0})", [](const P& r) { return r.vbrMinBitRate; }, 64},
                      {R"({"vbrMaxBitRate":384})", [](const P& r) { return r.vbrMaxBitRate; }, 320},
                      {R"({"vbrQuality":10})", [](const P& r) { return r.vbrQuality; }, 2},
                      {R"({"sampleRate":22050})", [](const P& r) { return r.sampleRate; }, 22050},
                      {R"({"sampleRate":96000})", [](const P& r) { return r.sampleRate; }, 0},
                      {R"({"channelMode":7})", [](const P& r) { return r.channelMode; }, 4},
                      {R"({"metadataFormat":9})", [](const P& r) { return r.metadataFormat; }, 1},
                  },
                  TQKitMP3SettingsLoad);

    using F = TQFLACSettingsRecord;
    expectRows<F>("FLAC",
                  {
                      {"{}", [](const F& r) { return r.compressionLevel; }, 2},
                      {R"({"compressionLevel":7})", [](const F& r) { return r.compressionLevel; }, 2},
                      {R"({"sampleRate":32000})", [](const F& r) { return r.sampleRate; }, 32000},
                      {R"({"sampleRate":-44100})", [](const F& r) { return r.sampleRate; }, 0},
                      {R"({"retainedValue":-77})", [](const F& r) { return r.retainedValue; }, -77},
                      {R"({"tagsFormat":5})", [](const F& r) { return r.tagsFormat; }, 0},
                  },
                  TQKitFLACSettingsLoad);

    using W = TQWAVSettingsRecord;
    expectRows<W>("WAV",
                  {
                      {R"({"codec":19})", [](const W& r) { return r.codec; }, 19},
                      {R"({"codec":5})", [](const W& r) { return r.codec; }, 0},
                      {R"({"codec":25})", [](const W& r) { return r.codec; }, 0}, // AIFF only
                      {R"({"tagsFormat":9})", [](const W& r) { return r.tagsFormat; }, 0},
                  },
                  TQKitWAVSettingsLoad);

    using A = TQAIFFSettingsRecord;
    expectRows<A>("AIFF",
                  {
                      {R"({"codec":25})", [](const A& r) { return r.codec; }, 25},
                      {R"({"codec":7})", [](const A& r) { return r.codec; }, 0}, // WAV only
                      {R"({"sampleRate":384000})", [](const A& r) { return r.sampleRate; }, 384000},
                      {R"({"channels":6})", [](const A& r) { return r.channels; }, 0},
                  },
                  TQKitAIFFSettingsLoad);
}

TEST_F(TQSettingsRecordsTest, EveryRecordRoundTripsAndResetsToItsDefaults)
{
    TQGeneralSettingsRecord general;
    general.overwritePolicy = 0;
    general.fileNamePattern = "{{tracknumber}} - {{title}}";
    general.destinationFolderPattern = "{{artist}}/{{album}}";
    general.playlistOptions = {128, 0x105, true, "Café mix"};
    general.moveToTrashSourceFiles = true;
    TQKitGeneralSettingsSave(&general);
    TQGeneralSettingsRecord generalLoaded;
    TQKitGeneralSettingsLoad(&generalLoaded);
    EXPECT_EQ(generalLoaded, general);
    TQKitGeneralSettingsReset();
    TQKitGeneralSettingsLoad(&generalLoaded);
    EXPECT_EQ(generalLoaded, TQGeneralSettingsRecord());

    TQTagSettingsRecord tags{true, false, true, false, true, true, 1, true, 500};
    TQKitTagSettingsSave(&tags, 0);
    TQTagSettingsRecord tagsLoaded;
    TQKitTagSettingsLoad(&tagsLoaded);
    EXPECT_EQ(tagsLoaded, tags);
    TQKitTagSettingsReset();
    TQKitTagSettingsLoad(&tagsLoaded);
    EXPECT_EQ(tagsLoaded, TQTagSettingsRecord{.transferTags = true}) << "results carry their tags by default";

    TQEffectsSettingsRecord effects{true, 3, 89.12509381337455, -14.0, true, true, 1300, true,
                                    10000, true, 3000, true, -35.5};
    TQKitEffectsSettingsSave(&effects);
    TQEffectsSettingsRecord effectsLoaded;
    TQKitEffectsSettingsLoad(&effectsLoaded, 100.0, -18.0);
    EXPECT_EQ(effectsLoaded, effects);
    TQKitEffectsSettingsReset();
    TQKitEffectsSettingsLoad(&effectsLoaded, 100.0, -18.0);
    EXPECT_EQ(effectsLoaded, TQEffectsSettingsRecord());

    TQM4ASettingsRecord m4a{43, 192000, 2, 0, 1, 4, 3, 1};
    TQKitM4ASettingsSave(&m4a);
    TQM4ASettingsRecord m4aLoaded;
    TQKitM4ASettingsLoad(&m4aLoaded);
    EXPECT_EQ(m4aLoaded, m4a);
    TQKitM4ASettingsReset();
    TQKitM4ASettingsLoad(&m4aLoaded);
    EXPECT_EQ(m4aLoaded, TQM4ASettingsRecord());

    TQMP3SettingsRecord mp3{true, 192, true, 32, 256, 9, true, 3, 48000, 2};
    EXPECT_TRUE(TQKitMP3SettingsChanged(&mp3));
    TQKitMP3SettingsSave(&mp3);
    EXPECT_FALSE(TQKitMP3SettingsChanged(&mp3));
    TQMP3SettingsRecord mp3Loaded;
    TQKitMP3SettingsLoad(&mp3Loaded);
    EXPECT_EQ(mp3Loaded, mp3);
    TQKitMP3SettingsReset();
    TQKitMP3SettingsLoad(&mp3Loaded);
    EXPECT_EQ(mp3Loaded, TQMP3SettingsRecord());
    EXPECT_FALSE(TQKitMP3SettingsChanged(&mp3Loaded));

    TQFLACSettingsRecord flac{96000, 1, 3, 3, 12345, 1};
    TQKitFLACSettingsSave(&flac);
    TQFLACSettingsRecord flacLoaded;
    TQKitFLACSettingsLoad(&flacLoaded);
    EXPECT_EQ(flacLoaded, flac);
    TQKitFLACSettingsReset();
    TQKitFLACSettingsLoad(&flacLoaded);
    EXPECT_EQ(flacLoaded, TQFLACSettingsRecord());

    TQWAVSettingsRecord wav{kTQPCMCodecGSMMicrosoft, 8000, 1, 3};
    TQKitWAVSettingsSave(&wav);
    TQWAVSettingsRecord wavLoaded;
    TQKitWAVSettingsLoad(&wavLoaded);
    EXPECT_EQ(wavLoaded, wav);
    TQKitWAVSettingsReset();
    TQKitWAVSettingsLoad(&wavLoaded);
    EXPECT_EQ(wavLoaded, TQWAVSettingsRecord());

    TQAIFFSettingsRecord aiff{kTQPCMCodecADPCMIMAQuickTime, 22050, 2};
    TQKitAIFFSettingsSave(&aiff);
    TQAIFFSettingsRecord aiffLoaded;
    TQKitAIFFSettingsLoad(&aiffLoaded);
    EXPECT_EQ(aiffLoaded, aiff);
    TQKitAIFFSettingsReset();
    TQKitAIFFSettingsLoad(&aiffLoaded);
    EXPECT_EQ(aiffLoaded, TQAIFFSettingsRecord());
}

TEST_F(TQSettingsRecordsTest, PlaylistOptionsAreSavedWithoutTouchingTheRestOfGeneral)
{
    TQGeneralSettingsRecord general;
    general.renameDestinationFiles = true;
    general.fileNamePattern = "{{title}}";
    TQKitGeneralSettingsSave(&general);

    TQGeneralSettingsRecord playlistOnly;
    playlistOnly.playlistOptions = {32, 0x10C, true, "Road trip"};
    playlistOnly.fileNamePattern = "must not be stored";
    TQKitPlaylistSettingsSave(&playlistOnly);

    TQGeneralSettingsRecord loaded;
    TQKitGeneralSettingsLoad(&loaded);
    EXPECT_EQ(loaded.fileNamePattern, "{{title}}");
    EXPECT_TRUE(loaded.renameDestinationFiles);
    EXPECT_EQ(loaded.playlistOptions, playlistOnly.playlistOptions);

    TQGeneralSettingsRecord playlistLoaded;
    TQKitPlaylistSettingsLoad(&playlistLoaded);
    EXPECT_EQ(playlistLoaded.playlistOptions, playlistOnly.playlistOptions);
    EXPECT_EQ(playlistLoaded.fileNamePattern, ""); // only the playlist options are filled

    TQGeneralSettingsDestroy(&loaded);
    TQGeneralSettingsDestroy(&loaded);
    EXPECT_EQ(loaded.fileNamePattern, "");
    EXPECT_EQ(loaded.destinationFolderPattern, "");
    EXPECT_EQ(loaded.playlistOptions.playlistName, "");
    EXPECT_EQ(loaded.playlistOptions.playlistType, 32); // numbers are left alone
}

TEST_F(TQSettingsRecordsTest, ASaveWhileAnotherThreadLoadsNeverTearsARecord)
{
    TQGeneralSettingsRecord first;
    first.overwritePolicy = 0;
    first.fileNamePattern = std::string(200, 'a');
    first.playlistOptions = {128, 3, true, "first"};
    TQGeneralSettingsRecord second;
    second.overwritePolicy = 1;
    second.fileNamePattern = std::string(300, 'b');
    second.playlistOptions = {64, 0x107, false, "second"};
    TQKitGeneralSettingsSave(&first);

    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 200; ++i)
            TQKitGeneralSettingsSave(i % 2 ? &first : &second);
        done = true;
    });
    int loads = 0;
    while (!done || loads < 50) {
        TQGeneralSettingsRecord loaded;
        TQKitGeneralSettingsLoad(&loaded);
        ASSERT_TRUE(loaded == first || loaded == second) << "torn at load " << loads;
        ++loads;
    }
    writer.join();
}

TEST_F(TQSettingsRecordsTest, SelectedFormatIsReadAsStoredWithoutDefault)
{
    EXPECT_EQ(TQAudFormatSelectedRead(), 0);
    TQAudFormatSelectedWrite(kTQAudFormatFLAC);
    EXPECT_EQ(TQAudFormatSelectedRead(), 16); // not among the offered formats, still returned
    EXPECT_EQ(TQKitSettingReadText("TQAudFormatPanelController", "FormatSelected"), "16");
    TQAudFormatSelectedWrite(kTQAudFormatMP3);
    EXPECT_EQ(TQAudFormatSelectedRead(), 1);
    TQKitSettingWriteText("TQAudFormatPanelController", "FormatSelected", "4x");
    EXPECT_EQ(TQAudFormatSelectedRead(), 4);
}

} // namespace
