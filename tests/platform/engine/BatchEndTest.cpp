#include <gtest/gtest.h>

#include <mutex>
#include <set>

#include "platform/engine/ItemConverter.h"
#include "platform/engine/TagReader.h"
#include "platform/engine/lists/SourcePlaylistReader.h"
#include "tests/platform/engine/AudioTestFiles.h"
#include "tests/platform/engine/ConverterFixture.h"

namespace sonvale::engine {
namespace {

// What a batch leaves behind once its items are done: the playlist of its results, and its
// converted sources in the Bin.
class BatchEndTest : public ConverterFixture {
protected:
    void SetUp() override
    {
        ConverterFixture::SetUp();
        // Titles and track numbers come from the names: "2 - Alpha" is track 2, "Alpha".
        for (const char* name : {"1 - Bravo.wav", "2 - Alpha.wav", "3 - Charlie.wav"})
            test::writeToneWav(source_ / "album" / name, {.seconds = 0.2});
        settings_.tagsFromPaths = true;
        settings_.createPlaylist = true;
    }

    std::vector<std::string> playlistFiles(const fs::path& playlist) const
    {
        lists::SourcePlaylist read;
        EXPECT_TRUE(lists::SourcePlaylistReader().readFile(playlist, read).isOk()) << playlist;
        std::vector<std::string> names;
        for (const auto& entry : read.entries)
            names.push_back(entry.state == lists::PlaylistEntry::State::Remote ? entry.url
                                                                                : entry.path.filename().string());
        return names;
    }

    fs::path trashed(const std::string& name) const { return home_.path() / ".local/share/Trash/files" / name; }
};

TEST_F(BatchEndTest, EveryPlaylistTypeIsWrittenInItsSortOrderAndReadsBack)
{
    struct Case {
        int type;
        const char* extension;
        int sortOrder;
        std::vector<std::string> order;
    };
    const Case cases[] = {
        {16, "m3u8", 2, {"2 - Alpha.mp3", "1 - Bravo.mp3", "3 - Charlie.mp3"}},      // title
        {128, "m3u", 8 | 0x100, {"3 - Charlie.mp3", "2 - Alpha.mp3", "1 - Bravo.mp3"}}, // track number, descending
        {32, "pls", 1, {"1 - Bravo.mp3", "2 - Alpha.mp3", "3 - Charlie.mp3"}},      // order of conversion
        {8, "xspf", 2 | 0x100, {"3 - Charlie.mp3", "1 - Bravo.mp3", "2 - Alpha.mp3"}},
        {64, "wpl", 11, {"1 - Bravo.mp3", "2 - Alpha.mp3", "3 - Charlie.mp3"}},     // file name
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extension);
        settings_.playlistType = c.type;
        settings_.playlistSortOrder = c.sortOrder;
        settings_.playlistName = std::string("Mix ") + c.extension;
        settings_.destinationFolder = destination_ / c.extension;
        convert({(source_ / "album").string()});
        EXPECT_EQ(playlistFiles(fs::path(settings_.destinationFolder) / ("Mix " + std::string(c.extension) + "." + c.extension)),
                  c.order);
        EXPECT_TRUE(list_->finishingProblems().empty());
        releaseList();
    }
}

TEST_F(BatchEndTest, MergingKeepsTheExistingEntriesFirstAndAnUnnamedPlaylistIsNamedAfterTheSource)
{
    test::writeToneWav(destination_ / "old.mp3", {.seconds = 0.1});
    writeText(destination_ / "album.m3u8", "http://radio.example/live\nold.mp3\n");
    settings_.mergePlaylist = true;
    convert({(source_ / "album").string()});
    EXPECT_EQ(playlistFiles(destination_ / "album.m3u8"),
              (std::vector<std::string>{"http://radio.example/live", "old.mp3", "1 - Bravo.mp3", "2 - Alpha.mp3",
                                        "3 - Charlie.mp3"}));
    releaseList();

    settings_.mergePlaylist = false;
    settings_.overwritePolicy = 0;
    convert({(source_ / "album").string()});
    EXPECT_EQ(playlistFiles(destination_ / "album.m3u8"),
              (std::vector<std::string>{"1 - Bravo.mp3", "2 - Alpha.mp3", "3 - Charlie.mp3"}))
        << "without merging the playlist is replaced";
}

TEST_F(BatchEndTest, ConvertedSourcesGoToTheBinAndFailedOnesStay)
{
    test::writeRandomBytes(source_ / "album" / "4 - Broken.wav", 20000);
    settings_.createPlaylist = false;
    settings_.moveSourcesToBin = true;
    convert({(source_ / "album").string()});
    EXPECT_EQ(filesUnder(source_), std::vector<std::string>{"album/4 - Broken.wav"});
    for (const char* name : {"1 - Bravo.wav", "2 - Alpha.wav", "3 - Charlie.wav"})
        EXPECT_TRUE(fs::exists(trashed(name))) << name;
    EXPECT_FALSE(fs::exists(trashed("4 - Broken.wav")));
    EXPECT_EQ(filesUnder(destination_).size(), 3u);
}

TEST_F(BatchEndTest, ASplitImageGoesToTheBinWithItsSheetOnlyWhenEveryTrackConverted)
{
    const fs::path album = source_ / "disc";
    test::writeToneWav(album / "image.wav", {.seconds = 3});
    writeText(album / "image.cue", "FILE \"image.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                                   "  TRACK 02 AUDIO\n    INDEX 01 00:01:00\n");
    writeText(album / "beyond.cue", "FILE \"image.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                                    "  TRACK 02 AUDIO\n    INDEX 01 00:09:00\n");
    settings_.createPlaylist = false;
    settings_.cueSheets = true;
    settings_.moveSourcesToBin = true;
    settings_.overwritePolicy = 0;
    convert({(album / "beyond.cue").string()});
    EXPECT_EQ(filesUnder(album), (std::vector<std::string>{"beyond.cue", "image.cue", "image.wav"}))
        << "a track beyond the image's end failed: the image and its sheet stay";
    releaseList();

    convert({(album / "image.cue").string()});
    EXPECT_EQ(filesUnder(album), std::vector<std::string>{"beyond.cue"});
    EXPECT_TRUE(fs::exists(trashed("image.wav")));
    EXPECT_TRUE(fs::exists(trashed("image.cue")));
}

// A lookup service that knows one album; the converter asks it while the item shows status 7.
class OneAlbumLookup final : public TagLookup {
public:
    TagSet lookUp(const std::string& path, const std::atomic<bool>&) override
    {
        std::lock_guard lock(mutex_);
        asked_.insert(fs::path(path).filename().string());
        return {{{"ALBUM", "Found Album"}, {"TITLE", "Not this title"}}, {}};
    }
    std::set<std::string> asked() const
    {
        std::lock_guard lock(mutex_);
        return asked_;
    }

private:
    mutable std::mutex mutex_;
    std::set<std::string> asked_;
};

TEST_F(BatchEndTest, TagsFromTheLookupServiceFillOnlyWhatTheSourceLacks)
{
    auto lookup = std::make_shared<OneAlbumLookup>();
    startConverter({.tagLookup = lookup});
    settings_.tagsFromPaths = false;
    settings_.tagsFromNetwork = true;
    settings_.createPlaylist = false;
    test::writeToneWav(source_ / "single.wav", {.seconds = 0.2});
    TagSet own{{{"TITLE", "Own Title"}}, {}};
    ItemJob tagging{.sourcePath = source_ / "single.wav", .outputPath = source_ / "tagged.flac",
                    .settings = {OutputFormat::Flac, FlacOptions{}}, .replacementTags = own};
    ASSERT_TRUE(ItemConverter::run(tagging, nullptr, nullptr).status.isOk());

    Item* item = listWithOneItem({(source_ / "tagged.flac").string()});
    ASSERT_TRUE(item);
    ItemRecorder recorder(list_, item);
    test::ListWatcher watcher(list_);
    TQKitConversionStart(converter_, list_);
    ASSERT_TRUE(watcher.waitFinished());

    EXPECT_EQ(lookup->asked(), std::set<std::string>{"tagged.flac"});
    EXPECT_TRUE(recorder.statuses().count(Item::LoadingTags));
    const TagSet written = TagReader::read(destination_ / "tagged.mp3");
    EXPECT_EQ(written.value("TITLE"), "Own Title");
    EXPECT_EQ(written.value("ALBUM"), "Found Album");
}

} // namespace
} // namespace sonvale::engine
