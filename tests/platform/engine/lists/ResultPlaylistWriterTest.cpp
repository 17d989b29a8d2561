#include "platform/engine/lists/ResultPlaylistWriter.h"
#include "platform/engine/lists/SourcePlaylistReader.h"
#include "platform/system/AtomicFile.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace sonvale;
using namespace sonvale::lists;

namespace {

class ResultPlaylistWriterTest : public ::testing::Test {
protected:
    std::filesystem::path folder() const { return dir_.path() / "out"; }

    std::filesystem::path create(const std::filesystem::path& path)
    {
        std::filesystem::create_directories(path.parent_path());
        EXPECT_TRUE(writeFileAtomically(path, "audio"));
        return path;
    }

    ResultPlaylistEntry entry(const std::string& relative, const std::string& title = {})
    {
        ResultPlaylistEntry e;
        e.file = create(folder() / relative);
        e.title = title;
        return e;
    }

    // The local files a written playlist lists, in order, read back by the source reader.
    std::vector<std::filesystem::path> readBack(const std::filesystem::path& playlist)
    {
        SourcePlaylist list;
        const Status status = SourcePlaylistReader().readFile(playlist, list);
        EXPECT_TRUE(status) << status.message();
        std::vector<std::filesystem::path> files;
        for (const PlaylistEntry& e : list.entries) {
            EXPECT_NE(e.state, PlaylistEntry::State::Unsupported) << e.location << ": " << e.problem;
            files.push_back(e.state == PlaylistEntry::State::Remote ? std::filesystem::path(e.url) : e.path);
        }
        return files;
    }

    test::TempDir dir_;
    ResultPlaylistWriter writer_;
};

TEST_F(ResultPlaylistWriterTest, EveryTypeIsWrittenAndReadBackWithRelativePathsWhereTheyCanBe)
{
    const std::vector<ResultPlaylistEntry> entries{
        entry("Artist/Album/01 Song.flac", "Song"),
        entry("#1 hit.mp3"),
        entry("odd:name.m4a"),
        entry("line\nbreak.wav"),
        entry("Ünïcödé & <xml>.mp3"),
        entry("not-utf8-\xE9.mp3"),
    };
    ResultPlaylistEntry outside;
    outside.file = create(dir_.path() / "elsewhere" / "far.flac");

    for (const PlaylistTypeChoice& type : kPlaylistTypeChoices) {
        SCOPED_TRACE(type.title);
        const auto path = ResultPlaylistWriter::pathFor(folder(), "Result", type.code);
        EXPECT_EQ(path.parent_path(), folder());
        auto all = entries;
        all.push_back(outside);
        ResultPlaylistWriter::Options options;
        options.playlistType = type.code;
        ASSERT_TRUE(writer_.write(path, all, options));

        std::vector<std::filesystem::path> expected;
        for (const auto& e : all)
            expected.push_back(e.file);
        EXPECT_EQ(readBack(path), expected);

        const std::string text = *readWholeFile(path);
        EXPECT_EQ(text.find(folder().string() + "/Artist"), std::string::npos)
            << "files inside the playlist's folder are written relative to it";
        EXPECT_NE(text.find("Artist/Album/01"), std::string::npos);
        EXPECT_NE(text.find("elsewhere"), std::string::npos);
        EXPECT_TRUE(TextDecoder::isValidUtf8(text));
    }
}

TEST_F(ResultPlaylistWriterTest, EverySortOrderAscendingAndDescending)
{
    const auto make = [&](const std::string& file, const std::string& title,
                          const std::string& artist, const std::string& album,
                          const std::string& albumArtist, const std::string& genre, int year,
                          int disc, int track, int64_t durationMs) {
        ResultPlaylistEntry e = entry(file, title);
        e.artist = artist;
        e.album = album;
        e.albumArtist = albumArtist;
        e.genre = genre;
        e.year = year;
        e.discNumber = disc;
        e.trackNumber = track;
        e.durationMs = durationMs;
        return e;
    };
    // In the order of conversion: A, B, C, D.
    const std::vector<ResultPlaylistEntry> entries{
        make("x/q.flac", "Delta", "Bravo", "Xray", "", "Rock", 2001, 1, 2, 300'000),
        make("sub/a.flac", "alpha", "alpha", "Yankee", "Zulu", "Jazz", 1999, 1, 3, 100'000),
        make("c.flac", "Charlie", "Charlie", "Xray", "Bravo", "Pop", 2010, 1, 1, 400'000),
        make("0/z.flac", "bravo", "Delta", "Alpha", "Echo", "Blues", 1980, 2, 1, 200'000),
    };
    const std::pair<PlaylistSortKey, std::string> orders[] = {
        {PlaylistSortKey::ConversionOrder, "ABCD"}, {PlaylistSortKey::Title, "BDCA"},
        {PlaylistSortKey::Artist, "BACD"},          {PlaylistSortKey::Album, "DCAB"},
        {PlaylistSortKey::AlbumArtist, "CADB"},     {PlaylistSortKey::Genre, "DBCA"},
        {PlaylistSortKey::Year, "DBAC"},            {PlaylistSortKey::TrackNumber, "CABD"},
        {PlaylistSortKey::Duration, "BDAC"},        {PlaylistSortKey::Path, "DCBA"},
        {PlaylistSortKey::FileName, "BCAD"},
    };
    const auto path = folder() / "sorted.m3u8";
    for (const auto& [key, ascending] : orders) {
        for (const bool descending : {false, true}) {
            const int code = static_cast<int>(key) | (descending ? kSortDescending : 0);
            ResultPlaylistWriter::Options options;
            options.sortOrder = code;
            ASSERT_TRUE(writer_.write(path, entries, options));
            std::string expectedOrder = ascending;
            if (descending)
                std::reverse(expectedOrder.begin(), expectedOrder.end());
            std::vector<std::filesystem::path> expected;
            for (const char letter : expectedOrder)
                expected.push_back(entries[letter - 'A'].file);
            EXPECT_EQ(readBack(path), expected) << "sort code 0x" << std::hex << code;
        }
    }

    // Shuffle gives a permutation, the same one for the same seed.
    ResultPlaylistWriter::Options shuffle;
    shuffle.sortOrder = static_cast<int>(PlaylistSortKey::Shuffle) | kSortDescending;
    shuffle.shuffleSeed = 7;
    ASSERT_TRUE(writer_.write(path, entries, shuffle));
    const auto first = readBack(path);
    ASSERT_TRUE(writer_.write(path, entries, shuffle));
    EXPECT_EQ(readBack(path), first);
    auto sortedFiles = first;
    std::sort(sortedFiles.begin(), sortedFiles.end());
    std::vector<std::filesystem::path> all;
    for (const auto& e : entries)
        all.push_back(e.file);
    std::sort(all.begin(), all.end());
    EXPECT_EQ(sortedFiles, all);
}

TEST_F(ResultPlaylistWriterTest, MergingKeepsExistingEntriesAndAddsNoDuplicates)
{
    const ResultPlaylistEntry kept = entry("kept.flac");
    const ResultPlaylistEntry added = entry("added.flac");
    for (const PlaylistTypeChoice& type : kPlaylistTypeChoices) {
        SCOPED_TRACE(type.title);
        const auto path = ResultPlaylistWriter::pathFor(folder(), "Merged", type.code);
        ResultPlaylistEntry gone;
        gone.file = folder() / "gone.flac"; // listed before, since removed: still kept
        ResultPlaylistEntry stream;
        stream.uri = "https://radio.example/live";
        ResultPlaylistWriter::Options options;
        options.playlistType = type.code;
        ASSERT_TRUE(writer_.write(path, {kept, gone, stream}, options));

        options.mergeWithExisting = true;
        options.sortOrder = static_cast<int>(PlaylistSortKey::Path);
        ASSERT_TRUE(writer_.write(path, {kept, added, added}, options));
        const std::vector<std::filesystem::path> expected{kept.file, gone.file, stream.uri,
                                                          added.file};
        EXPECT_EQ(readBack(path), expected);

        options.mergeWithExisting = false;
        ASSERT_TRUE(writer_.write(path, {added}, options));
        EXPECT_EQ(readBack(path), std::vector{added.file}) << "without merging the list is replaced";
    }
}

TEST_F(ResultPlaylistWriterTest, AnUnreadableExistingPlaylistIsLeftUntouched)
{
    const auto path = folder() / "Broken.xspf";
    std::filesystem::create_directories(folder());
    const std::string garbage("\0\x01<not xml", 11);
    ASSERT_TRUE(writeFileAtomically(path, garbage));
    ResultPlaylistWriter::Options options;
    options.playlistType = 8;
    options.mergeWithExisting = true;
    const Status status = writer_.write(path, {entry("new.flac")}, options);
    ASSERT_FALSE(status);
    EXPECT_NE(status.message().find("cannot be merged"), std::string::npos) << status.message();
    EXPECT_EQ(readWholeFile(path), garbage);
}

TEST_F(ResultPlaylistWriterTest, PlaylistNamesStayInsideTheirFolder)
{
    const std::pair<std::string, std::string> names[] = {
        {"My Mix", "My Mix.m3u8"},
        {"../../etc/passwd", "Playlist.._.._etc_passwd.m3u8"},
        {"", "Playlist.m3u8"},
        {".hidden", "Playlist.hidden.m3u8"},
    };
    for (const auto& [name, file] : names)
        EXPECT_EQ(ResultPlaylistWriter::pathFor(folder(), name, 16), folder() / file) << name;
    EXPECT_EQ(ResultPlaylistWriter::pathFor(folder(), "x", 64).extension(), ".wpl");
    EXPECT_EQ(ResultPlaylistWriter::pathFor(folder(), "x", 999).extension(), ".m3u8");
}

} // namespace
