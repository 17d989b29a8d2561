#include "platform/tqkit/TQTaskInfoRecord.h"

#include <gtest/gtest.h>

namespace {

TEST(TQTaskInfoRecordTest, InitGivesTheDefaultsEveryHolderStartsFrom)
{
    TQTaskInfoRecord record;
    EXPECT_EQ(record.peakTargetLevel, 100.0); // value-initialised, before TQKitTaskInfoInit
    EXPECT_EQ(record.r128TargetLevel, -18.0);

    record.fileNamePattern = "left over";
    record.engineBuffer47 = {1, 2, 3};
    TQKitTaskInfoInit(&record);

    EXPECT_EQ(record.formatCode, kTQTaskInfoFormatM4A);
    EXPECT_EQ(record.overwritePolicy, 2);
    EXPECT_EQ(record.acceptedPlaylistType, 16);
    EXPECT_EQ(record.fixedValue, 60);
    EXPECT_EQ(record.trimSilenceThreshold, -40.0);
    EXPECT_EQ(record.playlist.playlistType, 16);
    EXPECT_EQ(record.playlist.sortOrder, 1);
    EXPECT_EQ(record.artworkConversion, kTQTaskInfoArtworkKeep);
    EXPECT_EQ(record.peakTargetLevel, 100.0);
    EXPECT_EQ(record.r128TargetLevel, -18.0);
    EXPECT_EQ(record.mp3Options, TQMP3SettingsRecord());
    EXPECT_EQ(record.m4aOptions, TQM4ASettingsRecord());
    EXPECT_TRUE(record.fileNamePattern.empty());
    EXPECT_TRUE(record.engineBuffer47.empty());
    TQKitTaskInfoInit(nullptr); // ignored
}

TEST(TQTaskInfoRecordTest, DestinationTakesExactlyTheGivenBytes)
{
    TQTaskInfoRecord record;
    TQKitTaskInfoInit(&record);
    const char path[] = "/music/Café/out-and-more";
    TQKitTaskInfoSetDestination(&record, path, sizeof("/music/Café/out") - 1);
    EXPECT_EQ(record.destinationFolder, "/music/Café/out");
    TQKitTaskInfoSetDestination(&record, nullptr, 12);
    EXPECT_EQ(record.destinationFolder, "");
}

TEST(TQTaskInfoRecordTest, CopiesAreIndependentAndDestroyIsSafeTwice)
{
    TQTaskInfoRecord original;
    TQKitTaskInfoInit(&original);
    original.destinationFolderPattern = "{{artist}}/{{album}}";
    original.engineBuffer61 = {9, 8, 7};
    original.engineText41 = "engine";

    TQTaskInfoRecord copy = original;
    TQTaskInfoDestroy(&original);
    TQTaskInfoDestroy(&original);
    TQTaskInfoDestroy(nullptr);

    EXPECT_TRUE(original.destinationFolderPattern.empty());
    EXPECT_TRUE(original.engineBuffer61.empty());
    EXPECT_TRUE(original.engineText41.empty());
    EXPECT_EQ(original.formatCode, kTQTaskInfoFormatM4A); // numbers stay as they were
    EXPECT_EQ(copy.destinationFolderPattern, "{{artist}}/{{album}}");
    EXPECT_EQ(copy.engineBuffer61, (TQTaskInfoBuffer{9, 8, 7}));
    EXPECT_EQ(copy.engineText41, "engine");
}

} // namespace
