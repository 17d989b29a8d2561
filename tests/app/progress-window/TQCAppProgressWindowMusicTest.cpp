// The music library in a progress window: the tags a Music import answers for each file, and the
// export of converted files to a playlist, against a library file written by the test.

#include "app/controls/TQNSTextFieldLink.h"
#include "app/progress-window/TQCAppProgressWindowController.h"
#include "app/progress-window/TQCAppProgressWindowTunesTags.h"
#include "platform/tqkit/TQKitMusicLibrary.h"
#include "platform/tqkit/TQKitSettings.h"
#include "tests/app/progress-window/ProgressWindowFixture.h"
#include "tests/app/support/TQKitEngineStandIn.h"
#include "tests/support/QtTestSupport.h"

#include <QImage>

#include <fstream>
#include <thread>

using namespace Qt::StringLiterals;
namespace fs = std::filesystem;
using nlohmann::json;

namespace sonvale::test {
namespace {

class ProgressWindowMusicTest : public ProgressWindowFixture {
protected:
    static void writeLibrary(const json& library)
    {
        fs::create_directories(TQKitMusicLibraryPath().parent_path());
        std::ofstream(TQKitMusicLibraryPath()) << library.dump();
    }
    static json readLibrary()
    {
        std::ifstream in(TQKitMusicLibraryPath());
        return json::parse(in);
    }
    // The answer to a tag request for `local`, and whether the list was replaced.
    std::pair<bool, TQKitTagList> ask(const QString& local, const QVariantMap& tracks)
    {
        TQKitConversionList* list = engine::createList(destination().string());
        TQKitTagList tags{{"_PATH_LOCAL", local.toStdString()}, {"_PATH_TEMP", temp_.string()}};
        const bool replaced = TQCAppProgressWindowTunesTags(list, tracks, &tags);
        TQKitConversionListRelease(list);
        return {replaced, tags};
    }
    static std::string valueOf(const TQKitTagList& tags, const std::string& name)
    {
        for (const auto& [key, value] : tags)
            if (key == name)
                return value;
        return "<none>";
    }

    fs::path temp_ = home_.path() / "item-temp";
};

TEST_F(ProgressWindowMusicTest, TagsComeFromTheLibraryTrackWithItsArtwork)
{
    fs::create_directories(temp_);
    QImage cover(8, 8, QImage::Format_RGB32);
    cover.fill(Qt::red);
    ASSERT_TRUE(cover.save(QString::fromStdString((home_.path() / "cover.png").string())));
    const QString song = addSource("song.wav");
    const json track = {{"id", "T1"},
                          {"location", song.toStdString()},
                          {"title", "Morning Tide"},
                          {"artist", "Nora Vale"},
                          {"trackNumber", "3"},
                          {"tracksTotal", 12},
                          {"discNumber", 1},
                          {"discsTotal", "0"},
                          {"movementNumber", "0"},
                          {"movementsTotal", "4"},
                          {"rating", 0},
                          {"playCounter", 80},
                          {"isCompilation", true},
                          {"comment", ""},
                          {"dateAdded", "2024-03-15T10:00:00Z"},
                          {"artwork", (home_.path() / "cover.png").string()}};
    writeLibrary({{"tracks", json::array({track})}});

    const auto [replaced, tags] = ask(song, {{song, u"T1"_s}});
    ASSERT_TRUE(replaced);
    EXPECT_EQ(valueOf(tags, "title"), "Morning Tide");
    EXPECT_EQ(valueOf(tags, "artist"), "Nora Vale");
    EXPECT_EQ(valueOf(tags, "trackNumber"), "3/12"); // a text and a number make one pair
    EXPECT_EQ(valueOf(tags, "discNumber"), "1");     // no total
    EXPECT_EQ(valueOf(tags, "movementNumber"), "<none>");
    EXPECT_EQ(valueOf(tags, "rating"), "<none>");
    EXPECT_EQ(valueOf(tags, "playCounter"), "80");
    EXPECT_EQ(valueOf(tags, "isCompilation"), "1");
    EXPECT_EQ(valueOf(tags, "comment"), "<none>");
    EXPECT_EQ(valueOf(tags, "dateAdded"), "2024-03-15T10:00:00Z");
    EXPECT_EQ(valueOf(tags, "_PATH_LOCAL"), "<none>");
    const std::string artwork = valueOf(tags, "_PATH_ARTWORK");
    EXPECT_EQ(fs::path(artwork).parent_path(), temp_);
    EXPECT_EQ(fs::path(artwork).filename().string().rfind("artwork_", 0), 0u);
    QImage written;
    ASSERT_TRUE(written.load(QString::fromStdString(artwork), "JPEG"));
    EXPECT_EQ(written.size(), QSize(8, 8));
    // The title comes before the album artist and the artist, the pairs after the texts.
    EXPECT_EQ(tags.front().first, "title");
}

TEST_F(ProgressWindowMusicTest, AFileThatIsNoLibraryTrackKeepsItsTags)
{
    const QString song = addSource("song.wav");
    writeLibrary({{"tracks", {{{"id", "T1"}, {"location", song.toStdString()}, {"title", "Known"}}}}});
    const QString other = addSource("other.wav");
    for (const auto& [local, tracks] : std::vector<std::pair<QString, QVariantMap>>{
             {other, {{song, u"T1"_s}}},   // not in the dictionary
             {song, {{song, u"T9"_s}}},    // the library has no such track
             {song, {{song, 7}}},          // not a track id
             {song, {}}}) {                // not a Music import
        const auto [replaced, tags] = ask(local, tracks);
        EXPECT_FALSE(replaced);
        EXPECT_EQ(valueOf(tags, "_PATH_LOCAL"), local.toStdString());
        EXPECT_EQ(tags.size(), 2u);
    }
}

TEST_F(ProgressWindowMusicTest, AStoppedConversionStopsWaitingForTheLibrary)
{
    const QString song = addSource("song.wav");
    writeLibrary({{"tracks", {{{"id", "T1"}, {"location", song.toStdString()}, {"title", "Known"}}}}});
    TQKitConversionList* list = engine::createList(destination().string());
    std::unique_lock held(TQKitMusicLibraryMutex()); // another conversion reads the library
    bool answered = false;
    bool replaced = true;
    std::thread asking([&] {
        TQKitTagList tags{{"_PATH_LOCAL", song.toStdString()}, {"_PATH_TEMP", temp_.string()}};
        replaced = TQCAppProgressWindowTunesTags(list, {{song, u"T1"_s}}, &tags);
        answered = true;
    });
    TQKitConversionListStop(list);
    asking.join();
    EXPECT_TRUE(answered);
    EXPECT_FALSE(replaced);
    held.unlock();
    TQKitConversionListRelease(list);
}

TEST_F(ProgressWindowMusicTest, ConvertedFilesGoToTheChosenPlaylist)
{
    writeLibrary({{"tracks", json::array()}, {"playlists", {{{"name", "Road Trip"}, {"tracks", json::array()}}}}});
    TQKitSettingWriteText("TQCSetting", "iTunesPlayListName", "Road Trip");
    auto controller = openWindow({addSource("one.wav")});
    ASSERT_TRUE(waitUntilStarted(*controller));
    const fs::path converted = destination() / "one.m4a";
    std::ofstream(converted) << "converted";
    TQKitConversionListItem* item = engine::items(controller->list()).front();
    engine::completeItem(item, "Converted", 0x42, converted.string());
    int32_t finished = TQKitConversionList::Finished;
    engine::setListState(controller->list(), finished);
    engine::notify(controller->list(), 2, &finished);
    ASSERT_FALSE(controller->sendToiTunesLink()->isHidden());

    Q_EMIT controller->sendToiTunesLink()->clicked();
    ASSERT_TRUE(pumpUntil([] { return scriptedResponder().requests().size() == 2; }));
    EXPECT_EQ(scriptedResponder().titles(), (QStringList{u"Export to Music"_s, u"Export to Music"_s}));
    EXPECT_EQ(scriptedResponder().requests().front().message, u"Please specify Music playlist to add converted files:"_s);
    EXPECT_EQ(scriptedResponder().requests().back().message, u"1 file has been added to the playlist \"Road Trip\"."_s);
    const json library = readLibrary();
    ASSERT_EQ(library["tracks"].size(), 1u);
    EXPECT_EQ(library["tracks"][0]["location"], converted.string());
    EXPECT_EQ(library["playlists"][0]["tracks"], json::array({library["tracks"][0]["id"]}));
    EXPECT_TRUE(delegate_.closed.isEmpty());

    // Asked to close once the files are in: the window closes instead of reporting.
    TQKitSettingWriteText("TQCSetting", "CloseWindowWhenSendToiTunedCompleted", "1");
    Q_EMIT controller->sendToiTunesLink()->clicked();
    EXPECT_TRUE(pumpUntil([&] { return delegate_.closed.size() == 1; }));
    EXPECT_EQ(scriptedResponder().requests().size(), 3);
    EXPECT_EQ(readLibrary()["playlists"][0]["tracks"].size(), 2u);
}

TEST_F(ProgressWindowMusicTest, WithoutALibraryTheExportSaysWhereItLooked)
{
    auto controller = openWindow({addSource("one.wav")});
    ASSERT_TRUE(waitUntilStarted(*controller));
    controller->sendSuccessfullyConvertedItemsToiTunes();
    ASSERT_EQ(scriptedResponder().titles(), QStringList{u"Music"_s});
    EXPECT_TRUE(scriptedResponder().requests().front().message.contains(u"MusicLibrary.json"_s));
}

} // namespace
} // namespace sonvale::test
