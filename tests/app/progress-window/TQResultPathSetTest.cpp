// The result path collector: which files, folders and common folder the reveal of a finished
// batch is chosen from, on real files.

#include "app/progress-window/TQResultPathSet.h"

#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;

namespace sonvale::test {
namespace {

class ResultPathSetTest : public ::testing::Test {
protected:
    std::string file(const std::string& relative)
    {
        const fs::path path = dir_.path() / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "x";
        return path.string();
    }
    std::string folder(const std::string& relative) const { return (dir_.path() / relative).string(); }

    static TQResultPathSet collect(const std::vector<std::string>& paths, bool (*callback)(void*, const char*, void*),
                                   size_t* calls = nullptr)
    {
        TQResultPathSet set;
        size_t seen = 0;
        for (const std::string& path : paths) {
            ++seen;
            if (!callback(nullptr, path.c_str(), &set))
                break;
        }
        if (calls)
            *calls = seen;
        return set;
    }

    TempDir dir_;
};

TEST_F(ResultPathSetTest, FilesOfOneFolderGiveThatFolder)
{
    const std::string a = file("Music/Album/a.mp3");
    const std::string b = file("Music/Album/b.mp3");
    const TQResultPathSet set = collect({a, b, a}, TQResultPathCollect);
    EXPECT_EQ(set.files, (std::vector<std::string>{a, b, a}));
    EXPECT_EQ(set.folders, std::vector<std::string>{folder("Music/Album")});
    EXPECT_EQ(set.parentFolders, std::vector<std::string>{folder("Music")});
    EXPECT_EQ(set.commonFolder, folder("Music/Album"));
}

TEST_F(ResultPathSetTest, TheCommonFolderIsFoundByWholeComponents)
{
    // A folder named like the shared beginning of the two album names must not be taken.
    fs::create_directories(folder("Music/Album"));
    const std::string one = file("Music/Album1/a.mp3");
    const std::string two = file("Music/Album2/b.mp3");
    const TQResultPathSet set = collect({one, two}, TQResultPathCollect);
    EXPECT_EQ(set.folders, (std::vector<std::string>{folder("Music/Album1"), folder("Music/Album2")}));
    EXPECT_EQ(set.parentFolders, std::vector<std::string>{folder("Music")});
    EXPECT_EQ(set.commonFolder, folder("Music"));

    // A folder inside another: the outer one is common; folders far apart share only their root.
    const std::string deeper = file("Music/Album1/Disc 2/c.mp3");
    EXPECT_EQ(collect({one, deeper}, TQResultPathCollect).commonFolder, folder("Music/Album1"));
    EXPECT_EQ(collect({one, "/"}, TQResultPathCollect).commonFolder, "/");
}

TEST_F(ResultPathSetTest, MissingAndEmptyPathsAreSkipped)
{
    const std::string kept = file("Out/kept.m4a");
    const TQResultPathSet set = collect({folder("Out/deleted.m4a"), "", kept}, TQResultPathCollect);
    EXPECT_EQ(set.files, std::vector<std::string>{kept});
    EXPECT_TRUE(TQResultPathCollect(nullptr, nullptr, nullptr));
}

TEST_F(ResultPathSetTest, ExportableCallbacksTakeOnlyAudioAndTheFinderStopsAtTheFirst)
{
    const std::string cue = file("Out/album.cue");
    const std::string first = file("Out/a.MP3");
    const std::string second = file("Out/b.flac");
    EXPECT_EQ(collect({cue, first, second}, TQResultPathCollectExportable).files,
              (std::vector<std::string>{first, second}));
    size_t calls = 0;
    const TQResultPathSet found = collect({cue, first, second}, TQResultPathFindExportable, &calls);
    EXPECT_EQ(found.files, std::vector<std::string>{first});
    EXPECT_EQ(calls, 2u);
}

} // namespace
} // namespace sonvale::test
