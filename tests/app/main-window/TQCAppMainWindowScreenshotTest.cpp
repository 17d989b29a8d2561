// Pictures of the main window, its Enter URL sheet and a progress window with a long status, at
// the default font and at 11 points, in the light and the dark palette, for a person to look at
// (build/screenshots/). The checks are what can be told without looking.

#include "app/main-window/TQCAppMainWindowEnterURLController.h"
#include "app/progress-window/TQCAppProgressWindowController.h"
#include "app/progress-window/TQCAppProgressWindowTableView.h"
#include "platform/tqkit-ui/TQKitDialogResponder.h"
#include "tests/app/support/MainWindowFixture.h"
#include "tests/app/support/TQKitEngineStandIn.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace sonvale::test;
namespace engine = sonvale::test::engine;

namespace {

struct Look {
    bool dark;
    bool elevenPoints;
};

class TQCAppMainWindowScreenshotTest : public MainWindowFixture, public ::testing::WithParamInterface<Look> {
protected:
    void SetUp() override
    {
        engine::reset();
        if (GetParam().dark)
            QApplication::setPalette(darkPalette());
        if (GetParam().elevenPoints) {
            QFont font = QApplication::font();
            font.setPointSize(11);
            QApplication::setFont(font);
        }
    }
    void TearDown() override
    {
        QApplication::setPalette(QPalette());
        QApplication::setFont(defaultFont_);
    }
    QString suffix() const
    {
        return (GetParam().dark ? u"-dark"_s : u"-light"_s) + (GetParam().elevenPoints ? u"-11pt"_s : u"-default"_s);
    }

    const QFont defaultFont_ = QApplication::font();
};

TEST_P(TQCAppMainWindowScreenshotTest, MainWindowEnterURLAndProgress)
{
    load();
    const QLabel* heading = window_->titleDropFiles();
    EXPECT_GE(heading->width(), heading->sizeHint().width());
    EXPECT_FALSE(saveScreenshot(window_.get(), u"main-window"_s + suffix()).empty());

    TQKitDialogResponder dialogs;
    TQKitAlertResponder::install(&dialogs);
    const auto restore = qScopeGuard([] { TQKitAlertResponder::install(&scriptedResponder()); });
    TQCAppMainWindowEnterURLController::runAlert(window_.get(), [](const QString&) {});
    QMessageBox* box = nullptr;
    ASSERT_TRUE(pumpUntil([&] { return (box = window_->findChild<QMessageBox*>()) && box->isVisible(); }));
    box->findChild<QLineEdit*>(u"urlTextField"_s)->setText(u"https://www.example.com/music/live-session.html"_s);
    pumpEvents();
    EXPECT_FALSE(saveScreenshot(box, u"enter-url"_s + suffix()).empty());
    box->reject();
    pumpEvents();

    controller_->startConversionWithFiles({makeWav(u"Front_Left.wav"_s), makeWav(u"A Rather Long Title of a Song.wav"_s)});
    ASSERT_TRUE(waitForBatches(1));
    TQCAppProgressWindowController* batch = controller_->progressWindowControllers().first();
    TQKitConversionList* list = batch->list();
    ASSERT_TRUE(pumpUntil([list] {
        const auto started = engine::startedLists();
        return std::find(started.begin(), started.end(), list) != started.end();
    }));
    const auto items = engine::items(batch->list());
    engine::completeItem(items[0], "Failed: the file is truncated or damaged", 0x80);
    engine::completeItem(items[1], "A Rather Long Title of a Song.m4a", 0x42);
    ASSERT_TRUE(pumpUntil([&] { return batch->tableView()->rowCount() == 2; }));
    pumpEvents();
    EXPECT_FALSE(saveScreenshot(batch->window(), u"progress-window-long-status"_s + suffix()).empty());

    controller_->expandCollapseWindow();
    ASSERT_TRUE(pumpUntil([&] { return window_->preferencesButton()->isVisible(); }));
    EXPECT_FALSE(saveScreenshot(window_.get(), u"main-window-collapsed"_s + suffix()).empty());
}

INSTANTIATE_TEST_SUITE_P(Looks, TQCAppMainWindowScreenshotTest,
                         ::testing::Values(Look{false, false}, Look{true, false}, Look{false, true}, Look{true, true}),
                         [](const auto& info) {
                             return std::string(info.param.dark ? "Dark" : "Light") +
                                    (info.param.elevenPoints ? "ElevenPoints" : "DefaultFont");
                         });

} // namespace
