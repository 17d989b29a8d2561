#include "app/pattern-editor/TQTagLibTextComposePopUpButton.h"
#include "app/preferences/TQCAppPreferencesPanelGeneralV2.h"
#include "app/preferences/TQCAppPreferencesPanelTags.h"
#include "app/preferences/TQPreferencesDialogController.h"
#include "app/preferences/TQPreferencesDialogEntryPoints.h"
#include "platform/tqkit-ui/TQKitAlertResponder.h"
#include "platform/tqkit-ui/TQKitDialogResponder.h"
#include "platform/tqkit-ui/TQKitMenuItems.h"
#include "platform/tqkit-ui/TQKitPopUpButton.h"
#include "platform/tqkit/TQGeneralSettingsRecord.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TempHome.h"

#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QWidgetAction>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace sonvale::test {
namespace {

// The General page's tabs, its playlist popover and its pattern pop-up with the Edit box, and the
// Tags page, in every screenshot look.
class TQCAppPreferencesGeneralScreenshotTest : public ::testing::TestWithParam<ScreenshotLook> {
protected:
    TQCAppPreferencesGeneralScreenshotTest() { scriptedResponder().reset(); }
    ~TQCAppPreferencesGeneralScreenshotTest() override
    {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        TQPreferencesDialogClose();
        TQKitAlertResponder::install(&scriptedResponder());
        pumpEvents();
    }
    QString name(const QString& what) const
    {
        return u"preferences-"_s + what + u"-"_s + screenshotLookSuffix(GetParam());
    }

    TempHome home_;
    ScreenshotLookScope look_{GetParam()};
};

TEST_P(TQCAppPreferencesGeneralScreenshotTest, GeneralTabsPopoverAndPatternBox)
{
    TQGeneralSettingsRecord record;
    record.organizeDestinationFolders = true;
    record.destinationFolderPattern = "{{artist}}/{{album}}";
    record.renameDestinationFiles = true;
    record.fileNamePattern = "{{tracknumber}} - {{title}}";
    record.createPlaylist = true;
    record.acceptPlaylists = true;
    TQKitGeneralSettingsSave(&record);

    TQPreferencesDialogShowPageWithLabel(u"General"_s, u"source"_s);
    TQPreferencesDialogController* dialog = TQPreferencesDialogController::findViewController();
    ASSERT_NE(dialog, nullptr);
    auto* page = qobject_cast<TQCAppPreferencesPanelGeneralV2*>(dialog->selectedViewController());
    ASSERT_NE(page, nullptr);
    const QString tabs[] = {u"general-source"_s, u"general-destination"_s, u"general-completion"_s};
    for (int i = 0; i < 3; ++i) {
        page->tabView()->setCurrentIndex(i);
        pumpEvents();
        EXPECT_FALSE(saveScreenshot(dialog->window(), name(tabs[i])).empty());
    }

    page->tabView()->setCurrentIndex(1);
    page->playlistSettings();
    pumpEvents();
    QWidget* popover = visibleTopLevelWidget(u"popover"_s);
    ASSERT_NE(popover, nullptr);
    EXPECT_FALSE(saveScreenshot(popover, name(u"general-playlist-popover"_s)).empty());
    popover->close();
    pumpEvents();

    TQKitPopUpButton* names = page->renameDestinationFilesPopupButton();
    names->popUp();
    pumpEvents();
    ASSERT_NE(QApplication::activePopupWidget(), nullptr);
    EXPECT_FALSE(saveScreenshot(QApplication::activePopupWidget(), name(u"general-pattern-menu"_s)).empty());

    // Edit from the menu opens the real box over the dialog.
    TQKitDialogResponder dialogs;
    TQKitAlertResponder::install(&dialogs);
    auto* row = qobject_cast<QWidgetAction*>(
        TQKitMenuItemWithTag(names->menu(), TQTagLibTextComposePopUpButton::kActionsPanelTag));
    ASSERT_NE(row, nullptr);
    row->defaultWidget()->findChild<QPushButton*>(u"menuActionEditPattern:"_s)->click();
    QMessageBox* box = nullptr;
    ASSERT_TRUE(pumpUntil([&] {
        box = dialog->window()->findChild<QMessageBox*>();
        return box && box->isVisible();
    }));
    pumpEvents();
    EXPECT_EQ(box->windowTitle().isEmpty() ? box->text() : box->windowTitle(), u"Edit Destination File Name"_s);
    EXPECT_FALSE(saveScreenshot(box, name(u"general-edit-pattern-box"_s)).empty());
    box->reject();
    pumpEvents();
}

TEST_P(TQCAppPreferencesGeneralScreenshotTest, TagsPage)
{
    TQPreferencesDialogShowPageWithLabel(u"Tags"_s, QString());
    TQPreferencesDialogController* dialog = TQPreferencesDialogController::findViewController();
    ASSERT_NE(dialog, nullptr);
    auto* page = qobject_cast<TQCAppPreferencesPanelTags*>(dialog->selectedViewController());
    ASSERT_NE(page, nullptr);
    page->artworkSize()->click();
    pumpEvents();
    EXPECT_FALSE(saveScreenshot(dialog->window(), name(u"tags-limited"_s)).empty());
}

INSTANTIATE_TEST_SUITE_P(Looks, TQCAppPreferencesGeneralScreenshotTest, ::testing::ValuesIn(kScreenshotLooks),
                         [](const auto& info) { return screenshotLookName(info.param); });

} // namespace
} // namespace sonvale::test
