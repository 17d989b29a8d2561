// The General and Tags pages on the real conversion engine: what the pages save is what the next
// batch does with names, folders, playlists, companions, sources, tags and artwork.

#include "app/controls/TQNSTextFieldLink.h"
#include "app/pattern-editor/TQTagLibTextComposePopUpButton.h"
#include "app/preferences/TQCAppPreferencesPanelGeneralV2.h"
#include "app/preferences/TQCAppPreferencesPanelGeneralV2PlaylistSettingsView.h"
#include "app/preferences/TQCAppPreferencesPanelTags.h"
#include "app/preferences/TQPreferencesDialogController.h"
#include "app/preferences/TQPreferencesDialogEntryPoints.h"
#include "app/progress-window/TQCAppProgressWindowController.h"
#include "platform/engine/ItemRunner.h"
#include "platform/tqkit/TQGeneralSettingsRecord.h"
#include "tests/app/support/MainWindowFixture.h"
#include "tests/platform/engine/AudioTestFiles.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QLineEdit>

#include <taglib/mp4file.h>

#include <atomic>
#include <memory>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace sonvale::test {
namespace {

// A 1000 x 1000 PNG cover: big enough to be limited.
std::vector<char> pngCover()
{
    QImage image(1000, 1000, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 40));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return {bytes.begin(), bytes.end()};
}

// An MP3 with title, artist, album, track "3/12" and a cover, as a tagger leaves it.
void writeTaggedMp3(const QString& path, const std::string& artist = "Nora Vale")
{
    const std::string wav = path.toStdString() + ".wav";
    writeToneWav(wav, {.frequency = 440.0, .seconds = 0.4});
    engine::ItemJob job{.sourcePath = wav, .outputPath = path.toStdString(),
                        .settings = {engine::OutputFormat::Mp3, engine::Mp3Options{}}};
    job.replacementTags = engine::TagSet{
        {{"TITLE", "Largo"}, {"ARTIST", artist}, {"ALBUM", "Paper Boats"}, {"TRACKNUMBER", "3/12"}},
        {pngCover(), "image/png"}};
    ASSERT_TRUE(engine::InProcessItemRunner().run(job, std::atomic<bool>(false), nullptr).status.isOk());
    std::filesystem::remove(wav);
}

struct M4aTags {
    std::string title, artist, album;
    int track = 0, tracks = 0;
    QImage cover;
    QByteArray coverFormat; // "png" or "jpeg"
};

M4aTags readM4a(const QString& path)
{
    M4aTags tags;
    TagLib::MP4::File file(path.toUtf8().constData());
    if (!file.isValid() || !file.tag())
        return tags;
    const TagLib::MP4::Tag* tag = file.tag();
    tags.title = tag->title().to8Bit(true);
    tags.artist = tag->artist().to8Bit(true);
    tags.album = tag->album().to8Bit(true);
    if (tag->contains("trkn")) {
        const auto pair = tag->item("trkn").toIntPair();
        tags.track = pair.first;
        tags.tracks = pair.second;
    }
    if (tag->contains("covr")) {
        const TagLib::MP4::CoverArtList covers = tag->item("covr").toCoverArtList();
        if (!covers.isEmpty()) {
            const TagLib::ByteVector data = covers.front().data();
            const QByteArray bytes(data.data(), qsizetype(data.size()));
            tags.cover.loadFromData(bytes);
            tags.coverFormat = covers.front().format() == TagLib::MP4::CoverArt::PNG ? "png" : "jpeg";
        }
    }
    return tags;
}

// Every file under `folder`, relative to it, sorted.
QStringList filesUnder(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(folder).relativeFilePath(it.next()));
    files.sort();
    return files;
}

class TQCAppPreferencesGeneralTagsConversionTest : public MainWindowFixture {
protected:
    ~TQCAppPreferencesGeneralTagsConversionTest() override { TQPreferencesDialogClose(); }

    template <typename Page>
    Page* openPage(const QString& label, const QString& subPage = {})
    {
        TQPreferencesDialogShowPageWithLabel(label, subPage);
        return qobject_cast<Page*>(TQPreferencesDialogController::findViewController()->selectedViewController());
    }

    // Converts `sources` in a new batch and waits until it has finished.
    void convert(const QStringList& sources)
    {
        const qsizetype before = controller_->progressWindowControllers().size();
        controller_->startConversionWithFiles(sources);
        ASSERT_TRUE(waitForBatches(int(before) + 1));
        TQCAppProgressWindowController* batch = controller_->progressWindowControllers().last();
        ASSERT_TRUE(pumpUntil([&] { return batch->statusBottom()->text() == u"Finished"_s; }, 2min))
            << batch->statusBottom()->text().toStdString();
    }
};

TEST_F(TQCAppPreferencesGeneralTagsConversionTest, AFreshSettingsFolderCarriesTagsAndCoverFromMp3ToM4a)
{
    const QString mp3 = homePath(u"largo.mp3"_s);
    writeTaggedMp3(mp3);
    load();
    convert({mp3});

    ASSERT_EQ(filesUnder(defaultFolder()), QStringList{u"largo.m4a"_s});
    const M4aTags tags = readM4a(QDir(defaultFolder()).filePath(u"largo.m4a"_s));
    EXPECT_EQ(tags.title, "Largo");
    EXPECT_EQ(tags.artist, "Nora Vale");
    EXPECT_EQ(tags.album, "Paper Boats");
    EXPECT_EQ(tags.track, 3);
    EXPECT_EQ(tags.tracks, 12);
    EXPECT_EQ(tags.cover.size(), QSize(1000, 1000));
    EXPECT_EQ(tags.coverFormat, "png");
}

TEST_F(TQCAppPreferencesGeneralTagsConversionTest, TheTagsPageConvertsAndLimitsArtworkOrStripsEverything)
{
    const QString mp3 = homePath(u"largo.mp3"_s);
    writeTaggedMp3(mp3);
    load();
    auto* tags = openPage<TQCAppPreferencesPanelTags>(u"Tags"_s);
    ASSERT_NE(tags, nullptr);
    tags->artworkFormat()->click();
    tags->artworkFormatPopup()->setCurrentIndex(0); // JPEG
    Q_EMIT tags->artworkFormatPopup()->activated(0);
    tags->artworkSize()->click();
    const int index = tags->artworkSizePopup()->findText(u"300"_s);
    tags->artworkSizePopup()->setCurrentIndex(index);
    Q_EMIT tags->artworkSizePopup()->activated(index);
    TQPreferencesDialogClose();
    convert({mp3});
    const M4aTags converted = readM4a(QDir(defaultFolder()).filePath(u"largo.m4a"_s));
    EXPECT_EQ(converted.title, "Largo");
    EXPECT_EQ(converted.coverFormat, "jpeg");
    EXPECT_EQ(converted.cover.size(), QSize(300, 300));

    tags = openPage<TQCAppPreferencesPanelTags>(u"Tags"_s);
    tags->stripTags()->click();
    TQPreferencesDialogClose();
    QFile::remove(QDir(defaultFolder()).filePath(u"largo.m4a"_s));
    convert({mp3});
    const M4aTags stripped = readM4a(QDir(defaultFolder()).filePath(u"largo.m4a"_s));
    EXPECT_EQ(stripped.title, "");
    EXPECT_EQ(stripped.track, 0);
    EXPECT_TRUE(stripped.cover.isNull());
}

TEST_F(TQCAppPreferencesGeneralTagsConversionTest, PatternsOrganizeAndRenameTheResults)
{
    const QString mp3 = homePath(u"largo.mp3"_s);
    writeTaggedMp3(mp3);
    // Tags that try to climb out of the destination only name folders inside it.
    const QString hostile = homePath(u"Sources/hostile.mp3"_s);
    QDir().mkpath(homePath(u"Sources"_s));
    writeTaggedMp3(hostile, "../../..");
    load();
    auto* general = openPage<TQCAppPreferencesPanelGeneralV2>(u"General"_s, u"destination"_s);
    ASSERT_NE(general, nullptr);
    general->organizeDestinationFolders()->click();
    general->renamedDestinationFiles()->click();
    TQPatternPopUpSetSelected(general->organizeDestinationFoldersPopupButton(), "{{artist}}/{{album}}");
    TQPatternPopUpSetSelected(general->renameDestinationFilesPopupButton(), "{{title}} ({{artist}})");
    general->clickStubWithSaveEditing();
    TQPreferencesDialogClose();
    convert({mp3});
    EXPECT_EQ(filesUnder(defaultFolder()), QStringList{u"Nora Vale/Paper Boats/Largo (Nora Vale).m4a"_s});

    QDir(defaultFolder()).removeRecursively();
    convert({hostile});
    const QStringList results = filesUnder(homePath(QString()));
    const QStringList converted = results.filter(u".m4a"_s);
    ASSERT_EQ(converted.size(), 1) << results.join(u", "_s).toStdString();
    EXPECT_TRUE(converted.first().startsWith(u"Music/Sonvale/"_s)) << converted.first().toStdString();
    EXPECT_FALSE(converted.first().contains(u"../"_s));
}

TEST_F(TQCAppPreferencesGeneralTagsConversionTest, ReplicatedFoldersGetTheirCompanionsAndTheSourcesGoToTheBin)
{
    const QString album = homePath(u"Album Folder"_s);
    QDir().mkpath(album + u"/Disc 1"_s);
    writeToneWav((album + u"/Disc 1/one.wav"_s).toStdString(), {.seconds = 0.3});
    QImage(8, 8, QImage::Format_RGB32).save(album + u"/cover.jpg"_s, "JPEG");
    QFile notes(album + u"/notes.txt"_s);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("liner notes\n");
    notes.close();
    load();
    auto* general = openPage<TQCAppPreferencesPanelGeneralV2>(u"General"_s, u"source"_s);
    ASSERT_NE(general, nullptr);
    general->ccopyImagesAndTexts()->click();
    general->tabView()->setCurrentIndex(1);
    general->replicateDirectoryStructure()->click();
    general->tabView()->setCurrentIndex(2);
    general->moveToTrashSourceFiles()->click();
    TQPreferencesDialogClose();
    convert({album});

    EXPECT_EQ(filesUnder(defaultFolder()), (QStringList{u"Album Folder/Disc 1/one.m4a"_s,
                                                        u"Album Folder/cover.jpg"_s, u"Album Folder/notes.txt"_s}));
    EXPECT_FALSE(QFile::exists(album + u"/Disc 1/one.wav"_s));
    EXPECT_TRUE(QFile::exists(homePath(u".local/share/Trash/files/one.wav"_s)));
}

TEST_F(TQCAppPreferencesGeneralTagsConversionTest, EachPlaylistFormatOfThePopoverWritesItsPlaylist)
{
    const QString wav = homePath(u"tone.wav"_s);
    writeToneWav(wav.toStdString(), {.seconds = 0.3});
    load();
    auto* general = openPage<TQCAppPreferencesPanelGeneralV2>(u"General"_s, u"destination"_s);
    ASSERT_NE(general, nullptr);
    general->createPlaylistButton()->click(); // opens the playlist settings at the link
    QWidget* popover = visibleTopLevelWidget(u"popover"_s);
    ASSERT_NE(popover, nullptr);
    EXPECT_NE(popover->findChild<TQCAppPreferencesPanelGeneralV2PlaylistSettingsView*>(), nullptr);
    popover->close();
    TQPreferencesDialogClose();

    std::unique_ptr<TQCAppPreferencesPanelGeneralV2PlaylistSettingsView> view(
        TQCAppPreferencesPanelGeneralV2PlaylistSettingsView::view());
    view->playlistNameField()->setText(u"Evening"_s);
    view->commitEditing();

    const QString extensions[] = {u"m3u8"_s, u"m3u"_s, u"pls"_s, u"xspf"_s, u"wpl"_s};
    for (int index = 0; index < 5; ++index) {
        SCOPED_TRACE(index);
        view->playlistFormatPopupButton()->setCurrentIndex(index);
        Q_EMIT view->playlistFormatPopupButton()->activated(index);
        QDir(defaultFolder()).removeRecursively();
        convert({wav});
        const QString playlist = QDir(defaultFolder()).filePath(u"Evening."_s + extensions[index]);
        ASSERT_TRUE(QFile::exists(playlist)) << filesUnder(defaultFolder()).join(u", "_s).toStdString();
        QFile file(playlist);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.readAll().contains("tone.m4a"));
    }

    // A name that climbs out of the destination still names a playlist inside it.
    view->playlistNameField()->setText(u"../../Evening"_s);
    view->commitEditing();
    QDir(defaultFolder()).removeRecursively();
    convert({wav});
    const QStringList playlists = filesUnder(homePath(QString())).filter(u"Evening"_s);
    ASSERT_EQ(playlists.size(), 1) << playlists.join(u", "_s).toStdString();
    EXPECT_TRUE(playlists.first().startsWith(u"Music/Sonvale/"_s)) << playlists.first().toStdString();
}

} // namespace
} // namespace sonvale::test
