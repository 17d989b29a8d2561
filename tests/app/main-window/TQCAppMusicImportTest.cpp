// Import from Music on the main window: the playlist sheet over a library file written by the
// test, dragged tracks, and the message without a library.

#include "app/main-window/TQCAppMainWindowPanelSrcFiles.h"
#include "app/progress-window/TQCAppProgressWindowController.h"
#include "platform/tqkit-ui/TQKitMusicPlaylistSheet.h"
#include "platform/tqkit/TQKitMusicLibrary.h"
#include "platform/tqkit/TQTaskInfoRecord.h"
#include "tests/app/support/MainWindowFixture.h"
#include "tests/app/support/TQKitEngineStandIn.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QWindow>

#include <fstream>

using namespace Qt::StringLiterals;
using namespace sonvale::test;
using nlohmann::json;

namespace {

class TQCAppMusicImportTest : public MainWindowFixture {
protected:
    TQCAppMusicImportTest() { engine::reset(); }

    // A library with the playlist "Road Trip" of two tracks and one whose file is gone.
    void writeLibrary()
    {
        one_ = makeWav(u"one.wav"_s);
        two_ = makeWav(u"two.wav"_s);
        const json library = {
            {"tracks",
             {{{"id", "T1"}, {"location", one_.toStdString()}, {"title", "One"}},
              {{"id", "T2"}, {"location", two_.toStdString()}, {"title", "Two"}},
              {{"id", "T3"}, {"location", homePath(u"gone.wav"_s).toStdString()}}}},
            {"playlists", {{{"name", "Empty"}, {"tracks", json::array()}}, {{"name", "Road Trip"}, {"tracks", {"T2", "T1", "T3"}}}}}};
        std::filesystem::create_directories(TQKitMusicLibraryPath().parent_path());
        std::ofstream(TQKitMusicLibraryPath()) << library.dump();
    }
    QDialog* sheet() const { return window_->findChild<QDialog*>(u"musicPlaylistSheet"_s); }

    QString one_, two_;
};

TEST_F(TQCAppMusicImportTest, ThePlaylistSheetStartsABatchOfItsTracksWithTheirIds)
{
    load();
    writeLibrary();
    controller_->importFromMusicAndStartConversionWithWindow(window_.get());
    ASSERT_NE(sheet(), nullptr);
    EXPECT_TRUE(sheet()->findChild<QWidget*>(u"importFromMusicView"_s));
    auto* playlists = sheet()->findChild<QListWidget*>(u"playlists"_s);
    ASSERT_EQ(playlists->count(), 2);
    playlists->setCurrentRow(1);
    sheet()->accept();

    ASSERT_TRUE(waitForBatches(1));
    TQCAppProgressWindowController* batch = controller_->progressWindowControllers().first();
    EXPECT_EQ(batch->srcPaths(), (QStringList{two_, one_}));
    EXPECT_EQ(batch->tunesTrackSearchDict(), (QVariantMap{{one_, u"T1"_s}, {two_, u"T2"_s}}));
    TQTaskInfoRecord record;
    TQKitConversionListGetTaskInfo(batch->list(), &record);
    EXPECT_EQ(record.secondName, "Road Trip");
}

TEST_F(TQCAppMusicImportTest, CancellingOrAnEmptyPlaylistStartsNothing)
{
    load();
    writeLibrary();
    controller_->importFromMusicAndStartConversionWithWindow(window_.get());
    sheet()->reject();
    pumpEvents(); // the answered sheet goes
    controller_->importFromMusicAndStartConversionWithWindow(window_.get());
    sheet()->findChild<QListWidget*>(u"playlists"_s)->setCurrentRow(0);
    sheet()->accept();
    settle();
    EXPECT_TRUE(controller_->progressWindowControllers().isEmpty());
}

TEST_F(TQCAppMusicImportTest, DraggedTracksConvertWithTheirIds)
{
    load();
    writeLibrary();
    std::unique_ptr<QMimeData> drag(TQKitMusicMakePasteboard(TQKitMusicImportPlaylist(u"Road Trip"_s)));
    TQCAppMainWindowPanelSrcFiles* panel = window_->srcFilesPanel();
    const QPoint where = panel->mapTo(window_.get(), QPoint(40, 40));
    QDragEnterEvent enter(where, Qt::CopyAction, drag.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window_->windowHandle(), &enter);
    QDropEvent drop(where, Qt::CopyAction, drag.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window_->windowHandle(), &drop);

    ASSERT_TRUE(waitForBatches(1));
    TQCAppProgressWindowController* batch = controller_->progressWindowControllers().first();
    EXPECT_EQ(batch->tunesTrackSearchDict(), (QVariantMap{{one_, u"T1"_s}, {two_, u"T2"_s}}));
}

TEST_F(TQCAppMusicImportTest, WithoutALibraryTheButtonSaysSo)
{
    load();
    window_->browseButton()->click();
    ASSERT_EQ(scriptedResponder().titles(), QStringList{u"Music"_s});
    EXPECT_TRUE(scriptedResponder().requests().front().message.startsWith(u"No Music library was found."_s));
    EXPECT_EQ(sheet(), nullptr);
}

} // namespace
