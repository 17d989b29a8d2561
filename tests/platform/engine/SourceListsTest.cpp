#include <gtest/gtest.h>

#include <taglib/flacfile.h>
#include <taglib/xiphcomment.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>

#include "platform/engine/ItemConverter.h"
#include "platform/engine/TagReader.h"
#include "platform/engine/lists/SourcePlaylistReader.h"
#include "tests/platform/engine/AudioTestFiles.h"
#include "tests/platform/engine/ConverterFixture.h"

namespace sonvale::engine {
namespace {

// Sources that stand for several items: CUE sheets over disc images, source playlists and
// shortcuts.
class SourceListsTest : public ConverterFixture {
protected:
    void SetUp() override
    {
        ConverterFixture::SetUp();
        settings_.output = {OutputFormat::Flac, FlacOptions{}};
    }

    // A FLAC image of three tones, 21 s long, made by the engine from a generated WAV.
    fs::path writeImage(const fs::path& folder)
    {
        const fs::path wav = home_.path() / "image.wav";
        std::vector<double> samples;
        for (double frequency : {440.0, 660.0, 880.0}) {
            const auto part = test::toneSamples({.frequency = frequency, .seconds = 7, .amplitude = 0.4});
            samples.insert(samples.end(), part.begin(), part.end());
        }
        test::writeWav(wav, samples, 44100, 2);
        const fs::path image = folder / "image.flac";
        fs::create_directories(folder);
        ItemJob job{.sourcePath = wav, .outputPath = image, .settings = {OutputFormat::Flac, FlacOptions{}}};
        EXPECT_TRUE(ItemConverter::run(job, nullptr, nullptr).status.isOk());
        return image;
    }

    std::vector<std::string> itemPaths() const
    {
        std::vector<Item*> items;
        TQKitConversionListGetItems(list_, items);
        std::vector<std::string> paths;
        for (const Item* item : items)
            paths.push_back(item->sourcePath());
        return paths;
    }
};

// Track boundaries that fall between CD frames of different lengths, far enough in for the later
// tracks to seek: 7 s + 28 frames and 14 s + 9 frames.
const char* kSheet = "PERFORMER \"Nora Vale\"\n"
                     "TITLE \"Northern Lights\"\n"
                     "FILE \"image.flac\" WAVE\n"
                     "  TRACK 01 AUDIO\n    TITLE \"Morning Tide\"\n    INDEX 01 00:00:00\n"
                     "  TRACK 02 AUDIO\n    TITLE \"Harbour\"\n    PERFORMER \"Ilse Moor\"\n    INDEX 01 00:07:28\n"
                     "  TRACK 03 AUDIO\n    TITLE \"Last Light\"\n    INDEX 00 00:14:00\n    INDEX 01 00:14:09\n";

TEST_F(SourceListsTest, ACueSheetSplitsItsImageIntoTracksThatJoinToTheImageSampleForSample)
{
    const fs::path album = source_ / "album";
    const fs::path image = writeImage(album);
    writeText(album / "image.cue", kSheet);

    TQKitConversionListCreate(&list_);
    settings_.cueSheets = true;
    TQKitConversionListSetBatchSettings(list_, settings_);
    TQKitConversionListAddSources(list_, {album.string()}, 0, 0);
    EXPECT_EQ(itemPaths(), std::vector<std::string>(3, image.string())) << "the image is not converted whole too";
    EXPECT_EQ(TQKitConversionListPendingCount(list_) + TQKitConversionListExtraCount(list_), 3u);
    releaseList();

    convert({album.string()});
    ASSERT_EQ(filesUnder(destination_),
              (std::vector<std::string>{"01 - Morning Tide.flac", "02 - Harbour.flac", "03 - Last Light.flac"}));
    const std::pair<std::string, std::string> expected[] = {
        {"Morning Tide", "Nora Vale"}, {"Harbour", "Ilse Moor"}, {"Last Light", "Nora Vale"}};
    test::DecodedAudio joined;
    for (int i = 0; i < 3; ++i) {
        const fs::path track = destination_ / filesUnder(destination_)[size_t(i)];
        const TagSet tags = TagReader::read(track);
        EXPECT_EQ(tags.value("TITLE"), expected[i].first);
        EXPECT_EQ(tags.value("ARTIST"), expected[i].second);
        EXPECT_EQ(tags.value("ALBUM"), "Northern Lights");
        EXPECT_EQ(std::atoi(tags.value("TRACKNUMBER").c_str()), i + 1);
        const test::DecodedAudio part = test::decodeAudio(track);
        joined.samples.insert(joined.samples.end(), part.samples.begin(), part.samples.end());
    }
    const test::DecodedAudio whole = test::decodeAudio(image);
    ASSERT_EQ(joined.samples.size(), whole.samples.size());
    EXPECT_TRUE(joined.samples == whole.samples);
    // Track 2 starts at 7 s + 28 frames: sample 7 * 44100 + 28 * 588.
    EXPECT_EQ(test::decodeAudio(destination_ / "01 - Morning Tide.flac").samples.size(), size_t(2 * (7 * 44100 + 28 * 588)));
}

// A track's number counts the sheet's tracks (not a total the image's own tags carry), the sheet's
// remarks reach every track, and a "/" in a title stays in the file's name.
TEST_F(SourceListsTest, CueTracksTakeTheSheetsNumbersRemarksAndTitlesAsTheyStand)
{
    const fs::path album = source_ / "album";
    const fs::path image = writeImage(album);
    {
        TagLib::FLAC::File file(image.c_str());
        file.xiphComment(true)->addField("TRACKNUMBER", "1");
        file.xiphComment(true)->addField("TRACKTOTAL", "12");
        file.save();
    }
    writeText(album / "image.cue", "REM GENRE Jazz\nREM DATE 1999\nREM DISCNUMBER 1\nREM TOTALDISCS 2\n"
                                   "REM COMMENT \"Ripped with care\"\nTITLE \"Northern Lights\"\n"
                                   "FILE \"image.flac\" WAVE\n"
                                   "  TRACK 01 AUDIO\n    TITLE \"Back/Forth\"\n    INDEX 01 00:00:00\n"
                                   "  TRACK 02 AUDIO\n    TITLE \"Harbour\"\n    INDEX 01 00:07:28\n");
    settings_.cueSheets = true;
    convert({album.string()});
    ASSERT_EQ(filesUnder(destination_), (std::vector<std::string>{"01 - Back-Forth.flac", "02 - Harbour.flac"}));
    const TagSet tags = TagReader::read(destination_ / "02 - Harbour.flac");
    EXPECT_EQ(tags.value("TRACKNUMBER"), "2/2");
    EXPECT_EQ(tags.value("DISCNUMBER"), "1/2");
    EXPECT_EQ(tags.value("COMMENT"), "Ripped with care");
    EXPECT_EQ(tags.value("DATE"), "1999");
    EXPECT_EQ(tags.value("GENRE"), "Jazz");
    EXPECT_EQ(TagReader::read(destination_ / "01 - Back-Forth.flac").value("TITLE"), "Back/Forth");
}

// Holds every item until `expected` of them run at once (or a generous time has passed), then
// converts them in-process.
class GatheringRunner final : public ItemRunner {
public:
    explicit GatheringRunner(int expected) : expected_(expected) {}

    ItemOutcome run(const ItemJob& job, const std::atomic<bool>& stop, const Progress& progress) override
    {
        {
            std::unique_lock lock(mutex_);
            mostAtOnce_ = std::max(mostAtOnce_, ++running_);
            gathered_.notify_all();
            gathered_.wait_for(lock, std::chrono::seconds(60), [&] { return running_ >= expected_; });
        }
        ItemOutcome outcome = inner_.run(job, stop, progress);
        std::lock_guard lock(mutex_);
        --running_;
        return outcome;
    }
    int mostAtOnce() const
    {
        std::lock_guard lock(mutex_);
        return mostAtOnce_;
    }

private:
    const int expected_;
    InProcessItemRunner inner_;
    mutable std::mutex mutex_;
    std::condition_variable gathered_;
    int running_ = 0;
    int mostAtOnce_ = 0;
};

TEST_F(SourceListsTest, TheTracksOfOneImageConvertAtOnce)
{
    writeImage(source_);
    writeText(source_ / "image.cue", kSheet);
    settings_.cueSheets = true;
    auto runner = std::make_shared<GatheringRunner>(3);
    startConverter({.runner = runner, .workers = 3});
    convert({(source_ / "image.cue").string()});
    EXPECT_EQ(runner->mostAtOnce(), 3);
    EXPECT_EQ(TQKitConversionListSucceededCount(list_), 3u);
}

TEST_F(SourceListsTest, ASheetInLatin1ReadsCorrectlyAndABrokenSheetFailsAsItsOwnItem)
{
    const fs::path image = writeImage(source_);
    writeText(source_ / "latin.cue", "FILE \"image.flac\" WAVE\n  TRACK 01 AUDIO\n    TITLE \"Caf\xE9 No\xEBl\"\n"
                                     "    INDEX 01 00:00:00\n");
    writeText(source_ / "broken.cue", "FILE \"nowhere.flac\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    settings_.cueSheets = true;
    convert({(source_ / "latin.cue").string(), (source_ / "broken.cue").string()});
    EXPECT_EQ(TagReader::read(destination_ / "01 - Café Noël.flac").value("TITLE"), "Café Noël");
    EXPECT_EQ(completionOf("broken.cue").rfind("Failed: ", 0), 0u) << completionOf("broken.cue");
}

TEST_F(SourceListsTest, EachPlaylistKindAndShortcutGivesItsEntriesResolvedBesideIt)
{
    test::writeToneWav(source_ / "songs" / "a.wav", {.seconds = 0.2});
    test::writeToneWav(source_ / "songs" / "b b.wav", {.seconds = 0.2});
    const std::string a = (source_ / "songs" / "a.wav").string(), b = (source_ / "songs" / "b b.wav").string();
    const std::string missing = (source_ / "songs" / "gone.wav").string();
    const std::string aUrl = "file://" + a;
    const std::map<std::string, std::string> lists{
        {"list.m3u", "#EXTM3U\nsongs/a.wav\nsongs/b b.wav\nsongs/gone.wav\n"},
        {"list.m3u8", "songs/a.wav\n" + b + "\nsongs/gone.wav\n"},
        {"list.pls", "[playlist]\nFile1=songs/a.wav\nFile2=songs/b b.wav\nFile3=songs/gone.wav\nNumberOfEntries=3\n"},
        {"list.xspf", "<?xml version=\"1.0\"?><playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\"><trackList>"
                      "<track><location>songs/a.wav</location></track><track><location>songs/b%20b.wav</location>"
                      "</track><track><location>songs/gone.wav</location></track></trackList></playlist>"},
        {"list.wpl", "<?wpl version=\"1.0\"?><smil><body><seq><media src=\"songs\\a.wav\"/>"
                     "<media src=\"songs\\b b.wav\"/><media src=\"songs/gone.wav\"/></seq></body></smil>"},
        {"list.asx", "<asx version=\"3.0\"><entry><ref href=\"songs/a.wav\"/></entry><entry><ref href=\"songs/b%20b.wav\"/>"
                     "</entry><entry><ref href=\"songs/gone.wav\"/></entry></asx>"},
        {"link.url", "[InternetShortcut]\nURL=" + aUrl + "\n"},
        {"link.desktop", "[Desktop Entry]\nType=Link\nName=a\nURL=" + aUrl + "\n"},
        {"link.webloc", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>URL</key><string>" + aUrl +
                        "</string></dict></plist>"},
        {"link.ram", aUrl + "\n"},
    };
    settings_.acceptPlaylists = true;
    settings_.acceptShortcuts = true;
    for (const auto& [name, text] : lists) {
        SCOPED_TRACE(name);
        writeText(source_ / name, text);
        TQKitConversionListCreate(&list_);
        TQKitConversionListSetBatchSettings(list_, settings_);
        TQKitConversionListAddSources(list_, {(source_ / name).string()}, 0, 0);
        const auto expected = name.starts_with("link") ? std::vector<std::string>{a}
                                                       : std::vector<std::string>{a, b, missing};
        EXPECT_EQ(itemPaths(), expected);
        releaseList();
    }
    // A list that names itself and its own folder ends: lists met inside it are not followed.
    writeText(source_ / "songs" / "loop.m3u", "loop.m3u\n.\n");
    TQKitConversionListCreate(&list_);
    TQKitConversionListSetBatchSettings(list_, settings_);
    TQKitConversionListAddSources(list_, {(source_ / "songs" / "loop.m3u").string()}, 0, 0);
    EXPECT_EQ(itemPaths(), (std::vector<std::string>{(source_ / "songs" / "loop.m3u").string(), a, b}));
    EXPECT_FALSE(itemNamed("loop.m3u")->origin().problem.empty());
    releaseList();

    settings_.acceptShortcuts = false;
    TQKitConversionListCreate(&list_);
    TQKitConversionListSetBatchSettings(list_, settings_);
    TQKitConversionListAddSources(list_, {(source_ / "link.url").string()}, 0, 0);
    EXPECT_EQ(itemPaths(), std::vector<std::string>{(source_ / "link.url").string()})
        << "without shortcuts a link file is only a file";
    releaseList();
}

TEST_F(SourceListsTest, AConvertedPlaylistListsTheResultsAndEveryMissingEntryFailsOnItsOwn)
{
    test::writeToneWav(source_ / "songs" / "a.wav", {.seconds = 0.2});
    test::writeToneWav(source_ / "songs" / "b.wav", {.seconds = 0.2});
    writeText(source_ / "mix.pls", "[playlist]\nFile1=songs/b.wav\nFile2=songs/gone.wav\nFile3=songs/a.wav\n"
                                   "File4=songs/also gone.wav\nNumberOfEntries=4\n");
    settings_.acceptPlaylists = true;
    settings_.acceptedPlaylistType = 8; // XSPF
    convert({(source_ / "mix.pls").string()});

    for (const char* name : {"gone.wav", "also gone.wav"})
        EXPECT_EQ(completionOf(name).rfind("Failed: ", 0), 0u) << name << ": " << completionOf(name);
    EXPECT_EQ(completionOf("a.wav"), "Converted");
    lists::SourcePlaylist written;
    ASSERT_TRUE(lists::SourcePlaylistReader().readFile(destination_ / "mix.xspf", written).isOk());
    std::vector<fs::path> paths;
    for (const auto& entry : written.entries)
        paths.push_back(entry.path);
    EXPECT_EQ(paths, (std::vector<fs::path>{destination_ / "b.flac", destination_ / "a.flac"}));
}

} // namespace
} // namespace sonvale::engine
