#include "platform/tqkit-ui/TQKitAlerts.h"
#include "platform/tqkit-ui/TQKitDialogResponder.h"
#include "platform/tqkit-ui/TQKitWindowSheet.h"
#include "tests/support/QtTestSupport.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>

using namespace Qt::StringLiterals;
using sonvale::test::pumpUntil;
using sonvale::test::scriptedResponder;

namespace {

class TQKitAlertsTest : public ::testing::Test {
protected:
    void SetUp() override { scriptedResponder().reset(); }

    QMainWindow window_;
};

QStringList buttonTitles(const TQKitAlertRequest& request)
{
    QStringList titles;
    for (const TQKitAlertRequest::Button& button : request.buttons)
        titles.append(button.title + u"="_s + QString::number(button.code));
    return titles;
}

TEST_F(TQKitAlertsTest, AlertDictionaryBecomesARequestAndTheAnswerIsReturned)
{
    scriptedResponder().answerTitle(u"Current folder or subfolders are not writable"_s, {102, false});
    const QVariantMap description{
        {u"title"_s, u"Current folder or subfolders are not writable"_s},
        {u"message"_s, u"Cannot write destination files to current folder."_s},
        {u"defaultButton"_s, u"Yes"_s},
        {u"alternateButton"_s, QVariant()}, // absent, as a null in the dictionary
        {u"otherButton"_s, u"Stop"_s},
        {u"defaultButtonHint"_s, u"Convert into the default folder"_s},
        {u"flags"_s, 4},
    };
    EXPECT_EQ(TQKitRunAlert(&window_, description), kTQKitAlertOtherButton);

    ASSERT_EQ(scriptedResponder().requests().size(), 1);
    const TQKitAlertRequest& request = scriptedResponder().requests().first();
    EXPECT_EQ(request.kind, TQKitAlertRequest::Kind::Alert);
    EXPECT_EQ(request.parent, &window_);
    EXPECT_EQ(request.message, u"Cannot write destination files to current folder."_s);
    EXPECT_EQ(buttonTitles(request), (QStringList{u"Yes=100"_s, u"Stop=102"_s}));
    EXPECT_EQ(request.buttons.first().hint, u"Convert into the default folder"_s);
    EXPECT_TRUE(request.modal);
    EXPECT_FALSE(request.showsSuppressionBox); // flags 4 has no check box

    // Flags 5 add the check box; without buttons there is an "OK".
    TQKitRunAlert(nullptr, {{u"title"_s, u"T"_s}, {u"flags"_s, 5}});
    EXPECT_TRUE(scriptedResponder().requests().last().showsSuppressionBox);
    EXPECT_EQ(buttonTitles(scriptedResponder().requests().last()), QStringList{u"OK=100"_s});
}

TEST_F(TQKitAlertsTest, WithACompletionTheAnswerComesLaterOnTheMainThread)
{
    scriptedResponder().answerTitle(u"Close Progress Window"_s, {kTQKitQuestionConfirmed, true});
    int result = -1;
    bool suppressed = false;
    const int returned = TQKitAskQuestion(&window_, u"Close Progress Window"_s,
                                          u"Would you like to close the Progress Window?"_s, 1,
                                          [&](int button, bool suppression) {
                                              result = button;
                                              suppressed = suppression;
                                          });
    EXPECT_EQ(returned, kTQKitAlertPending);
    EXPECT_EQ(result, -1); // never from inside the call
    ASSERT_TRUE(pumpUntil([&] { return result != -1; }));
    EXPECT_EQ(result, kTQKitQuestionConfirmed);
    EXPECT_TRUE(suppressed);
    EXPECT_TRUE(scriptedResponder().requests().first().showsSuppressionBox);
    EXPECT_EQ(buttonTitles(scriptedResponder().requests().first()),
              (QStringList{u"Yes=5"_s, u"No=6"_s}));

    bool noticed = false;
    TQKitShowNoticeBox(nullptr, u"Clear Caches"_s, u"Caches have been successfully cleared."_s, 10,
                       [&] { noticed = true; });
    ASSERT_TRUE(pumpUntil([&] { return noticed; }));
    EXPECT_EQ(scriptedResponder().requests().last().kind, TQKitAlertRequest::Kind::Notice);
    EXPECT_EQ(scriptedResponder().requests().last().flags, 10);
}

TEST_F(TQKitAlertsTest, QuestionFromAWorkerIsAnsweredWhileTheMainThreadKeepsRunning)
{
    scriptedResponder().holdAnswers(true);
    scriptedResponder().answerTitle(u"No files found"_s, {kTQKitQuestionConfirmed, false});
    QThread* const mainThread = QThread::currentThread();

    std::atomic<int> workerResult{-1};
    std::atomic<bool> completionOnMainThread{false};
    std::thread worker([&] {
        workerResult = TQKitAskQuestion(&window_, u"No files found"_s,
                                        u"Would you like to accept all files for further conversion?"_s, 4,
                                        [&](int, bool) {
                                            completionOnMainThread = QThread::currentThread() == mainThread;
                                        });
    });

    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &timer, [&] { ++ticks; });
    timer.start(1);
    ASSERT_TRUE(pumpUntil([&] { return scriptedResponder().heldCount() == 1; }));
    const int ticksWhenAsked = ticks;
    ASSERT_TRUE(pumpUntil([&] { return ticks >= ticksWhenAsked + 5; }));
    EXPECT_EQ(workerResult.load(), -1); // the worker is still waiting for its answer

    scriptedResponder().releaseHeld();
    ASSERT_TRUE(pumpUntil([&] { return workerResult.load() != -1; }));
    worker.join();
    EXPECT_EQ(workerResult.load(), kTQKitQuestionConfirmed);
    EXPECT_TRUE(completionOnMainThread.load());
    EXPECT_FALSE(scriptedResponder().requests().first().modal);
}

// The real dialogs, driven as a person would drive them, without waiting in a nested loop.
class TQKitDialogResponderTest : public ::testing::Test {
protected:
    QMessageBox* openBox() { return window_.findChild<QMessageBox*>(); }

    QAbstractButton* button(QMessageBox* box, const QString& title)
    {
        for (QAbstractButton* candidate : box->buttons()) {
            if (candidate->text() == title)
                return candidate;
        }
        return nullptr;
    }

    QMainWindow window_;
    TQKitDialogResponder dialogs_;
};

TEST_F(TQKitDialogResponderTest, SheetAnswersTheChosenButtonAndCheckBox)
{
    window_.show();
    TQKitAlertRequest request;
    request.parent = &window_;
    request.title = u"Limit duration"_s;
    request.buttons = {{u"Continue"_s, 100, {}}, {u"Settings..."_s, 101, {}}, {u"Stop"_s, 102, {}}};
    request.showsSuppressionBox = true;
    QLineEdit accessory;
    request.accessoryView = &accessory;

    std::optional<TQKitAlertAnswer> answer;
    int endedWith = -1;
    QObject::connect(TQKitWindowSheet::of(&window_), &TQKitWindowSheet::sheetEnded, &window_,
                     [&](int code) { endedWith = code; });
    dialogs_.present(request, [&](const TQKitAlertAnswer& given) { answer = given; });

    QMessageBox* box = openBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(TQKitWindowHasSheet(&window_));
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_EQ(box->escapeButton(), button(box, u"Stop"_s));
    // The accessory view starts where the texts and the check box do, right of the icon.
    const auto* text = box->findChild<QLabel*>(u"qt_msgbox_label"_s);
    ASSERT_NE(text, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return box->isVisible(); }));
    EXPECT_EQ(accessory.mapTo(box, QPoint(0, 0)).x(), text->mapTo(box, QPoint(0, 0)).x());
    EXPECT_EQ(box->checkBox()->mapTo(box, QPoint(0, 0)).x(), text->mapTo(box, QPoint(0, 0)).x());
    sonvale::test::saveScreenshot(box, u"alert-sheet"_s);

    box->checkBox()->setChecked(true);
    button(box, u"Settings..."_s)->click();
    ASSERT_TRUE(pumpUntil([&] { return answer.has_value() && !openBox(); }));
    EXPECT_EQ(answer->button, 101);
    EXPECT_TRUE(answer->suppressed);
    EXPECT_FALSE(TQKitWindowHasSheet(&window_));
    EXPECT_NE(endedWith, -1);
    EXPECT_EQ(accessory.parent(), nullptr); // the accessory view stays the caller's
}

TEST_F(TQKitDialogResponderTest, ARefusedDefaultButtonKeepsTheBoxWithItsAccessoryView)
{
    window_.show();
    QLineEdit accessory;
    int asked = 0;
    bool shown = false;
    TQKitAlertRequest request;
    request.parent = &window_;
    request.title = u"Enter URL"_s;
    request.buttons = {{u"Continue"_s, 100, {}}, {u"Cancel"_s, 101, {}}};
    request.accessoryView = &accessory;
    request.acceptsDefaultButton = [&] { return ++asked > 1; };
    request.shown = [&] { shown = true; };
    // Twice, as a caller that asks again would: the view shows each time.
    for (int round = 0; round < 2; ++round) {
        asked = 0;
        shown = false;
        std::optional<TQKitAlertAnswer> answer;
        dialogs_.present(request, [&](const TQKitAlertAnswer& given) { answer = given; });
        QMessageBox* box = openBox();
        ASSERT_NE(box, nullptr);
        ASSERT_TRUE(pumpUntil([&] { return shown; }));
        EXPECT_TRUE(accessory.isVisible()) << "round " << round;
        EXPECT_EQ(box->icon(), QMessageBox::Question) << "a plain question";

        box->defaultButton()->click();
        sonvale::test::pumpEvents();
        EXPECT_FALSE(answer.has_value());
        EXPECT_TRUE(box->isVisible());
        EXPECT_TRUE(accessory.isVisible());
        box->defaultButton()->click();
        ASSERT_TRUE(pumpUntil([&] { return answer.has_value() && !openBox(); }));
        EXPECT_EQ(answer->button, 100);
    }
}

TEST_F(TQKitDialogResponderTest, WarningsCarryTheCautionSignAndLongTitlesFit)
{
    window_.show();
    const struct {
        TQKitAlertRequest::Kind kind;
        int flags;
        int buttons;
        QMessageBox::Icon icon;
    } cases[] = {
        {TQKitAlertRequest::Kind::Alert, 0, 2, QMessageBox::Question},
        {TQKitAlertRequest::Kind::Alert, kTQKitAlertCaution | kTQKitAlertSuppressionBox, 3, QMessageBox::Warning},
        {TQKitAlertRequest::Kind::Alert, 0, 1, QMessageBox::Information},
        {TQKitAlertRequest::Kind::Question, 16, 2, QMessageBox::Question},
        {TQKitAlertRequest::Kind::Message, kTQKitAlertCaution, 1, QMessageBox::Warning},
        {TQKitAlertRequest::Kind::Notice, 0, 1, QMessageBox::Information},
    };
    for (const auto& c : cases) {
        TQKitAlertRequest request;
        request.kind = c.kind;
        request.parent = &window_;
        request.flags = c.flags;
        request.title = u"Current folder or subfolders are not writable"_s;
        for (int i = 0; i < c.buttons; ++i)
            request.buttons.append({u"B%1"_s.arg(i), 100 + i, {}});
        dialogs_.present(request, [](const TQKitAlertAnswer&) {});
        QMessageBox* box = openBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->icon(), c.icon) << int(c.kind) << " " << c.flags;
        box->show();
        QFont bold = box->font();
        bold.setBold(true);
        EXPECT_GT(box->width(), QFontMetrics(bold).horizontalAdvance(request.title)) << "the window title fits";
        delete box;
    }
}

TEST_F(TQKitDialogResponderTest, ABoxDestroyedUnansweredAnswersEscape)
{
    TQKitAlertRequest request;
    request.parent = &window_;
    request.kind = TQKitAlertRequest::Kind::Question;
    request.buttons = {{u"Yes"_s, 5, {}}, {u"No"_s, 6, {}}};
    int calls = 0;
    int result = 0;
    dialogs_.present(request, [&](const TQKitAlertAnswer& given) {
        ++calls;
        result = given.button;
    });
    delete openBox();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(result, kTQKitQuestionDeclined);
    EXPECT_FALSE(TQKitWindowHasSheet(&window_));
}

} // namespace
