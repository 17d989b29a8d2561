#include "platform/tqkit/TQAudFormatFlag.h"
#include "platform/tqkit/TQKitTextTrim.h"
#include "platform/tqkit/TQTaskInfoMapping.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

TQTaskInfoRecord initialisedRecord()
{
    TQTaskInfoRecord record;
    TQKitTaskInfoInit(&record);
    return record;
}

// The mapping cases of the batch record and the conversion start, as one table: the stored
// settings of one row (starting from the presets), the batch, and what the record must say.
struct MappingCase {
    const char* name;
    std::function<void(TQGeneralSettingsRecord&, TQEffectsSettingsRecord&, TQTagSettingsRecord&)> settings;
    TQTaskInfoBatch batch;
    std::function<void(const TQTaskInfoRecord&)> expect;
};

TEST(TQTaskInfoMappingTest, SettingsMapIntoTheBatchRecord)
{
    const TQTaskInfoRecord init = initialisedRecord();
    const MappingCase cases[] = {
        {"normalization off gives method 0 and targets 0",
         [](auto&, auto& e, auto&) { e.normalize = false; e.normalizationMethod = 3; e.peakTargetLevel = 50.0; e.r128TargetLevel = -14.0; e.automaticVolumeControl = true; },
         {},
         [](const TQTaskInfoRecord& r) {
             EXPECT_EQ(r.normalizationMethod, 0);
             EXPECT_EQ(r.peakTargetLevel, 0.0);
             EXPECT_EQ(r.r128TargetLevel, 0.0);
             EXPECT_FALSE(r.automaticVolumeControl);
         }},
        {"normalization on keeps method, targets and volume control",
         [](auto&, auto& e, auto&) { e.normalize = true; e.normalizationMethod = 3; e.r128TargetLevel = -14.0; e.automaticVolumeControl = true; },
         {},
         [](const TQTaskInfoRecord& r) {
             EXPECT_EQ(r.normalizationMethod, 3);
             EXPECT_EQ(r.peakTargetLevel, 100.0);
             EXPECT_EQ(r.r128TargetLevel, -14.0);
             EXPECT_TRUE(r.automaticVolumeControl);
             EXPECT_EQ(r.fixedValue, 60);
         }},
        {"silence threshold 0 gives -40.0",
         [](auto&, auto& e, auto&) { e.trimSilence = true; e.trimSilenceThreshold = 0.0; },
         {},
         [](const TQTaskInfoRecord& r) { EXPECT_TRUE(r.trimSilence); EXPECT_EQ(r.trimSilenceThreshold, -40.0); }},
        {"silence threshold -90.0 gives -70.0",
         [](auto&, auto& e, auto&) { e.trimSilenceThreshold = -90.0; },
         {},
         [](const TQTaskInfoRecord& r) { EXPECT_EQ(r.trimSilenceThreshold, -70.0); }},
        {"silence threshold -2.0 gives -5.0",
         [](auto&, auto& e, auto&) { e.trimSilenceThreshold = -2.0; },
         {},
         [](const TQTaskInfoRecord& r) { EXPECT_EQ(r.trimSilenceThreshold, -5.0); }},
        {"durations only when their effect is on",
         [](auto&, auto& e, auto&) { e.fadeIn = true; e.fadeInDuration = 1300; e.fadeOutDuration = 900; e.limitDuration = true; e.limitDurationValue = 3000; },
         {},
         [](const TQTaskInfoRecord& r) { EXPECT_EQ(r.fadeInMs, 1300); EXPECT_EQ(r.fadeOutMs, 0); EXPECT_EQ(r.limitDurationMs, 3000); }},
        {"As Source Folder turns off copying",
         [](auto& g, auto&, auto&) { g.copyImagesAndTexts = true; g.copyNotConvertedFiles = true; },
         {.asSourceFolder = true, .musicImport = false, .musicPlaylistName = {}},
         [](const TQTaskInfoRecord& r) {
             EXPECT_TRUE(r.asSourceFolder);
             EXPECT_FALSE(r.copyImagesAndTexts);
             EXPECT_FALSE(r.copyNotConvertedFiles);
         }},
        {"a Music import keeps copying and ignores As Source Folder",
         [](auto& g, auto&, auto&) { g.copyImagesAndTexts = true; g.copyNotConvertedFiles = true; g.moveToTrashSourceFiles = true; },
         {.asSourceFolder = true, .musicImport = true, .musicPlaylistName = {}},
         [](const TQTaskInfoRecord& r) {
             EXPECT_FALSE(r.asSourceFolder);
             EXPECT_TRUE(r.copyImagesAndTexts);
             EXPECT_TRUE(r.copyNotConvertedFiles);
             EXPECT_FALSE(r.moveToTrashSourceFiles); // never for a Music import
         }},
        {"a playlist name of spaces becomes empty",
         [](auto& g, auto&, auto&) { g.createPlaylist = true; g.playlistOptions = {128, 0x105, true, "   "}; },
         {},
         [](const TQTaskInfoRecord& r) {
             EXPECT_TRUE(r.playlist.createPlaylist);
             EXPECT_EQ(r.playlistName, "");
             EXPECT_EQ(r.playlist.playlistType, 128);
             EXPECT_EQ(r.playlist.sortOrder, 0x105);
             EXPECT_TRUE(r.playlist.mergeWithExisting);
         }},
        {"an empty playlist name takes the Music playlist's name",
         [](auto& g, auto&, auto&) { g.createPlaylist = true; g.playlistOptions.playlistName = " \t"; g.replicateDirectoryStructure = true; },
         {.asSourceFolder = false, .musicImport = true, .musicPlaylistName = "Road Trip "},
         [](const TQTaskInfoRecord& r) {
             EXPECT_EQ(r.playlistName, "Road Trip");
             EXPECT_EQ(r.secondName, "Road Trip");
             EXPECT_EQ(r.subfolderName, "Road Trip "); // stored untrimmed
             EXPECT_FALSE(r.replicateDirectoryStructure);
         }},
        {"playlist fields stay at their init values without create playlist",
         [](auto& g, auto&, auto&) { g.playlistOptions = {64, 7, true, "Named"}; },
         {},
         [init](const TQTaskInfoRecord& r) {
             EXPECT_FALSE(r.playlist.createPlaylist);
             EXPECT_EQ(r.playlist.playlistType, init.playlist.playlistType);
             EXPECT_EQ(r.playlist.sortOrder, init.playlist.sortOrder);
             EXPECT_EQ(r.playlistName, "");
         }},
        {"trimming keeps non-ASCII letters",
         [](auto& g, auto&, auto&) { g.createPlaylist = true; g.playlistOptions.playlistName = "\n Café \r\n"; },
         {},
         [](const TQTaskInfoRecord& r) { EXPECT_EQ(r.playlistName, "Café"); }},
        {"artwork item 0 and conversion on",
         [](auto&, auto&, auto& t) { t.convertArtworkFormat = true; t.artworkFormatIndex = 0; },
         {},
         [](const TQTaskInfoRecord& r) { EXPECT_EQ(r.artworkConversion, 131084); }},
        {"artwork item 1 and conversion on",
         [](auto&, auto&, auto& t) { t.convertArtworkFormat = true; t.artworkFormatIndex = 1; },
         {},
         [](const TQTaskInfoRecord& r) { EXPECT_EQ(r.artworkConversion, 131081); }},
        {"artwork item 2 leaves the init value",
         [](auto&, auto&, auto& t) { t.convertArtworkFormat = true; t.artworkFormatIndex = 2; },
         {},
         [init](const TQTaskInfoRecord& r) { EXPECT_EQ(r.artworkConversion, init.artworkConversion); }},
        {"artwork size only when limited, tag flags as they stand",
         [](auto&, auto&, auto& t) { t.maxArtworkSize = 500; t.transferTags = true; t.stripTags = true; },
         {},
         [init](const TQTaskInfoRecord& r) {
             EXPECT_EQ(r.maxArtworkSize, init.maxArtworkSize);
             EXPECT_TRUE(r.transferTags);
             EXPECT_TRUE(r.stripTags);
             EXPECT_FALSE(r.loadTagsFromNetwork);
         }},
    };
    for (const MappingCase& c : cases) {
        SCOPED_TRACE(c.name);
        TQGeneralSettingsRecord general;
        TQEffectsSettingsRecord effects;
        TQTagSettingsRecord tags;
        c.settings(general, effects, tags);
        TQTaskInfoRecord record = initialisedRecord();
        TQTaskInfoApplyGeneral(&record, general, c.batch);
        TQTaskInfoApplyEffects(&record, effects);
        TQTaskInfoApplyTags(&record, tags);
        c.expect(record);
    }
}

TEST(TQTaskInfoMappingTest, TrimmingComparesBytesUnsigned)
{
    struct Case {
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"Café ", "Café"},
        {"  \t name\r\n", "name"},
        {"\xC3\xA9", "\xC3\xA9"},   // a lone two-byte letter stays whole
        {"     ", ""},
        {std::string("\0lead", 5), std::string("\0lead", 5)}, // NUL is not a leading blank
        {std::string("tail\0", 5), "tail"},                    // but is a trailing one
        {"\x7F" "x", "\x7F" "x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TQKitTextTrim(c.in), c.out);
}

TEST(TQTaskInfoMappingTest, StoredSettingsAndTheChosenFormatReachTheRecord)
{
    sonvale::test::TempHome home;
    TQGeneralSettingsRecord general;
    general.organizeDestinationFolders = true;
    general.destinationFolderPattern = "{{artist}}/{{album}}";
    general.renameDestinationFiles = true;
    general.fileNamePattern = "{{tracknumber}} - {{title}}";
    TQKitGeneralSettingsSave(&general);
    TQMP3SettingsRecord mp3;
    mp3.cbr = true;
    mp3.cbrBitRate = 192;
    TQKitMP3SettingsSave(&mp3);

    TQTaskInfoRecord record = initialisedRecord();
    record.reservedFlag = true;
    TQTaskInfoApplySettings(&record, {});
    TQTaskInfoApplyOutputFormat(&record);
    EXPECT_EQ(record.destinationFolderPattern, "{{artist}}/{{album}}");
    EXPECT_EQ(record.fileNamePattern, "{{tracknumber}} - {{title}}");
    EXPECT_TRUE(record.organizeDestinationFolders);
    EXPECT_FALSE(record.reservedFlag);
    EXPECT_EQ(record.trimSilenceThreshold, -40.0);
    EXPECT_EQ(record.formatCode, kTQTaskInfoFormatM4A); // never chosen: M4A

    TQAudFormatSelectedWrite(kTQAudFormatMP3);
    TQTaskInfoApplyOutputFormat(&record);
    EXPECT_EQ(record.formatCode, kTQTaskInfoFormatMP3);
    EXPECT_EQ(record.mp3Options, mp3);

    TQAudFormatSelectedWrite(kTQAudFormatFLAC); // not offered: M4A
    TQTaskInfoApplyOutputFormat(&record);
    EXPECT_EQ(record.formatCode, kTQTaskInfoFormatM4A);
}

} // namespace
