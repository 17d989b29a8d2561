#include "platform/tqkit/TQKitFolderList.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> pathsOf(const TQKitFolderList& list)
{
    std::vector<std::string> paths;
    for (size_t i = 0; i < list.size(); ++i)
        paths.emplace_back(list.at(i)->path);
    return paths;
}

TEST(TQKitFolderListTest, RecentFoldersComeFirstOnceEachUpToTheCapacity)
{
    TQKitFolderList list;
    for (const char* folder : {"/a", "/b", "/c", "/b"})
        ASSERT_TRUE(list.AddRecent(folder, 3));
    EXPECT_EQ(pathsOf(list), (std::vector<std::string>{"/b", "/c", "/a"}));
    EXPECT_EQ(list.SelectedIndex(), 0);
    ASSERT_TRUE(list.AddRecent("/d", 3));
    EXPECT_EQ(pathsOf(list), (std::vector<std::string>{"/d", "/b", "/c"}));
}

TEST(TQKitFolderListTest, FoldersDifferingOnlyInCaseAreDifferentFolders)
{
    TQKitFolderList list;
    list.Add("/Music/Sonvale");
    list.Add("/music/sonvale");
    EXPECT_EQ(list.size(), 2u);
    EXPECT_EQ(list.Find("/MUSIC/SONVALE"), nullptr);
}

TEST(TQKitFolderListTest, APathLongerThanAnEntryHoldsIsRefusedWhole)
{
    TQKitFolderList list;
    const std::string longest(TQKitFolderItem::kPathCapacity - 1, 'x');
    const std::string tooLong(TQKitFolderItem::kPathCapacity, 'x');
    EXPECT_TRUE(list.AddRecent("/" + longest.substr(1), 15));
    EXPECT_FALSE(list.AddRecent("/" + tooLong.substr(1), 15));
    EXPECT_EQ(list.Add("/" + tooLong.substr(1)), nullptr);
    ASSERT_EQ(list.size(), 1u);
    std::string resolved;
    ASSERT_TRUE(list.at(0)->ResolvePath(resolved));
    EXPECT_EQ(resolved.size(), longest.size());
}

TEST(TQKitFolderListTest, SavedListLoadsBackWithItsSelection)
{
    sonvale::test::TempHome home;
    TQKitFolderList list;
    list.AddRecent("/one", 15);
    list.AddRecent("/two", 15);
    list.AddRecent("/three", 15);
    list.Select(2);
    list.Save("TQControlPathPicker");

    TQKitFolderList loaded;
    loaded.Load("TQControlPathPicker");
    loaded.TidyAfterLoad();
    EXPECT_EQ(pathsOf(loaded), (std::vector<std::string>{"/three", "/two", "/one"}));
    EXPECT_EQ(loaded.SelectedIndex(), 2);

    // A shorter list leaves no stale entries behind.
    loaded.clear();
    loaded.AddRecent("/only", 15);
    loaded.Save("TQControlPathPicker");
    TQKitFolderList again;
    again.Load("TQControlPathPicker");
    EXPECT_EQ(pathsOf(again), std::vector<std::string>{"/only"});
}

} // namespace
