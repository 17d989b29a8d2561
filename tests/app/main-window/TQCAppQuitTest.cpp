#include "app/controls/TQControlPathPicker.h"
#include "app/main-window/TQCAppMainWindowPanelSrcFiles.h"
#include "app/main-window/TQCAppMainWindowWaitingController.h"
#include "app/progress-window/TQCAppProgressWindowController.h"
#include "platform/tqkit-ui/TQKitWindowSheet.h"
#include "platform/tqkit/TQKitSettings.h"
#include "tests/app/support/MainWindowFixture.h"
#include "tests/app/support/TQKitEngineStandIn.h"

#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include <ctime>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using namespace sonvale::test;

namespace {

class TQCAppQuitTest : public MainWindowFixture {
protected:
    TQCAppQuitTest() { engine::reset(); }

    // Starts one batch and keeps a reference to its list, so the test can look at it after the
    // window has let it go. The list reports `state`.
    TQKitConversionList* startBatch(int state)
    {
        const qsizetype before = controller_->progressWindowControllers().size();
        controller_->startConversionWithFiles({makeWav(u"a.wav"_s)});
        EXPECT_TRUE(waitForBatches(static_cast<int>(before) + 1));
        TQKitConversionList* list = controller_->progressWindowControllers().last()->list();
        engine::setListState(list, state);
        TQKitConversionListRetain(list);
        kept_.append(list);
        return list;
    }

    void TearDown() override
    {
        for (TQKitConversionList* list : kept_)
            TQKitConversionListRelease(list);
    }

    QList<TQKitConversionList*> kept_;
};

TEST_F(TQCAppQuitTest, QuitWithNothingOpenEndsAtOnce)
{
    load();
    startBatch(TQKitConversionList::Finished);
    controller_->progressWindowControllers().first()->close();
    EXPECT_EQ(controller_->closeAndRequestQuitApp(nullptr), 1);
    EXPECT_TRUE(controller_->appQuitInProgress());
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(engine::liveConverterCount(), 0);
    EXPECT_TRUE(scriptedResponder().requests().isEmpty());
}

TEST_F(TQCAppQuitTest, QuitWhileConvertingAsksThenStopsTheConversionAndQuits)
{
    load();
    TQKitConversionList* list = startBatch(TQKitConversionList::Converting);
    const QPointer<QWidget> progressWindow = controller_->progressWindowControllers().first()->window();

    EXPECT_EQ(controller_->closeAndRequestQuitApp(nullptr), 0); // answered later, by the question
    ASSERT_TRUE(pumpUntil([&] { return !window_->isVisible(); }));
    ASSERT_EQ(scriptedResponder().requests().size(), 1);
    const TQKitAlertRequest& question = scriptedResponder().requests().first();
    EXPECT_EQ(question.title, u"The conversion is in progress"_s);
    EXPECT_EQ(question.message,
              u"Are you sure you want to stop the conversion, close all windows and exit the application?"_s);
    EXPECT_EQ(question.flags, 16);
    EXPECT_TRUE(controller_->appQuitInProgress());
    EXPECT_TRUE(TQKitConversionListIsStopped(list));
    EXPECT_TRUE(!progressWindow || !progressWindow->isVisible());
    EXPECT_TRUE(controller_->progressWindowControllers().isEmpty());
    EXPECT_EQ(engine::liveConverterCount(), 0);
    // Only the test's own reference is left, once the closed progress window has let its list go
    // (a turn of the event loop later, which a loaded machine may delay).
    EXPECT_TRUE(pumpUntil([&] { return engine::referenceCount(list) == 1; }));

    // Sources that arrive now are dropped.
    controller_->startConversionWithFiles({makeWav(u"late.wav"_s)});
    settle();
    EXPECT_TRUE(controller_->progressWindowControllers().isEmpty());
}

TEST_F(TQCAppQuitTest, DecliningTheQuestionKeepsEverything)
{
    load();
    TQKitConversionList* list = startBatch(TQKitConversionList::Converting);
    scriptedResponder().answerTitle(u"The conversion is in progress"_s, {kTQKitQuestionDeclined, false});
    EXPECT_EQ(controller_->closeAndRequestQuitApp(nullptr), 0);
    settle();
    EXPECT_FALSE(controller_->appQuitInProgress());
    EXPECT_TRUE(window_->isVisible());
    EXPECT_FALSE(TQKitConversionListIsStopped(list));
    EXPECT_EQ(controller_->progressWindowControllers().size(), 1);
}

TEST_F(TQCAppQuitTest, QuitWithFinishedWindowsAsksToCloseThem)
{
    load();
    startBatch(TQKitConversionList::Finished);
    EXPECT_EQ(controller_->closeAndRequestQuitApp(nullptr), 0);
    ASSERT_TRUE(pumpUntil([&] { return !window_->isVisible(); }));
    EXPECT_EQ(scriptedResponder().titles(), QStringList{u"Close all windows and exit"_s});
}

TEST_F(TQCAppQuitTest, QuitWaitsForConversionProcessesWithTheWaitingSheet)
{
    load();
    startBatch(TQKitConversionList::Converting);
    engine::setProcessCount(2);
    controller_->closeAndRequestQuitApp(nullptr);
    ASSERT_TRUE(pumpUntil([&] { return controller_->waitingController() != nullptr; }));
    EXPECT_TRUE(controller_->waitingController()->isSheetActive());
    EXPECT_EQ(controller_->waitingController()->topLabel()->text(), u"Waiting for completion of 2 processes..."_s);
    EXPECT_TRUE(window_->isVisible());
    EXPECT_FALSE(window_->srcFilesPanel()->draggingEnabled());
    EXPECT_FALSE(saveScreenshot(window_->findChild<QDialog*>(u"waitingSheet"_s), u"waiting-sheet"_s).empty());

    engine::setProcessCount(1);
    ASSERT_TRUE(pumpUntil([&] {
        return controller_->waitingController()->topLabel()->text() == u"Waiting for completion of 1 process..."_s;
    }));
    engine::setProcessCount(0);
    ASSERT_TRUE(pumpUntil([&] { return !window_->isVisible(); }));
    EXPECT_EQ(controller_->waitingController(), nullptr);
    EXPECT_EQ(engine::liveConverterCount(), 0);
}

TEST_F(TQCAppQuitTest, AStalledConversionGetsAQuitNowWayOut)
{
    load();
    startBatch(TQKitConversionList::Converting);
    engine::setProcessCount(1);
    controller_->closeAndQuitApp();
    for (int tick = 1; tick < TQCAppMainWindowController::kWaitTicksBeforeQuitNow; ++tick)
        controller_->waitForCloseTimerProc();
    ASSERT_NE(controller_->waitingController(), nullptr);
    QPushButton* quitNow = controller_->waitingController()->quitNowButton();
    EXPECT_TRUE(quitNow->isHidden());
    controller_->waitForCloseTimerProc();
    EXPECT_FALSE(quitNow->isHidden());

    quitNow->click();
    ASSERT_TRUE(pumpUntil([&] { return !window_->isVisible(); }));
    EXPECT_EQ(engine::liveConverterCount(), 0);
}

TEST_F(TQCAppQuitTest, QuitIsRefusedWhileTheMainWindowShowsASheet)
{
    load();
    scriptedResponder().holdAnswers(true);
    controller_->destinationFolder()->browseAndSelectPath();
    ASSERT_TRUE(TQKitWindowHasSheet(window_.get()));
    EXPECT_EQ(controller_->closeAndRequestQuitApp(nullptr), 0);
    EXPECT_FALSE(controller_->appQuitInProgress());
    TQKitWindowEndSheet(window_.get(), 0);
}

TEST_F(TQCAppQuitTest, CloseAllWithOnlyTheMainWindowClosesItWithoutAQuestion)
{
    load();
    ASSERT_TRUE(controller_->closeAllCustomAccessible());
    controller_->closeAllCustom(nullptr);
    EXPECT_FALSE(window_->isVisible());
    EXPECT_TRUE(scriptedResponder().requests().isEmpty());
    EXPECT_FALSE(controller_->appQuitInProgress());
}

TEST_F(TQCAppQuitTest, CloseAllWhileConvertingAsksAndStopsTheConversion)
{
    load();
    TQKitConversionList* list = startBatch(TQKitConversionList::Converting);
    controller_->closeAllCustom(nullptr);
    ASSERT_TRUE(pumpUntil([&] { return !window_->isVisible(); }));
    EXPECT_EQ(scriptedResponder().titles(), QStringList{u"The conversion is in progress"_s});
    EXPECT_EQ(scriptedResponder().requests().first().message,
              u"Are you sure you want to stop the conversion and close all windows?"_s);
    EXPECT_TRUE(TQKitConversionListIsStopped(list));
    EXPECT_TRUE(controller_->progressWindowControllers().isEmpty());
    EXPECT_FALSE(controller_->appQuitInProgress());
}

TEST_F(TQCAppQuitTest, CloseAllConfirmedWithTheCheckBoxIsNotAskedForAWeek)
{
    load();
    startBatch(TQKitConversionList::Finished);
    scriptedResponder().answerTitle(u"Close all windows"_s, {kTQKitQuestionConfirmed, true});
    controller_->closeAllCustom(nullptr);
    ASSERT_TRUE(pumpUntil([&] { return !window_->isVisible(); }));
    ASSERT_EQ(scriptedResponder().titles(), QStringList{u"Close all windows"_s});
    EXPECT_EQ(scriptedResponder().requests().first().flags, 17); // with the check box
    const long long stored = std::stoll(TQKitSettingReadText("TQCSettingConfirmation", "TQCMainWindowCloseAll", ""));
    EXPECT_LE(std::llabs(stored - static_cast<long long>(std::time(nullptr))), 5);

    window_->show();
    startBatch(TQKitConversionList::Finished);
    scriptedResponder().reset();
    controller_->closeAllCustom(nullptr);
    EXPECT_FALSE(window_->isVisible());
    EXPECT_TRUE(scriptedResponder().requests().isEmpty());
}

} // namespace
