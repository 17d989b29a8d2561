#include "app/progress-window/TQCAppProgressWindowController.h"

#include "app/controls/TQNSTextFieldLink.h"
#include "app/progress-window/TQCAppProgressWindowBackground.h"
#include "app/progress-window/TQCAppProgressWindowConvertWorker.h"
#include "app/progress-window/TQCAppProgressWindowPrompts.h"
#include "app/progress-window/TQCAppProgressWindowTableView.h"
#include "platform/tqkit-ui/TQKitMenu.h"
#include "platform/tqkit-ui/TQKitWindowSheet.h"
#include "platform/tqkit/TQKitSettings.h"
#include "platform/tqkit/TQTaskInfoRecord.h"
#include "tests/app/progress-window/ProgressWindowFixture.h"
#include "tests/app/support/TQKitEngineStandIn.h"
#include "tests/support/QtTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QMenu>
#include <QMimeData>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>

#include <cmath>
#include <filesystem>
#include <limits>
#include <thread>

using namespace Qt::StringLiterals;
namespace engine = sonvale::test::engine;

namespace sonvale::test {
namespace {

// What the window shows, to tell whether a callback changed anything.
struct Shown {
    QString top, bottom, title;
    int barMinimum = 0, barMaximum = 0, barValue = 0;
    bool operator==(const Shown&) const = default;
};

Shown shownBy(const TQCAppProgressWindowController& controller)
{
    const QProgressBar* bar = controller.progressIndicator();
    return {controller.statusTop()->text(), controller.statusBottom()->text(), controller.window()->windowTitle(),
            bar->minimum(), bar->maximum(), bar->value()};
}

using ProgressWindowControllerTest = ProgressWindowFixture;

TEST(ProgressWindowTitleTest, AWindowIsNamedAfterItsBatch)
{
    const struct {
        QStringList sources;
        QString title;
    } cases[] = {
        {{u"/home/ann/Music/Album"_s}, u"Album"_s},
        {{u"/home/ann/Music/one.flac"_s, u"/home/ann/two.wav"_s, u"/tmp/three.wav"_s}, u"one.flac and 2 more"_s},
        {{u"https://example.org/live/set.mp3"_s}, u"set.mp3"_s},
        {{u"https://example.org/"_s}, u"example.org"_s},
        {{u"file:///home/ann/Music/four.aiff"_s}, u"four.aiff"_s},
        {{}, u"Sonvale"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TQCAppProgressWindowController::batchTitle(c.sources), c.title) << c.sources.join(u' ').toStdString();
}

TEST_F(ProgressWindowControllerTest, StartsTheWorkerAfterCreationAndHandsTheListToTheConverter)
{
    auto controller = openWindow({addSource("one.wav"), addSource("two.wav")});
    EXPECT_TRUE(controller->window()->isVisible());
    ASSERT_TRUE(waitUntilStarted(*controller));
    EXPECT_EQ(controller->tableView()->rowCount(), 2);
    EXPECT_EQ(controller->statusTop()->text(), u"Starting Conversion..."_s);
    EXPECT_TRUE(scriptedResponder().requests().isEmpty());
    EXPECT_TRUE(pumpUntil([] { return TQCAppProgressWindowConvertWorker::runningCount() == 0; }));
}

// At a larger font the window opens wide enough to show a usual status line whole.
TEST_F(ProgressWindowControllerTest, AtElevenPointsAUsualStatusLineFitsTheWindow)
{
    const ScreenshotLookScope elevenPoints({false, true});
    auto controller = openWindow({addSource("one.wav")});
    ASSERT_TRUE(waitUntilStarted(*controller));
    pumpEvents();
    const TQNSTextFieldLink* line = controller->statusBottom();
    EXPECT_GE(line->width(), line->fontMetrics().horizontalAdvance(u"999.9 MB of 999.9 MB - About 59 minutes remaining"_s));
    EXPECT_LE(line->geometry().right(), controller->window()->width());
}

TEST_F(ProgressWindowControllerTest, CallbackTypesRenderAsTheTableSays)
{
    auto controller = openWindow({addSource("one.wav"), addSource("two.wav")});
    ASSERT_TRUE(waitUntilStarted(*controller));
    TQKitConversionList* list = controller->list();
    const QString dest = u"Converted"_s;

    double half = 0.5, quarter = 0.25;
    int32_t waiting = 1, converting = 2;
    char top[] = "Top text", bottom[] = "Bottom text", defaultText[] = "DeFault";
    TQKitTitleRecord titleRecord{"/music/a.wav", "Album title", "", 0};
    struct Case {
        const char* what;
        int32_t listState;
        uint32_t type;
        void* data;
        int answer;
        std::function<void(const Shown&)> check;
    } cases[] = {
        {"1 accepts every file", 2, 1, top, 1, {}},
        {"2 waiting", 1, 2, &waiting, 1,
         [&](const Shown& s) {
             EXPECT_EQ(s.top, u"Converting 2 files to \"%1\""_s.arg(dest));
             EXPECT_EQ(s.bottom, u"Waiting"_s);
             EXPECT_EQ(s.barMaximum, 0);
         }},
        {"3 converting", 2, 3, &converting, 1,
         [](const Shown& s) {
             EXPECT_EQ(s.bottom, QString());
             EXPECT_EQ(s.barMaximum, 1000);
         }},
        {"0 progress while converting", 2, 0, &half, 1,
         [](const Shown& s) {
             EXPECT_EQ(s.barValue, 500);
             EXPECT_EQ(s.bottom, u"1.0 MB of 4.0 MB - About 12 seconds remaining"_s);
         }},
        {"4 top line", 2, 4, nullptr, 1,
         [&](const Shown& s) { EXPECT_EQ(s.top, u"Converting 2 files to \"%1\""_s.arg(dest)); }},
        {"6 value", 2, 6, &quarter, 1, [](const Shown& s) { EXPECT_EQ(s.barValue, 250); }},
        {"7 indeterminate on", 2, 7, nullptr, 1, [](const Shown& s) { EXPECT_EQ(s.barMaximum, 0); }},
        {"8 indeterminate off", 2, 8, nullptr, 1, [](const Shown& s) { EXPECT_EQ(s.barMaximum, 1000); }},
        {"9 top text", 2, 9, top, 1, [](const Shown& s) { EXPECT_EQ(s.top, u"Top text"_s); }},
        {"9 default in any case", 2, 9, defaultText, 1,
         [](const Shown& s) { EXPECT_EQ(s.top, u"Searching for audio and video files..."_s); }},
        {"10 bottom text", 2, 10, bottom, 1, [](const Shown& s) { EXPECT_EQ(s.bottom, u"Bottom text"_s); }},
        {"14 waiting", 2, 14, nullptr, 1, [](const Shown& s) { EXPECT_EQ(s.bottom, u"Waiting"_s); }},
        {"15 title", 2, 15, &titleRecord, 1, [](const Shown& s) { EXPECT_EQ(s.title, u"Album title"_s); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        engine::setListState(list, c.listState);
        const Shown before = shownBy(*controller);
        EXPECT_EQ(engine::notify(list, c.type, c.data), c.answer);
        pumpEvents(); // the title is set through the event loop
        if (c.check)
            c.check(shownBy(*controller));
        else
            EXPECT_EQ(shownBy(*controller), before);
    }

    // Progress outside the converting state and the ignored types change nothing.
    engine::setListState(list, waiting);
    for (uint32_t type : {0u, 5u, 16u, 17u, 18u, 100u}) {
        SCOPED_TRACE(type);
        const Shown before = shownBy(*controller);
        TQKitTagList tags;
        EXPECT_EQ(engine::notify(list, type, type == 0 ? static_cast<void*>(&half) : &tags), 1);
        pumpEvents();
        EXPECT_EQ(shownBy(*controller), before);
    }
}

TEST_F(ProgressWindowControllerTest, DownloadSizeAndConnectionTextsShowOnEveryFifthCall)
{
    auto controller = openWindow({addSource("one.wav")});
    ASSERT_TRUE(waitUntilStarted(*controller));
    TQKitConversionList* list = controller->list();

    double downloaded = 2'000'000;
    char server[] = "radio.example";
    QStringList shown;
    for (int call = 0; call < 11; ++call) {
        controller->setStatusBottomWithString(u"-"_s);
        const uint32_t type = 11 + call % 3;
        engine::notify(list, type, type == 11 ? static_cast<void*>(&downloaded) : server);
        shown.append(controller->statusBottom()->text());
    }
    // Calls 1, 6 and 11 after the reset: types 11, 13 and 12.
    EXPECT_EQ(shown.at(0), u"Downloading - 2.0 MB"_s);
    EXPECT_EQ(shown.at(5), u"Connecting to radio.example"_s);
    EXPECT_EQ(shown.at(10), u"Calculating size - 4.0 MB"_s);
    EXPECT_EQ(shown.count(u"-"_s), 8);

    // A byte count that is not a number or below zero shows as nothing downloaded.
    for (double bad : {std::numeric_limits<double>::quiet_NaN(), -5.0}) {
        controller->resetSuppressCounter();
        engine::notify(list, 11, &bad);
        EXPECT_EQ(controller->statusBottom()->text(), u"Downloading - 0 bytes"_s);
    }
}

TEST_F(ProgressWindowControllerTest, CallsFromAnEngineThreadReachTheWindowOnTheMainThread)
{
    auto controller = openWindow({addSource("one.wav")});
    ASSERT_TRUE(waitUntilStarted(*controller));
    TQKitConversionList* list = controller->list();
    char text[] = "From the engine";
    std::thread([list, &text] { engine::notify(list, 10, text); }).join();
    EXPECT_TRUE(pumpUntil([&] { return controller->statusBottom()->text() == u"From the engine"_s; }));
}

TEST_F(ProgressWindowControllerTest, EveryCallAnswersZeroAfterTheListIsInvalidated)
{
    auto controller = openWindow({addSource("one.wav")});
    ASSERT_TRUE(waitUntilStarted(*controller));
    TQKitConversionList* list = controller->list();
    TQKitConversionListRetain(list); // the test's own hold, to call the list afterwards

    // An engine thread keeps calling while the window lets go; no call may reach it afterwards.
    std::atomic<bool> running{true};
    std::thread engineThread([list, &running] {
        double value = 0.5;
        while (running)
            engine::notify(list, 6, &value);
    });
    controller->invalidateConversionList();
    running = false;
    engineThread.join();

    const Shown before = shownBy(*controller);
    int32_t finished = 4;
    double value = 0.75;
    char text[] = "late";
    for (uint32_t type = 0; type <= 18; ++type) {
        SCOPED_TRACE(type);
        void* data = type == 2 || type == 3 ? static_cast<void*>(&finished) : type == 9 || type == 10 ? static_cast<void*>(text) : &value;
        EXPECT_EQ(TQProgressWindowListCallback(type, data, controller.get()), 0);
    }
    // The engine no longer calls the window at all.
    EXPECT_EQ(engine::notify(list, 10, text), -1);
    pumpEvents();
    EXPECT_EQ(shownBy(*controller), before);
    TQKitConversionListRelease(list);
}

TEST_F(ProgressWindowControllerTest, QueuedCallsOfADestroyedWindowAreDropped)
{
    auto controller = openWindow({addSource("one.wav")});
    ASSERT_TRUE(waitUntilStarted(*controller));
    TQKitConversionList* list = controller->list();
    char text[] = "after the window";
    std::thread([list, &text] { engine::notify(list, 10, text); }).join();
    controller.reset(); // the queued status change is still pending
    pumpEvents();
    SUCCEED();
}

TEST_F(ProgressWindowControllerTest, FinishedStateShowsTheSummaryOnce)
{
    auto controller = openWindow({addSource("one.wav")});
    ASSERT_TRUE(waitUntilStarted(*controller));
    TQKitConversionList* list = controller->list();
    TQKitConversionListItem* item = engine::items(list).front();
    engine::completeItem(item, "one.mp3", 0x42, (destination() / "one.mp3").string());

    int32_t finished = 4;
    engine::setListState(list, finished);
    engine::notify(list, 2, &finished);
    EXPECT_EQ(controller->statusTop()->text(), u"Converted 1 of 1 file to \"Converted\""_s);
    EXPECT_EQ(controller->statusBottom()->text(), u"Finished"_s);
    EXPECT_TRUE(controller->statusTop()->hyperLinkEnabled());
    EXPECT_FALSE(controller->stopButtonView()->isVisible());
    EXPECT_FALSE(controller->progressIndicator()->isVisible());

    // A second report of the finished state leaves the window as it is.
    controller->setStatusTopWithString(u"Changed since"_s);
    engine::notify(list, 3, &finished);
    EXPECT_EQ(controller->statusTop()->text(), u"Changed since"_s);
}

TEST_F(ProgressWindowControllerTest, FinishedWithoutSuccessSaysWhy)
{
    auto controller = openWindow({addSource("one.wav"), addSource("two.wav")});
    ASSERT_TRUE(waitUntilStarted(*controller));
    TQKitConversionList* list = controller->list();
    int32_t finished = 4;
    engine::notify(list, 2, &finished);
    EXPECT_EQ(controller->statusTop()->text(), u"Could not convert source files"_s);
    EXPECT_FALSE(controller->statusTop()->hyperLinkEnabled());
}

TEST_F(ProgressWindowControllerTest, EscapeAsksBeforeStoppingAndClosing)
{
    auto controller = openWindow({addSource("one.wav")});
    ASSERT_TRUE(waitUntilStarted(*controller));
    scriptedResponder().answerTitle(u"Stop conversion"_s, {kTQKitQuestionDeclined, false});
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(controller->window(), &escape);
    pumpEvents();
    ASSERT_EQ(scriptedResponder().titles(), QStringList{u"Stop conversion"_s});
    EXPECT_TRUE(delegate_.closed.isEmpty());
    EXPECT_FALSE(TQKitConversionListIsStopped(controller->list()));

    scriptedResponder().answerTitle(u"Stop conversion"_s, {kTQKitQuestionConfirmed, false});
    controller->window()->close(); // the title bar's close button
    pumpEvents();
    EXPECT_EQ(delegate_.closed, QList<TQCAppProgressWindowController*>{controller.get()});
    EXPECT_FALSE(controller->window()->isVisible());
}

TEST_F(ProgressWindowControllerTest, SeventeenthWindowWaitsForAFreeWorkerAndThenStarts)
{
    // Sixteen windows whose workers wait for an answer to their first question.
    scriptedResponder().holdAnswers(true);
    const auto limited = [](TQTaskInfoRecord& record) { record.limitDurationMs = 5000; };
    std::vector<std::unique_ptr<TQCAppProgressWindowController>> held;
    for (int i = 0; i < 16; ++i)
        held.push_back(openWindow({addSource("held" + std::to_string(i) + ".wav")}, limited));
    ASSERT_TRUE(pumpUntil([] { return scriptedResponder().heldCount() == 16; }));
    EXPECT_EQ(TQCAppProgressWindowConvertWorker::runningCount(), 16);

    auto seventeenth = openWindow({addSource("seventeenth.wav")});
    ASSERT_TRUE(pumpUntil([&] { return seventeenth->isWaitingForRestart(); }));
    EXPECT_EQ(seventeenth->statusBottom()->text(), u"Waiting, too many windows opened..."_s);

    // The held windows are stopped; the waiting one starts on its next try.
    scriptedResponder().answerTitle(u"Limit Duration"_s, {kTQKitAlertOtherButton, false});
    scriptedResponder().holdAnswers(false);
    scriptedResponder().releaseHeld();
    EXPECT_TRUE(pumpUntil([] { return TQCAppProgressWindowConvertWorker::runningCount() == 0; }));
    // Each worker's end reaches its window through the main thread's queue.
    EXPECT_TRUE(pumpUntil([&] { return delegate_.closed.size() == 16; }));
    EXPECT_TRUE(waitUntilStarted(*seventeenth));
}

TEST_F(ProgressWindowControllerTest, ClosingAWaitingWindowCancelsItsRestart)
{
    engine::setCapacityCritical(true);
    auto controller = openWindow({addSource("one.wav")});
    ASSERT_TRUE(pumpUntil([&] { return controller->isWaitingForRestart(); }));
    controller->close();
    EXPECT_FALSE(controller->isWaitingForRestart());
}

QAction* menuItem(const TQCAppProgressWindowController& controller, const QByteArray& action)
{
    for (QAction* item : controller.ctxmenu()->actions()) {
        if (TQKitMenuItemAction(item) == action)
            return item;
    }
    return nullptr;
}

TEST_F(ProgressWindowControllerTest, OnlyPreferencesStaysEnabledWhileASheetIsOpen)
{
    auto controller = openWindow({addSource("one.wav")});
    ASSERT_TRUE(waitUntilStarted(*controller));
    QAction* showInFinder = menuItem(*controller, "delegateAction:");
    QAction* preferences = menuItem(*controller, "showPreferences:");
    ASSERT_TRUE(showInFinder && preferences);
    EXPECT_TRUE(controller->validateMenuItem(showInFinder));

    auto* sheet = new QDialog(controller->window());
    ASSERT_TRUE(TQKitWindowSheet::of(controller->window())->attach(sheet));
    EXPECT_FALSE(controller->validateMenuItem(showInFinder));
    EXPECT_TRUE(controller->validateMenuItem(preferences));
    TQKitWindowEndSheet(controller->window(), 0);
    EXPECT_TRUE(controller->validateMenuItem(showInFinder));

    // A chosen command goes to the main window with the item's tag.
    controller->performMenuItem(showInFinder);
    EXPECT_EQ(delegate_.commands, QList<int>{12620});
}

TEST_F(ProgressWindowControllerTest, FilesDroppedOrPastedOnTheWindowGoToTheDelegateAsANewBatch)
{
    auto controller = openWindow({addSource("one.wav")});
    ASSERT_TRUE(waitUntilStarted(*controller));
    TQCAppProgressWindowBackground* panel = controller->srcFilesPanel();
    EXPECT_EQ(panel->delegate(), &delegate_);

    // A drop of files: taken while hovering, handed on as one batch.
    const QString dropped = addSource("dropped.wav");
    QMimeData drag;
    drag.setUrls({QUrl::fromLocalFile(dropped)});
    EXPECT_TRUE(panel->draggingEntered(&drag));
    EXPECT_TRUE(panel->performDragOperation(&drag));
    EXPECT_EQ(delegate_.droppedBatches, QList<QStringList>{{dropped}});

    // Paste: disabled and without effect when the clipboard holds no sources.
    QAction* paste = menuItem(*controller, "paste:");
    ASSERT_TRUE(paste);
    QApplication::clipboard()->setText(u"no sources here"_s);
    EXPECT_FALSE(controller->validateMenuItem(paste));
    controller->performMenuItem(paste);
    EXPECT_EQ(delegate_.droppedBatches.size(), 1);

    const QString pasted = addSource("pasted.wav");
    auto* clip = new QMimeData;
    clip->setUrls({QUrl::fromLocalFile(pasted)});
    QApplication::clipboard()->setMimeData(clip);
    EXPECT_TRUE(controller->validateMenuItem(paste));
    controller->ctxmenu()->popup(controller->window()->mapToGlobal(QPoint(13, 50)));
    pumpEvents();
    EXPECT_TRUE(paste->isEnabled());
    EXPECT_FALSE(saveScreenshot(controller->ctxmenu(), u"progress-window-menu"_s).empty());
    controller->ctxmenu()->hide();
    auto* sheet = new QDialog(controller->window());
    ASSERT_TRUE(TQKitWindowSheet::of(controller->window())->attach(sheet));
    EXPECT_FALSE(controller->validateMenuItem(paste));
    TQKitWindowEndSheet(controller->window(), 0);
    controller->performMenuItem(paste);
    EXPECT_EQ(delegate_.droppedBatches.size(), 2);
    EXPECT_EQ(delegate_.droppedBatches.last(), QStringList{pasted});

    // A closed window takes nothing more.
    controller->close();
    EXPECT_EQ(panel->delegate(), nullptr);
    EXPECT_FALSE(panel->draggingEntered(&drag));
    EXPECT_FALSE(panel->performDragOperation(&drag));
    EXPECT_EQ(delegate_.droppedBatches.size(), 2);
}

TEST_F(ProgressWindowControllerTest, StayInFrontReachesEveryProgressWindowAndTheSetting)
{
    auto first = openWindow({addSource("one.wav")});
    auto second = openWindow({addSource("two.wav")});
    EXPECT_FALSE(first->isStayInFront());
    first->performMenuItem(menuItem(*first, "stayInFront:"));
    EXPECT_TRUE(first->isStayInFront());
    EXPECT_TRUE(second->isStayInFront());
    EXPECT_TRUE(TQCAppProgressWindowController::getStayInFrontSetting());
    QAction* item = menuItem(*second, "stayInFront:");
    second->validateMenuItem(item);
    EXPECT_TRUE(item->isChecked());
    // A new window takes the stored choice.
    auto third = openWindow({addSource("three.wav")});
    EXPECT_TRUE(third->isStayInFront());
}

TEST_F(ProgressWindowControllerTest, StopBeforeTheConversionStartedClosesTheWindow)
{
    engine::setCapacityCritical(true); // the window waits and never starts
    auto controller = openWindow({addSource("one.wav")});
    ASSERT_TRUE(pumpUntil([&] { return controller->isWaitingForRestart(); }));
    controller->stopButton();
    EXPECT_TRUE(pumpUntil([&] { return !delegate_.closed.isEmpty(); }));
    EXPECT_EQ(scriptedResponder().titles(), QStringList{u"Stop conversion"_s});
}

TEST_F(ProgressWindowControllerTest, StopWhileConvertingKeepsTheWindowForTheStoppingState)
{
    auto controller = openWindow({addSource("one.wav")});
    ASSERT_TRUE(waitUntilStarted(*controller));
    engine::setListState(controller->list(), 2);
    controller->stopButton();
    ASSERT_TRUE(pumpUntil([&] { return TQKitConversionListIsStopped(controller->list()); }));
    EXPECT_TRUE(delegate_.closed.isEmpty());
    int32_t stopping = 3;
    engine::notify(controller->list(), 2, &stopping);
    EXPECT_EQ(controller->statusBottom()->text(), u"Stopping"_s);
    EXPECT_TRUE(controller->stopButtonView()->isHidden());
}

TEST_F(ProgressWindowControllerTest, ClosingAFinishedWindowAsksAtMostOnceAWeek)
{
    constexpr int64_t now = 5'000'000'000;
    const auto finishedWindow = [&] {
        auto controller = openWindow({addSource("one.wav")});
        controller->prompts().setClock([] { return now; });
        EXPECT_TRUE(waitUntilStarted(*controller));
        engine::setListState(controller->list(), 4);
        return controller;
    };
    TQKitSettingWriteInt64("TQCSettingConfirmation", "TQCProgressWindowClosePrompt", now - 604799);
    auto withinTheWeek = finishedWindow();
    withinTheWeek->closeWindowWithPrompt();
    EXPECT_TRUE(scriptedResponder().requests().isEmpty());
    EXPECT_EQ(delegate_.closed.size(), 1);

    TQKitSettingWriteInt64("TQCSettingConfirmation", "TQCProgressWindowClosePrompt", now - 604800);
    scriptedResponder().answerTitle(u"Close Progress Window"_s, {kTQKitQuestionConfirmed, true});
    auto aWeekLater = finishedWindow();
    aWeekLater->closeWindowWithPrompt();
    ASSERT_TRUE(pumpUntil([&] { return delegate_.closed.size() == 2; }));
    EXPECT_EQ(scriptedResponder().titles(), QStringList{u"Close Progress Window"_s});
    EXPECT_EQ(TQKitSettingReadInt64("TQCSettingConfirmation", "TQCProgressWindowClosePrompt", 0), now);
}

TEST_F(ProgressWindowControllerTest, QuestionsWaitUntilTheWindowsSheetHasGone)
{
    const std::filesystem::path empty = sources() / "empty";
    std::filesystem::create_directories(empty);
    auto controller = openWindow({QString::fromStdString(empty.string())});
    auto* sheet = new QDialog(controller->window());
    ASSERT_TRUE(TQKitWindowSheet::of(controller->window())->attach(sheet));
    // The worker gets as far as its question and polls the sheet meanwhile.
    pumpUntil([] { return false; }, std::chrono::milliseconds(1500));
    EXPECT_TRUE(scriptedResponder().requests().isEmpty());
    TQKitWindowEndSheet(controller->window(), 0);
    EXPECT_TRUE(pumpUntil([] { return !scriptedResponder().requests().isEmpty(); }));
    EXPECT_EQ(scriptedResponder().titles(), QStringList{u"No files found"_s});
}

} // namespace
} // namespace sonvale::test
