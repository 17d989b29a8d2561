#include "app/TQCAppDelegate.h"
#include "app/TQCAppMainInterface.h"
#include "app/TQCAppMainWindow.h"
#include "app/TQCAppMainWindowController.h"
#include "app/TQCAppProgressWindowController.h"
#include "platform/tqkit/TQTaskInfoRecord.h"
#include "tests/app/support/MainWindowFixture.h"
#include "tests/app/support/TQKitEngineStandIn.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QWindow>

using namespace Qt::StringLiterals;
using namespace sonvale::test;

namespace {

// The application as it starts: main interface, delegate and launch, driven like a person would.
class TQCAppWholeApplicationTest : public MainWindowFixture {
protected:
    TQCAppWholeApplicationTest()
    {
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

    std::unique_ptr<TQKitAppDelegate> delegate_;
    TQCAppMainWindowController* appController_;
};

TEST_F(TQCAppWholeApplicationTest, ADroppedWavOpensOneProgressWindowForTheDefaultFolder)
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
    settle();
    EXPECT_EQ(progressWindows().size(), 1);
    TQCAppProgressWindowController* batch = appController_->progressWindowControllers().first();
    EXPECT_EQ(batch->srcPaths(), QStringList{wav});
    TQTaskInfoRecord record;
    TQKitConversionListGetTaskInfo(batch->list(), &record);
    EXPECT_EQ(QString::fromStdString(record.destinationFolder), defaultFolder());
    EXPECT_TRUE(QDir(defaultFolder()).exists());
}

TEST_F(TQCAppWholeApplicationTest, QuitWhileConvertingAsksAndThenEndsTheApplication)
{
    delegate_->applicationOpenFiles({makeWav(u"opened.wav"_s)});
    ASSERT_TRUE(pumpUntil([&] { return !appController_->progressWindowControllers().isEmpty(); }));
    TQKitConversionList* list = appController_->progressWindowControllers().first()->list();
    engine::setListState(list, kTQKitListStateConverting);
    TQKitConversionListRetain(list);

    EXPECT_EQ(delegate_->applicationShouldTerminate(), 0);
    ASSERT_TRUE(pumpUntil([&] { return !delegate_->window()->isVisible(); }));
    EXPECT_EQ(scriptedResponder().titles(), QStringList{u"The conversion is in progress"_s});
    EXPECT_TRUE(TQKitConversionListIsStopped(list));
    EXPECT_TRUE(progressWindows().isEmpty());
    EXPECT_TRUE(delegate_->applicationShouldTerminateAfterLastWindowClosed());
    EXPECT_EQ(delegate_->applicationShouldTerminate(), 1);
    TQKitConversionListRelease(list);
}

} // namespace
