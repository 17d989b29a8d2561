// The whole application on the real conversion engine: main interface, delegate and launch,
// driven like a person would, with the conversion services started next to this executable.

#include "app/controls/TQNSTextFieldLink.h"
#include "app/launch/TQCAppDelegate.h"
#include "app/launch/TQCAppMainInterface.h"
#include "app/main-window/TQCAppMainWindow.h"
#include "app/main-window/TQCAppMainWindowController.h"
#include "app/progress-window/TQCAppProgressWindowBackground.h"
#include "app/progress-window/TQCAppProgressWindowController.h"
#include "app/progress-window/TQCAppProgressWindowPrompts.h"
#include "app/progress-window/TQCAppProgressWindowTableCellViewStatus.h"
#include "app/progress-window/TQCAppProgressWindowTableDataRecord.h"
#include "app/progress-window/TQCAppProgressWindowTableView.h"
#include "platform/engine/TQKitConversionList.h"
#include "platform/engine/TQKitConverter.h"
#include "platform/tqkit-ui/TQKitMenu.h"
#include "platform/tqkit/TQKitSettings.h"
#include "platform/tqkit/TQTaskInfoRecord.h"
#include "tests/app/support/MainWindowFixture.h"
#include "tests/app/support/ProgressWindowTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QUrl>
#include <QWindow>

#include <ctime>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using namespace sonvale::test;

namespace {

class TQCAppWholeApplicationTest : public MainWindowFixture {
protected:
    TQCAppWholeApplicationTest()
    {
        // The generated files carry no artwork; the offer to look it up was declined for today.
        TQKitSettingWriteInt64("TQCSettingConfirmation", TQCAppProgressWindowPrompts::kLoadArtworksKey,
                               static_cast<int64_t>(std::time(nullptr)));
        delegate_ = TQCAppLoadMainInterface();
        delegate_->window()->show();
        delegate_->applicationDidFinishLaunching();
        pumpEvents();
        appController_ = static_cast<TQCAppDelegate*>(delegate_.get())->mainWindowController();
    }

    QList<QWidget*> progressWindows() const
    {
        QList<QWidget*> windows;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == u"progressWindow"_s && widget->isVisible())
                windows.append(widget);
        }
        return windows;
    }

    QStringList defaultFolderFiles() const { return QDir(defaultFolder()).entryList(QDir::Files | QDir::Hidden); }

    std::unique_ptr<TQKitAppDelegate> delegate_;
    TQCAppMainWindowController* appController_;
};

TEST_F(TQCAppWholeApplicationTest, ADroppedWavIsConvertedIntoTheDefaultFolderAndItsWindowSaysSo)
{
    QWidget* window = delegate_->window();
    const QString wav = makeWav(u"dropped.wav"_s);
    const auto drag = fileDrag({wav});
    const QPoint where(window->width() / 2, 60);
    QDragEnterEvent enter(where, Qt::CopyAction, drag.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window->windowHandle(), &enter);
    QDropEvent drop(where, Qt::CopyAction, drag.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window->windowHandle(), &drop);
    ASSERT_TRUE(drop.isAccepted());

    ASSERT_TRUE(pumpUntil([&] { return !progressWindows().isEmpty(); }));
    ASSERT_EQ(appController_->progressWindowControllers().size(), 1);
    TQCAppProgressWindowController* batch = appController_->progressWindowControllers().first();
    EXPECT_EQ(batch->srcPaths(), QStringList{wav});
    TQTaskInfoRecord record;
    TQKitConversionListGetTaskInfo(batch->list(), &record);
    EXPECT_EQ(QString::fromStdString(record.destinationFolder), defaultFolder());

    ASSERT_TRUE(pumpUntil([&] { return batch->statusBottom()->text() == u"Finished"_s; }, 2min));
    EXPECT_EQ(progressWindows().size(), 1);
    EXPECT_EQ(defaultFolderFiles(), QStringList{u"dropped.m4a"_s});
    EXPECT_EQ(batch->statusTop()->text(), u"Converted 1 of 1 file to \"Sonvale\""_s);
    ASSERT_EQ(batch->tableView()->rowCount(), 1);
    auto* cell = qobject_cast<TQCAppProgressWindowTableCellViewStatus*>(batch->tableView()->cellView(0, 1));
    ASSERT_NE(cell, nullptr);
    EXPECT_FALSE(cell->objectValue()->completionStatusName().isEmpty());
    EXPECT_EQ(cell->textField()->text(), cell->objectValue()->completionStatusName());
    EXPECT_TRUE(scriptedResponder().requests().isEmpty());

    EXPECT_FALSE(saveScreenshot(batch->window(), u"app-progress-window-finished"_s).empty());
    EXPECT_FALSE(saveScreenshot(window, u"app-main-window-expanded"_s).empty());
    appController_->setCollapsed(true, false);
    pumpEvents();
    EXPECT_FALSE(saveScreenshot(window, u"app-main-window-collapsed"_s).empty());
}

TEST_F(TQCAppWholeApplicationTest, FilesDroppedOrPastedOnAProgressWindowAreConvertedAsNewBatches)
{
    const auto finished = [](TQCAppProgressWindowController* batch) {
        return batch->statusBottom()->text() == u"Finished"_s;
    };
    delegate_->applicationOpenFiles({makeWav(u"first.wav"_s)});
    ASSERT_TRUE(pumpUntil([&] { return appController_->progressWindowControllers().size() == 1; }));
    TQCAppProgressWindowController* first = appController_->progressWindowControllers().first();
    ASSERT_TRUE(pumpUntil([&] { return finished(first); }, 2min));

    // A drop anywhere on the window, here over its table, goes to the window's background.
    QWidget* window = first->window();
    const QString dropped = makeWav(u"dropped.wav"_s);
    const auto drag = fileDrag({dropped});
    const QPoint where = first->tableView()->mapTo(window, first->tableView()->rect().center());
    QDragEnterEvent enter(where, Qt::CopyAction, drag.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window->windowHandle(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    EXPECT_EQ(first->srcFilesPanel()->currentPanelColor(), first->srcFilesPanel()->backgroundHighlightColor());
    EXPECT_FALSE(saveScreenshot(window, u"app-progress-window-drop-hover"_s).empty());
    QDropEvent drop(where, Qt::CopyAction, drag.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window->windowHandle(), &drop);
    ASSERT_TRUE(drop.isAccepted());
    ASSERT_TRUE(pumpUntil([&] { return appController_->progressWindowControllers().size() == 2; }));
    TQCAppProgressWindowController* second = appController_->progressWindowControllers().last();
    EXPECT_EQ(second->srcPaths(), QStringList{dropped});
    ASSERT_TRUE(pumpUntil([&] { return finished(second); }, 2min));

    // Paste from the first window's menu.
    const QString pasted = makeWav(u"pasted.wav"_s);
    auto* clip = new QMimeData;
    clip->setUrls({QUrl::fromLocalFile(pasted)});
    QApplication::clipboard()->setMimeData(clip);
    QAction* paste = nullptr;
    for (QAction* item : first->ctxmenu()->actions()) {
        if (TQKitMenuItemAction(item) == "paste:")
            paste = item;
    }
    ASSERT_NE(paste, nullptr);
    ASSERT_TRUE(first->validateMenuItem(paste));
    paste->trigger();
    ASSERT_TRUE(pumpUntil([&] { return appController_->progressWindowControllers().size() == 3; }));
    TQCAppProgressWindowController* third = appController_->progressWindowControllers().last();
    EXPECT_EQ(third->srcPaths(), QStringList{pasted});
    ASSERT_TRUE(pumpUntil([&] { return finished(third); }, 2min));

    EXPECT_EQ(defaultFolderFiles(), (QStringList{u"dropped.m4a"_s, u"first.m4a"_s, u"pasted.m4a"_s}));
    EXPECT_TRUE(scriptedResponder().requests().isEmpty());
}

TEST_F(TQCAppWholeApplicationTest, QuitWhileConvertingAsksThenStopsTheConversionAndEndsTheApplication)
{
    const QString wav = homePath(u"long.wav"_s);
    writeWav(wav.toStdString(), 300.0); // long enough to be converting still when the quit comes
    delegate_->applicationOpenFiles({wav});
    ASSERT_TRUE(pumpUntil([&] { return !appController_->progressWindowControllers().isEmpty(); }));
    TQKitConversionList* list = appController_->progressWindowControllers().first()->list();
    TQKitConversionListRetain(list);
    ASSERT_TRUE(pumpUntil([&] {
        return appController_->converter() && TQKitConverterProcessCount(appController_->converter()) > 0;
    }));
    EXPECT_FALSE(saveScreenshot(appController_->progressWindowControllers().first()->window(),
                                u"app-progress-window-converting"_s)
                     .empty());

    EXPECT_EQ(delegate_->applicationShouldTerminate(), 0);
    ASSERT_TRUE(pumpUntil([&] { return !delegate_->window()->isVisible(); }, 1min));
    EXPECT_EQ(scriptedResponder().titles(), QStringList{u"The conversion is in progress"_s});
    EXPECT_TRUE(progressWindows().isEmpty());
    EXPECT_EQ(appController_->converter(), nullptr); // gone, with every conversion it ran
    EXPECT_TRUE(TQKitConversionListIsStopped(list));
    EXPECT_EQ(TQKitConversionListSucceededCount(list), 0u);
    EXPECT_TRUE(defaultFolderFiles().isEmpty()) << defaultFolderFiles().join(u", "_s).toStdString();
    EXPECT_TRUE(delegate_->applicationShouldTerminateAfterLastWindowClosed());
    EXPECT_EQ(delegate_->applicationShouldTerminate(), 1);
    TQKitConversionListRelease(list);
}

} // namespace
