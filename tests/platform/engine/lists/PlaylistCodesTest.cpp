#include "platform/engine/lists/PlaylistCodes.h"

#include <gtest/gtest.h>

using namespace sonvale::lists;

TEST(PlaylistCodesTest, PlaylistTypePopUpsMapIndexesAndCodes)
{
    const std::pair<int, int> settingsIndexToCode[] = {
        {-1, 16}, {0, 16}, {1, 128}, {2, 32}, {3, 8}, {4, 64}, {5, 16}};
    for (const auto& [index, code] : settingsIndexToCode)
        EXPECT_EQ(indexToPlaylistType(index), code) << index;
    const std::pair<int, int> settingsCodeToIndex[] = {
        {16, 0}, {128, 1}, {32, 2}, {8, 3}, {64, 4}, {0, 0}, {77, 0}};
    for (const auto& [code, index] : settingsCodeToIndex)
        EXPECT_EQ(playlistTypeToIndex(code), index) << code;

    const std::pair<int, int> generalIndexToCode[] = {
        {0, 0}, {1, 16}, {2, 128}, {3, 32}, {4, 8}, {5, 64}, {6, 16}};
    for (const auto& [index, code] : generalIndexToCode)
        EXPECT_EQ(indexToAcceptedPlaylistType(index), code) << index;
    const std::pair<int, int> generalCodeToIndex[] = {
        {0, 0}, {16, 1}, {128, 2}, {32, 3}, {8, 4}, {64, 5}, {77, 1}};
    for (const auto& [code, index] : generalCodeToIndex)
        EXPECT_EQ(acceptedPlaylistTypeToIndex(code), index) << code;

    EXPECT_EQ(playlistKindForType(8), PlaylistKind::Xspf);
    EXPECT_EQ(playlistKindForType(77), PlaylistKind::M3u8);

    EXPECT_EQ(convertedPlaylistKind(0, PlaylistKind::Pls), PlaylistKind::Pls);
    EXPECT_EQ(convertedPlaylistKind(0, PlaylistKind::Asx), PlaylistKind::M3u8);
    EXPECT_EQ(convertedPlaylistKind(64, PlaylistKind::Pls), PlaylistKind::Wpl);
}

TEST(PlaylistCodesTest, SortPopUpMapsIndexesAndCodes)
{
    const int indexToCode[] = {1, 2, 2, 3, 4, 5, 6, 7, 8, 9, 11, 10, 12, 12};
    for (int index = 0; index < 14; ++index)
        EXPECT_EQ(indexToSortingOrder(index), indexToCode[index]) << index;
    EXPECT_EQ(indexToSortingOrder(14), 1);
    EXPECT_EQ(indexToSortingOrder(-3), 1);

    const std::pair<int, int> codeToIndex[] = {
        {1, 0}, {2, 2}, {3, 3}, {9, 9}, {10, 11}, {11, 10}, {12, 13}, {0, 0}, {13, 0},
        {0x105, 5}, {0x10C, 13}};
    for (const auto& [code, index] : codeToIndex)
        EXPECT_EQ(sortingOrderToIndex(code), index) << code;

    EXPECT_EQ(playlistSortKey(0x105), PlaylistSortKey::AlbumArtist);
    EXPECT_TRUE(isDescending(0x105));
    EXPECT_EQ(playlistSortKey(0), PlaylistSortKey::ConversionOrder);
    EXPECT_EQ(playlistSortKey(99), PlaylistSortKey::ConversionOrder);
}
