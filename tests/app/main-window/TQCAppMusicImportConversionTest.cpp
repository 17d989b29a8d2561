// Import from Music on the real conversion engine: a playlist of the library is converted and the
// results carry the library's tags and artwork, read back with TagLib.

#include "app/controls/TQNSTextFieldLink.h"
#include "app/progress-window/TQCAppProgressWindowController.h"
#include "platform/tqkit/TQKitMusicLibrary.h"
#include "tests/app/support/MainWindowFixture.h"

#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QListWidget>
#include <QProgressBar>

#include <taglib/fileref.h>
#include <taglib/mp4file.h>
#include <taglib/tag.h>
#include <taglib/tpropertymap.h>

#include <fstream>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using namespace sonvale::test;
using nlohmann::json;

namespace {

class TQCAppMusicImportConversionTest : public MainWindowFixture {};

TEST_F(TQCAppMusicImportConversionTest, APlaylistConvertsWithTheLibrarysTagsAndArtwork)
{
    load();
    QDir().mkpath(homePath(u"Library"_s));
    const QString song = makeWav(u"Library/track07.wav"_s);
    QImage cover(64, 64, QImage::Format_RGB32);
    cover.fill(QColor(20, 120, 200));
    ASSERT_TRUE(cover.save(homePath(u"Library/cover.png"_s)));
    const json library = {
        {"tracks",
         {{{"id", "T7"},
           {"location", song.toStdString()},
           {"title", "Morning Tide"},
           {"artist", "Nora Vale"},
           {"album", "Northern Lights"},
           {"trackNumber", "3"},
           {"tracksTotal", 12},
           {"artwork", homePath(u"Library/cover.png"_s).toStdString()}}}},
        {"playlists", {{{"name", "Evening"}, {"tracks", {"T7"}}}}}};
    std::filesystem::create_directories(TQKitMusicLibraryPath().parent_path());
    std::ofstream(TQKitMusicLibraryPath()) << library.dump();

    controller_->importFromMusicAndStartConversionWithWindow(window_.get());
    auto* sheet = window_->findChild<QDialog*>(u"musicPlaylistSheet"_s);
    ASSERT_NE(sheet, nullptr);
    sheet->findChild<QListWidget*>(u"playlists"_s)->setCurrentRow(0);
    sheet->accept();
    ASSERT_TRUE(waitForBatches(1));
    TQCAppProgressWindowController* batch = controller_->progressWindowControllers().first();
    ASSERT_TRUE(pumpUntil([&] { return batch->progressIndicator()->isHidden(); }, 2min));
    EXPECT_TRUE(batch->statusTop()->text().startsWith(u"Converted 1 of 1 file"_s)) << batch->statusTop()->text().toStdString();

    QStringList results;
    for (QDirIterator it(defaultFolder(), {u"*.m4a"_s}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        results.append(it.next());
    ASSERT_EQ(results.size(), 1);
    const std::string file = results.first().toStdString();
    TagLib::MP4::File mp4(file.c_str());
    ASSERT_TRUE(mp4.isValid());
    EXPECT_EQ(mp4.tag()->title().to8Bit(true), "Morning Tide");
    EXPECT_EQ(mp4.tag()->artist().to8Bit(true), "Nora Vale");
    EXPECT_EQ(mp4.properties()["TRACKNUMBER"].toString().to8Bit(true), "3/12");
    ASSERT_TRUE(mp4.tag()->contains("covr"));
    const TagLib::MP4::CoverArtList art = mp4.tag()->item("covr").toCoverArtList();
    ASSERT_EQ(art.size(), 1u);
    QImage embedded;
    ASSERT_TRUE(embedded.loadFromData(reinterpret_cast<const uchar*>(art.front().data().data()),
                                      static_cast<int>(art.front().data().size())));
    EXPECT_EQ(embedded.size(), QSize(64, 64));
}

} // namespace
