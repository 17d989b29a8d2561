#include "app/controls/TQControlPathPicker.h"
#include "app/main-window/TQCAppMainWindowPanelSrcFiles.h"
#include "app/progress-window/TQCAppProgressWindowController.h"
#include "platform/tqkit/TQAudFormatFlag.h"
#include "platform/tqkit/TQTaskInfoRecord.h"
#include "tests/app/support/MainWindowFixture.h"
#include "tests/app/support/TQKitEngineStandIn.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QWindow>
#include <QMimeData>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using namespace sonvale::test;

namespace {

class TQCAppConversionStartTest : public MainWindowFixture {
protected:
    TQCAppConversionStartTest() { engine::reset(); }

    TQTaskInfoRecord recordOf(TQCAppProgressWindowController* controller)
    {
        TQTaskInfoRecord record;
        TQKitConversionListGetTaskInfo(controller->list(), &record);
        return record;
    }
};

TEST_F(TQCAppConversionStartTest, WaitsLongerForMoreSourcesBetweenAThirdAndThreeSeconds)
{
    const struct {
        qsizetype sources;
        std::chrono::milliseconds delay;
    } cases[] = {{1, 300ms}, {60, 300ms}, {61, 305ms}, {100, 500ms}, {600, 3000ms}, {1000, 3000ms}};
    for (const auto& c : cases)
        EXPECT_EQ(TQCAppMainWindowController::accumulationDelay(c.sources), c.delay) << c.sources << " sources";
}

TEST_F(TQCAppConversionStartTest, RequestsArrivingTogetherStartAsOneBatch)
{
    load();
    QStringList sent;
    for (int i = 0; i < 100; ++i) {
        sent.append(makeWav(u"track%1.wav"_s.arg(i)));
        controller_->startConversionWithFilesAccumulate({sent.last()});
    }
    EXPECT_TRUE(controller_->progressWindowControllers().isEmpty()); // nothing before the quiet time
    ASSERT_TRUE(waitForBatches(1));
    settle();
    ASSERT_EQ(controller_->progressWindowControllers().size(), 1);
    EXPECT_EQ(controller_->progressWindowControllers().first()->srcPaths(), sent);
}

// A mistyped command line or a stale clipboard names a file that is not there: the main window,
// where it was given, says so, and no progress window opens to ask about accepting other files.
TEST_F(TQCAppConversionStartTest, AMissingFileIsReportedOnTheMainWindowAndTheOthersConvert)
{
    load();
    const QString missing = homePath(u"Music/typo.flac"_s);
    controller_->startConversionWithFilesAccumulate({missing});
    ASSERT_TRUE(pumpUntil([] { return !scriptedResponder().requests().isEmpty(); }));
    settle();
    EXPECT_TRUE(controller_->progressWindowControllers().isEmpty());
    ASSERT_EQ(scriptedResponder().titles(), QStringList{u"File does not exist"_s});
    const TQKitAlertRequest& said = scriptedResponder().requests().first();
    EXPECT_EQ(said.parent, window_.get());
    EXPECT_EQ(said.message, u"Could not find source file.\n\n"_s + missing);

    scriptedResponder().reset();
    const QString wav = makeWav(u"there.wav"_s);
    controller_->startConversionWithFiles({missing, wav, u"https://example.org/live.mp3"_s});
    ASSERT_TRUE(waitForBatches(1));
    EXPECT_EQ(controller_->progressWindowControllers().first()->srcPaths(),
              (QStringList{wav, u"https://example.org/live.mp3"_s}));
    EXPECT_EQ(scriptedResponder().titles().first(), u"File does not exist"_s);
}

TEST_F(TQCAppConversionStartTest, ProgressWindowsAreNamedAfterTheirBatchAndCascadeFromTheMainWindow)
{
    load();
    window_->move(40, 30);
    pumpEvents();
    controller_->startConversionWithFiles({makeWav(u"first.wav"_s)});
    ASSERT_TRUE(waitForBatches(1));
    controller_->startConversionWithFiles({makeWav(u"second.wav"_s), makeWav(u"third.wav"_s)});
    ASSERT_TRUE(waitForBatches(2));
    const QWidget* first = controller_->progressWindowControllers().at(0)->window();
    const QWidget* second = controller_->progressWindowControllers().at(1)->window();
    EXPECT_EQ(first->windowTitle(), u"first.wav"_s);
    EXPECT_EQ(second->windowTitle(), u"second.wav and 1 more"_s);
    EXPECT_GT(first->frameGeometry().top(), window_->frameGeometry().bottom()) << "just below the main window";
    EXPECT_EQ(first->frameGeometry().left(), window_->frameGeometry().left());
    EXPECT_EQ(second->pos() - first->pos(), QPoint(24, 24));
}

TEST_F(TQCAppConversionStartTest, CollapsingWhileSourcesWaitKeepsThem)
{
    load();
    const QString wav = makeWav(u"waiting.wav"_s);
    controller_->startConversionWithFilesAccumulate({wav});
    controller_->expandCollapseWindow();
    controller_->expandCollapseWindow();
    ASSERT_TRUE(waitForBatches(1));
    EXPECT_EQ(controller_->progressWindowControllers().first()->srcPaths(), QStringList{wav});
}

TEST_F(TQCAppConversionStartTest, DroppedFileOpensOneProgressWindowWithTheBatchRecord)
{
    load();
    const QString wav = makeWav(u"song.wav"_s);
    const auto drag = fileDrag({wav});
    TQCAppMainWindowPanelSrcFiles* panel = window_->srcFilesPanel();
    // Through the window, as the desktop delivers a drag: enter, then drop, over the panel.
    const QPoint where = panel->mapTo(window_.get(), QPoint(40, 40));
    QDragEnterEvent enter(where, Qt::CopyAction, drag.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window_->windowHandle(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(where, Qt::CopyAction, drag.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window_->windowHandle(), &drop);
    EXPECT_TRUE(drop.isAccepted());

    ASSERT_TRUE(waitForBatches(1));
    TQCAppProgressWindowController* batch = controller_->progressWindowControllers().first();
    EXPECT_EQ(batch->srcPaths(), QStringList{wav});
    EXPECT_TRUE(batch->window()->isVisible());
    EXPECT_EQ(batch->converter(), controller_->converter());
    const TQTaskInfoRecord record = recordOf(batch);
    EXPECT_EQ(QString::fromStdString(record.destinationFolder), defaultFolder());
    EXPECT_EQ(QString::fromStdString(engine::listDestination(batch->list())), defaultFolder());
    EXPECT_EQ(record.formatCode, kTQTaskInfoFormatM4A);
    EXPECT_FALSE(record.asSourceFolder);
    EXPECT_EQ(record.fixedValue, 60);
    EXPECT_TRUE(QFileInfo(defaultFolder()).isDir()); // created on the spot
}

TEST_F(TQCAppConversionStartTest, ChosenFormatAndAsSourceFolderReachTheRecord)
{
    TQAudFormatSelectedWrite(kTQAudFormatMP3);
    load();
    QMenu* menu = controller_->destinationFolder()->popupMenu();
    for (QAction* item : menu->actions()) {
        if (item->text() == u"As Source Folder"_s)
            item->trigger();
    }
    EXPECT_EQ(controller_->destinationFolder()->text(), u"As Source Folder"_s);
    controller_->startConversionWithFiles({makeWav(u"a.wav"_s)});
    ASSERT_TRUE(waitForBatches(1));
    const TQTaskInfoRecord record = recordOf(controller_->progressWindowControllers().first());
    EXPECT_TRUE(record.asSourceFolder);
    EXPECT_EQ(record.formatCode, kTQTaskInfoFormatMP3);
    // With As Source Folder the destination still names the default folder.
    EXPECT_EQ(QString::fromStdString(record.destinationFolder), defaultFolder());
}

TEST_F(TQCAppConversionStartTest, MissingDestinationStopsTheStartWithItsAlert)
{
    load();
    const QString folder = homePath(u"Gone"_s);
    QDir().mkpath(folder);
    ASSERT_TRUE(controller_->destinationFolder()->addAndSelectPath(folder, {}));
    QDir(folder).removeRecursively();
    scriptedResponder().answerTitle(u"Folder does not exist"_s, {kTQKitAlertOtherButton, false});

    controller_->startConversionWithFiles({makeWav(u"a.wav"_s)});
    EXPECT_TRUE(scriptedResponder().requests().isEmpty()); // the alert follows after 0.3 s
    ASSERT_TRUE(pumpUntil([] { return !scriptedResponder().requests().isEmpty(); }));
    const TQKitAlertRequest& alert = scriptedResponder().requests().first();
    EXPECT_EQ(alert.title, u"Folder does not exist"_s);
    EXPECT_EQ(alert.message, u"Selected destination folder does not exist, press Continue to select another folder."_s);
    settle();
    EXPECT_TRUE(controller_->progressWindowControllers().isEmpty());
    EXPECT_EQ(engine::liveListCount(), 0);
}

TEST_F(TQCAppConversionStartTest, FailedEngineStartTellsTheUserAndLeaksNothing)
{
    load();
    const struct {
        const char* what;
        void (*fail)(bool);
    } failures[] = {{"converter", engine::setConverterCreateFails}, {"list", engine::setListCreateFails}};
    for (const auto& failure : failures) {
        engine::reset();
        scriptedResponder().reset();
        failure.fail(true);
        const int listsBefore = engine::liveListCount();
        controller_->startConversionWithFiles({makeWav(u"a.wav"_s)});
        ASSERT_TRUE(pumpUntil([] { return !scriptedResponder().requests().isEmpty(); })) << failure.what;
        EXPECT_EQ(scriptedResponder().requests().first().title, u"Conversion cannot start"_s) << failure.what;
        EXPECT_TRUE(controller_->progressWindowControllers().isEmpty()) << failure.what;
        EXPECT_EQ(engine::liveListCount(), listsBefore) << failure.what;
    }
    // Once the engine starts again, so do batches.
    engine::reset();
    controller_->startConversionWithFiles({makeWav(u"a.wav"_s)});
    EXPECT_TRUE(waitForBatches(1));
}

TEST_F(TQCAppConversionStartTest, ProgressWindowsAreKeptUntilTheyClose)
{
    load();
    controller_->startConversionWithFiles({makeWav(u"a.wav"_s)});
    controller_->startConversionWithFiles({makeWav(u"b.wav"_s)});
    ASSERT_TRUE(waitForBatches(2));
    auto* first = controller_->progressWindowControllers().at(0);
    auto* second = controller_->progressWindowControllers().at(1);
    controller_->progressWindowControllerRegister(first); // never twice
    EXPECT_EQ(controller_->progressWindowControllers().size(), 2);

    engine::setListState(first->list(), TQKitConversionList::Finished);
    engine::setListState(second->list(), TQKitConversionList::Converting);
    EXPECT_EQ(controller_->progressWindowControllerUnfinished(), second);

    TQKitConversionList* list = second->list();
    EXPECT_EQ(engine::referenceCount(list), 1); // the window's, taken over from the start
    second->window()->close(); // asks first, then stops the batch and closes
    ASSERT_TRUE(pumpUntil([&] { return controller_->progressWindowControllers().size() == 1; }));
    EXPECT_EQ(scriptedResponder().titles(), QStringList{u"Stop conversion"_s});
    EXPECT_EQ(controller_->progressWindowControllers(), QList<TQCAppProgressWindowController*>{first});
    EXPECT_EQ(controller_->progressWindowControllerUnfinished(), nullptr);
    // The closed window goes with a deferred delete, and its list with it.
    EXPECT_TRUE(pumpUntil([] { return engine::liveListCount() == 1; })) << engine::liveListCount();
}

TEST_F(TQCAppConversionStartTest, PlaylistNamesLoseLeadingDotsAndSeparators)
{
    const struct {
        QVariant given;
        QString prepared;
    } cases[] = {{u"...Live at Home"_s, u"Live at Home"_s},
                 {u"..."_s, u"Sonvale"_s},
                 {u"AC/DC Best"_s, u"AC-DC Best"_s},
                 {QVariant(42), u"Sonvale"_s},
                 {QVariant(), u"Sonvale"_s}};
    for (const auto& c : cases)
        EXPECT_EQ(TQCAppMainWindowController::startConversionImplPreprocessPlaylistName(c.given), c.prepared);
}

} // namespace
