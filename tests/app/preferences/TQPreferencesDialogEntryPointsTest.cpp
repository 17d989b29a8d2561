#include "app/preferences/TQPreferencesDialogEntryPoints.h"

#include "app/controls/TQNSTextFieldLink.h"
#include "app/main-window/TQCAppMainWindow.h"
#include "app/main-window/TQCAppMainWindowEnterURLController.h"
#include "app/preferences/TQPreferencesDialogController.h"
#include "app/preferences/TQPreferencesViewController.h"
#include "app/progress-window/TQCAppProgressWindowController.h"
#include "tests/support/PostedEvents.h"
#include "platform/tqkit-ui/TQKitAlertRequest.h"
#include "platform/tqkit-ui/TQKitMenu.h"
#include "platform/tqkit/TQEffectsSettingsRecord.h"
#include "platform/tqkit/TQKitSettings.h"
#include "tests/app/support/MainWindowFixture.h"
#include "tests/app/support/ProgressWindowTestSupport.h"
#include "tests/app/support/TQKitEngineStandIn.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace sonvale::test {
namespace {

long preferencesEvents(const PostedEvents& posted)
{
    const auto events = posted.names();
    return std::count(events.begin(), events.end(), std::string("ae_cnv_preferences"));
}

QString shownPage()
{
    TQPreferencesDialogController* dialog = TQPreferencesDialogController::findViewController();
    return dialog && dialog->selectedViewController() ? dialog->selectedViewController()->identifier() : QString();
}

class TQPreferencesDialogEntryPointsTest : public MainWindowFixture {
protected:
    TQPreferencesDialogEntryPointsTest() { engine::reset(); }
    ~TQPreferencesDialogEntryPointsTest() override { TQPreferencesDialogClose(); }
};

TEST_F(TQPreferencesDialogEntryPointsTest, CtrlCommaInTheMainWindowOpensTheDialog)
{
    load();
    EXPECT_EQ(TQPreferencesDialogGetWindow(), nullptr);
    window_->activateWindow();
    QApplication::setActiveWindow(window_.get());
    const PostedEvents posted;
    QTest::keyClick(window_.get(), Qt::Key_Comma, Qt::ControlModifier);
    ASSERT_NE(TQPreferencesDialogGetWindow(), nullptr);
    EXPECT_TRUE(TQPreferencesDialogGetWindow()->isVisible());
    EXPECT_EQ(shownPage(), u"TQCAppPreferencesPanelGeneralV2"_s);
    EXPECT_EQ(TQPreferencesDialogGetWindow()->windowTitle(), u"General"_s);

    // Every show is counted, also of the open dialog.
    TQPreferencesDialogShow();
    EXPECT_EQ(preferencesEvents(posted), 2);
}

// The application's commands answer their shortcuts in each of its windows; the commands of the
// main window itself (collapse, close) stay with the main window.
TEST_F(TQPreferencesDialogEntryPointsTest, ApplicationShortcutsWorkInEveryWindowAndTheMainWindowsOwnStayThere)
{
    load();
    const OpenedUrls opened; // Help may open the support page: not for real
    controller_->startConversionWithFiles({makeWav(u"song.wav"_s)});
    ASSERT_TRUE(waitForBatches(1));
    TQPreferencesDialogShow();
    QSignalSpy chosen(window_.get(), &TQCAppMainWindow::menuItemChosen);
    const auto takeChosen = [&chosen] {
        QList<QByteArray> actions;
        for (const QList<QVariant>& arguments : std::as_const(chosen))
            actions.append(TQKitMenuItemAction(arguments.first().value<QAction*>()));
        chosen.clear();
        return actions;
    };

    for (QWidget* window : {TQPreferencesDialogGetWindow(), controller_->progressWindowControllers().first()->window()}) {
        SCOPED_TRACE(window->objectName().toStdString());
        QApplication::setActiveWindow(window);
        ASSERT_TRUE(pumpUntil([&] { return window->isActiveWindow(); }));
        QTest::keyClick(window, Qt::Key_M, Qt::ControlModifier);
        QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier);
        EXPECT_TRUE(takeChosen().isEmpty());
        EXPECT_FALSE(controller_->isCollapsed());
        EXPECT_TRUE(window_->isVisible());

        QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
        QTest::keyClick(window, Qt::Key_F1);
        QTest::keyClick(window, Qt::Key_Comma, Qt::ControlModifier);
        EXPECT_EQ(takeChosen(), (QList<QByteArray>{"terminate:", "contactUs:", "showPreferences:"}));
    }
}

TEST_F(TQPreferencesDialogEntryPointsTest, PagesOpenByTheirLabelWithoutRegardToCase)
{
    load();
    TQPreferencesDialogShowPageWithLabel(u"effects"_s, QString());
    EXPECT_EQ(shownPage(), u"TQCAppPreferencesPanelEffects"_s);
    TQPreferencesDialogShowPageWithLabel(u"No Such Page"_s, u"x"_s);
    EXPECT_EQ(shownPage(), u"TQCAppPreferencesPanelEffects"_s);
    TQPreferencesDialogShowPageAtIndex(9, QString());
    EXPECT_EQ(shownPage(), u"TQCAppPreferencesPanelEffects"_s);
    TQPreferencesDialogShowPageAtIndex(3, QString());
    EXPECT_EQ(shownPage(), u"TQCAppPreferencesPanelTags"_s);
    EXPECT_TRUE(TQPreferencesDialogGetWindow()->isVisible());
}

TEST_F(TQPreferencesDialogEntryPointsTest, TheDialogOpenAtTheLastQuitOpensAgain)
{
    load();
    TQPreferencesDialogShowPageWithLabel(u"Tags"_s, QString());
    QApplication::setActiveWindow(TQPreferencesDialogGetWindow());
    pumpEvents();
    EXPECT_TRUE(TQPreferencesDialogController::lastVisibilityStatus());
    // The quit path closes the dialog without the user closing it.
    TQPreferencesDialogClose();
    EXPECT_EQ(TQPreferencesDialogGetWindow(), nullptr);
    controller_.reset();
    window_.reset();

    load();
    pumpEvents();
    ASSERT_NE(TQPreferencesDialogGetWindow(), nullptr);
    EXPECT_TRUE(TQPreferencesDialogGetWindow()->isVisible());
    EXPECT_EQ(shownPage(), u"TQCAppPreferencesPanelTags"_s);

    TQPreferencesDialogGetWindow()->close();
    EXPECT_FALSE(TQPreferencesDialogController::lastVisibilityStatus());
}

TEST_F(TQPreferencesDialogEntryPointsTest, TheEnterURLSheetsLinkOpensTheGeneralPage)
{
    load();
    TQCAppMainWindowEnterURLController sheet;
    Q_EMIT sheet.organizeDestFiles()->clicked();
    EXPECT_EQ(shownPage(), u"TQCAppPreferencesPanelGeneralV2"_s);
}

TEST_F(TQPreferencesDialogEntryPointsTest, AQuestionsSettingsButtonOpensItsPageAndLeavesTheProgressWindowOpen)
{
    TQEffectsSettingsRecord effects;
    effects.limitDuration = true;
    effects.limitDurationValue = 30'000;
    TQKitEffectsSettingsSave(&effects);
    load();
    scriptedResponder().answerTitle(u"Limit Duration"_s, {kTQKitAlertAlternateButton, false});
    controller_->startConversionWithFiles({makeWav(u"song.wav"_s)});
    ASSERT_TRUE(waitForBatches(1));
    ASSERT_TRUE(pumpUntil([] { return !shownPage().isEmpty(); }));
    EXPECT_EQ(shownPage(), u"TQCAppPreferencesPanelEffects"_s);
    TQCAppProgressWindowController* batch = controller_->progressWindowControllers().first();
    ASSERT_TRUE(pumpUntil([&] { return batch->statusBottom()->text() == u"Finished"_s; }));
    EXPECT_TRUE(batch->window()->isVisible());
    EXPECT_EQ(controller_->progressWindowControllers().size(), 1);
}

} // namespace
} // namespace sonvale::test
