#include "app/preferences/TQCAppPreferencesPanelGeneralV2.h"

#include "app/controls/TQNSTextFieldLink.h"
#include "app/pattern-editor/TQPatternMenu.h"
#include "app/pattern-editor/TQTagLibTextComposePopUpButton.h"
#include "app/pattern-editor/TQTagLibTextComposeView.h"
#include "app/preferences/TQCAppPreferencesPanelGeneralV2PlaylistSettingsView.h"
#include "platform/tqkit-ui/TQKitAlertRequest.h"
#include "platform/tqkit-ui/TQKitMenuItems.h"
#include "platform/tqkit-ui/TQKitPopUpButton.h"
#include "platform/tqkit/TQGeneralSettingsRecord.h"
#include "platform/tqkit/TQKitSettings.h"
#include "platform/tqkit/TQPatternList.h"
#include "platform/tqkit/TQTagSettingsRecord.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TempHome.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QWidgetAction>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace sonvale::test {
namespace {

using Page = TQCAppPreferencesPanelGeneralV2;
using PlaylistView = TQCAppPreferencesPanelGeneralV2PlaylistSettingsView;

TQGeneralSettingsRecord storedGeneral()
{
    TQGeneralSettingsRecord record;
    TQKitGeneralSettingsLoad(&record);
    return record;
}

void storeGeneral(const std::function<void(TQGeneralSettingsRecord&)>& change)
{
    TQGeneralSettingsRecord record = storedGeneral();
    change(record);
    TQKitGeneralSettingsSave(&record);
}

std::string selectedPattern(TQKitPopUpButton* button)
{
    std::string out;
    return TQPatternPopUpCopySelected(out, button);
}

class TQCAppPreferencesPanelGeneralV2Test : public ::testing::Test {
protected:
    TQCAppPreferencesPanelGeneralV2Test() { scriptedResponder().reset(); }
    ~TQCAppPreferencesPanelGeneralV2Test() override
    {
        if (QWidget* popover = visibleTopLevelWidget(u"popover"_s))
            popover->close();
        page_.reset();
        scriptedResponder().reset();
        pumpEvents();
    }

    Page& open()
    {
        page_ = std::make_unique<Page>();
        page_->view()->show();
        return *page_;
    }

    TempHome home_;
    std::unique_ptr<Page> page_;
};

TEST_F(TQCAppPreferencesPanelGeneralV2Test, TheAcceptedPlaylistPopUpMapsItsSixItemsToCodes)
{
    const int codes[] = {0, 16, 128, 32, 8, 64};
    for (int index = 0; index < 6; ++index) {
        EXPECT_EQ(Page::indexToPlaylistType(index), codes[index]);
        EXPECT_EQ(Page::playlistTypeToIndex(codes[index]), index);
    }
    EXPECT_EQ(Page::indexToPlaylistType(6), 16);
    EXPECT_EQ(Page::playlistTypeToIndex(77), 1);

    // Item 0 is stored as code 0; a code the table does not know shows item 1.
    Page& page = open();
    page.acceptPlaylistsPopupButton()->setCurrentIndex(0);
    page.commitEditing();
    EXPECT_EQ(storedGeneral().acceptedPlaylistType, 0);
    storeGeneral([](auto& r) { r.acceptedPlaylistType = 16; });
    page.loadSettings();
    EXPECT_EQ(page.acceptPlaylistsPopupButton()->currentIndex(), 1);
}

TEST_F(TQCAppPreferencesPanelGeneralV2Test, EveryControlSavesItsFieldAndLoadsItBack)
{
    Page& page = open();
    struct Case {
        QCheckBox* box;
        bool TQGeneralSettingsRecord::*field;
    };
    const Case cases[] = {
        {page.backupPreviousVersion(), &TQGeneralSettingsRecord::backupPreviousVersion},
        {page.closeProgress(), &TQGeneralSettingsRecord::closeProgress},
        {page.playSound(), &TQGeneralSettingsRecord::playSound},
        {page.acceptNonMediaFiles(), &TQGeneralSettingsRecord::acceptNonMediaFiles},
        {page.ccopyImagesAndTexts(), &TQGeneralSettingsRecord::copyImagesAndTexts},
        {page.ccopyNotConvertedFiles(), &TQGeneralSettingsRecord::copyNotConvertedFiles},
        {page.supportCUESheets(), &TQGeneralSettingsRecord::supportCUESheets},
        {page.acceptPlaylists(), &TQGeneralSettingsRecord::acceptPlaylists},
        {page.acceptShortcuts(), &TQGeneralSettingsRecord::acceptShortcuts},
        {page.replicateDirectoryStructure(), &TQGeneralSettingsRecord::replicateDirectoryStructure},
        {page.organizeDestinationFolders(), &TQGeneralSettingsRecord::organizeDestinationFolders},
        {page.renamedDestinationFiles(), &TQGeneralSettingsRecord::renameDestinationFiles},
        {page.openFinderWithConvertedFiles(), &TQGeneralSettingsRecord::openFinderWithConvertedFiles},
        {page.moveToTrashSourceFiles(), &TQGeneralSettingsRecord::moveToTrashSourceFiles},
    };
    page.overwriteSettingPopupButton()->setCurrentIndex(0);
    page.clickStubWithSaveEditing();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box->objectName().toStdString());
        page.tabView()->setCurrentWidget(c.box->parentWidget());
        EXPECT_TRUE(c.box->isEnabled());
        QTest::mouseClick(c.box, Qt::LeftButton, {}, QPoint(4, c.box->height() / 2));
        EXPECT_TRUE(storedGeneral().*c.field);
        page.loadSettings();
        EXPECT_TRUE(c.box->isChecked());
        c.box->click();
        EXPECT_FALSE(storedGeneral().*c.field);
    }
}

TEST_F(TQCAppPreferencesPanelGeneralV2Test, ReplicateAndOrganizeAreNeverBothStored)
{
    Page& page = open();
    page.replicateDirectoryStructure()->click();
    EXPECT_TRUE(storedGeneral().replicateDirectoryStructure);
    page.organizeDestinationFolders()->click();
    EXPECT_FALSE(page.replicateDirectoryStructure()->isChecked());
    TQGeneralSettingsRecord stored = storedGeneral();
    EXPECT_TRUE(stored.organizeDestinationFolders);
    EXPECT_FALSE(stored.replicateDirectoryStructure);
    page.replicateDirectoryStructure()->click();
    stored = storedGeneral();
    EXPECT_TRUE(stored.replicateDirectoryStructure);
    EXPECT_FALSE(stored.organizeDestinationFolders);
}

TEST_F(TQCAppPreferencesPanelGeneralV2Test, ControlsFollowTheOptionsTheyDependOn)
{
    storeGeneral([](auto& r) {
        r.overwritePolicy = 1;
        r.backupPreviousVersion = true;
    });
    Page& page = open();
    EXPECT_FALSE(page.backupPreviousVersion()->isEnabled());
    EXPECT_TRUE(page.backupPreviousVersion()->isChecked());
    page.commitEditing();
    EXPECT_TRUE(storedGeneral().backupPreviousVersion) << "a disabled option keeps its stored value";

    EXPECT_FALSE(page.acceptPlaylistsPopupButton()->isEnabled());
    EXPECT_FALSE(page.organizeDestinationFoldersPopupButton()->isEnabled());
    EXPECT_FALSE(page.renameDestinationFilesPopupButton()->isEnabled());
    EXPECT_FALSE(page.playlistSettingsLink()->isEnabled());
    page.acceptPlaylists()->click();
    page.organizeDestinationFolders()->click();
    page.renamedDestinationFiles()->click();
    EXPECT_TRUE(page.acceptPlaylistsPopupButton()->isEnabled());
    EXPECT_TRUE(page.organizeDestinationFoldersPopupButton()->isEnabled());
    EXPECT_TRUE(page.renameDestinationFilesPopupButton()->isEnabled());
}

TEST_F(TQCAppPreferencesPanelGeneralV2Test, SavingKeepsThePlaylistOptionsStoredInBetween)
{
    Page& page = open();
    TQGeneralSettingsRecord playlist;
    playlist.playlistOptions = {128, 0x103, true, "Road Trip"};
    TQKitPlaylistSettingsSave(&playlist);
    page.playSound()->click();
    const TQGeneralSettingsRecord stored = storedGeneral();
    EXPECT_TRUE(stored.playSound);
    EXPECT_EQ(stored.playlistOptions, playlist.playlistOptions);
}

TEST_F(TQCAppPreferencesPanelGeneralV2Test, TheTabIsRememberedAndDestinationFilesComesFirst)
{
    Page& page = open();
    EXPECT_EQ(page.selectedTabViewItemIndex(), 1) << "nothing stored: Destination Files";
    page.tabView()->setCurrentIndex(2);
    EXPECT_EQ(TQKitSettingReadText("TQCSetting", "GeneralSettingTabViewIndex", ""), "2");
    page_.reset();
    EXPECT_EQ(open().selectedTabViewItemIndex(), 2);

    const struct {
        const char* name;
        bool known;
        int tab;
    } names[] = {{"Source", true, 0},           {"source files", true, 0}, {"DEST", true, 1},
                 {"destination", true, 1},      {"Destination Files", true, 1}, {"completion", true, 2},
                 {"destinations", false, 2},    {"", false, 2}};
    page_->tabView()->setCurrentIndex(2);
    for (const auto& c : names) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(page_->selectSubPage(QString::fromLatin1(c.name)), c.known);
        EXPECT_EQ(page_->selectedTabViewItemIndex(), c.tab);
        if (c.known)
            page_->tabView()->setCurrentIndex(2);
    }
    for (const int index : {-1, 3, 7}) {
        page_->selectTabViewItemAtIndex(index);
        EXPECT_EQ(page_->selectedTabViewItemIndex(), 2);
    }
}

TEST_F(TQCAppPreferencesPanelGeneralV2Test, WithoutTheSourceFilesTabItsOptionsAreStoredOff)
{
    storeGeneral([](auto& r) {
        r.acceptNonMediaFiles = r.copyImagesAndTexts = r.copyNotConvertedFiles = true;
        r.supportCUESheets = r.acceptPlaylists = r.acceptShortcuts = true;
        r.acceptedPlaylistType = 32;
    });
    Page& page = open();
    page.hideSourceFilesSection();
    EXPECT_EQ(page.tabView()->count(), 2);
    EXPECT_EQ(page.selectedTabViewItemIndex(), 0) << "two tabs: Destination Files comes first";
    EXPECT_FALSE(page.toolbarItemTooltip().contains(u"source files"_s));
    page.commitEditing();
    const TQGeneralSettingsRecord stored = storedGeneral();
    EXPECT_FALSE(stored.acceptNonMediaFiles || stored.copyImagesAndTexts || stored.copyNotConvertedFiles ||
                 stored.supportCUESheets || stored.acceptPlaylists || stored.acceptShortcuts);
    EXPECT_EQ(stored.acceptedPlaylistType, 0);
}

TEST_F(TQCAppPreferencesPanelGeneralV2Test, CheckingCreatePlaylistOpensItsSettingsAtTheLink)
{
    Page& page = open();
    page.tabView()->setCurrentIndex(1);
    page.createPlaylistButton()->click();
    EXPECT_TRUE(storedGeneral().createPlaylist);
    QWidget* popover = visibleTopLevelWidget(u"popover"_s);
    ASSERT_NE(popover, nullptr);
    EXPECT_NE(popover->findChild<PlaylistView*>(), nullptr);
    EXPECT_NEAR(popover->geometry().top(), page.playlistSettingsLink()->mapToGlobal(QPoint(0, 0)).y() +
                                               page.playlistSettingsLink()->height(), 20);

    // Return in the name field stores the name and leaves the popover open.
    auto* name = popover->findChild<QLineEdit*>(u"playlistNameField"_s);
    ASSERT_NE(name, nullptr);
    name->setFocus();
    QTest::keyClicks(name, u"Late Set"_s);
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(storedGeneral().playlistOptions.playlistName, "Late Set");
    EXPECT_TRUE(popover->isVisible());
    popover->close();
    pumpEvents();

    page.createPlaylistButton()->click();
    EXPECT_FALSE(storedGeneral().createPlaylist);
    EXPECT_EQ(visibleTopLevelWidget(u"popover"_s), nullptr);
}

TEST_F(TQCAppPreferencesPanelGeneralV2Test, ThePatternPopUpsShowAndStoreTheRecordsPatterns)
{
    storeGeneral([](auto& r) {
        r.organizeDestinationFolders = true;
        r.destinationFolderPattern = "{{genre}}/{{artist}}";
        r.renameDestinationFiles = true;
        r.fileNamePattern = "{{track}} {{title}}";
    });
    Page& page = open();
    EXPECT_EQ(selectedPattern(page.organizeDestinationFoldersPopupButton()), "{{genre}}/{{artist}}");
    EXPECT_EQ(selectedPattern(page.renameDestinationFilesPopupButton()), "{{track}} {{title}}")
        << "a stored pattern the list lacks is added";
    TQTagLibTextComposePopUpButton* folders = TQPatternPopUpController(page.organizeDestinationFoldersPopupButton());
    ASSERT_NE(folders, nullptr);
    EXPECT_EQ(folders->setting(), u"DestDirFormatList"_s);
    EXPECT_EQ(folders->msgDict().value(u"TQPBCVNewTitle"_s), u"New Destination Folder"_s);
    EXPECT_EQ(TQPatternPopUpController(page.renameDestinationFilesPopupButton())->msgDict().value(u"TQCVCaseToolTip"_s),
              u"Set up the case of the Destionation File Name"_s);

    // Choosing another folder pattern from the menu stores it.
    TQKitPopUpButton* button = page.organizeDestinationFoldersPopupButton();
    QMenu* menu = button->menu();
    const qsizetype index = TQPatternMenuFindExact(menu, u"{{artist}}/{{album}}"_s);
    ASSERT_GE(index, 0);
    button->popUp();
    menu->actions().at(index)->trigger();
    menu->hide();
    EXPECT_EQ(storedGeneral().destinationFolderPattern, "{{artist}}/{{album}}");
}

TEST_F(TQCAppPreferencesPanelGeneralV2Test, APatternMadeWithNewIsSelectedAndStored)
{
    storeGeneral([](auto& r) { r.renameDestinationFiles = true; });
    Page& page = open();
    TQKitPopUpButton* button = page.renameDestinationFilesPopupButton();
    scriptedResponder().setRule([](const TQKitAlertRequest& request) {
        auto* view = qobject_cast<TQTagLibTextComposeView*>(request.accessoryView.data());
        if (!view)
            return TQKitAlertAnswer{kTQKitAlertAlternateButton, false};
        view->setTextPattern(u"{{album}} {{track}}"_s);
        return TQKitAlertAnswer{kTQKitAlertDefaultButton, false};
    });
    button->popUp();
    auto* row = qobject_cast<QWidgetAction*>(
        TQKitMenuItemWithTag(button->menu(), TQTagLibTextComposePopUpButton::kActionsPanelTag));
    ASSERT_NE(row, nullptr);
    row->defaultWidget()->findChild<QPushButton*>(u"menuActionNewPattern:"_s)->click();
    ASSERT_TRUE(pumpUntil([] { return !scriptedResponder().requests().isEmpty(); }));
    EXPECT_EQ(scriptedResponder().requests().first().title, u"New Destination File Name"_s);
    EXPECT_TRUE(pumpUntil([] { return storedGeneral().fileNamePattern == "{{album}} {{track}}"; }));
    EXPECT_EQ(selectedPattern(button), "{{album}} {{track}}");
}

TEST_F(TQCAppPreferencesPanelGeneralV2Test, ResetRestoresThePageAndBothPatternLists)
{
    TQPatternListSave("TQCSetting", "DestDirFormatList", {"{{year}}"});
    TQPatternListSave("TQCSetting", "RenameFilesFormatList", {"{{title}}"});
    storeGeneral([](auto& r) {
        r.overwritePolicy = 0;
        r.playSound = true;
        r.organizeDestinationFolders = true;
        r.destinationFolderPattern = "{{year}}";
        r.fileNamePattern = "{{title}}";
    });
    TQTagSettingsRecord tags;
    tags.launchLyrebook = true;
    TQKitTagSettingsSave(&tags, 0);
    Page& page = open();
    EXPECT_TRUE(page.playSound()->isChecked());

    ASSERT_TRUE(page.hasResetPreferences());
    EXPECT_EQ(page.resetPreferencesTitle(), u"General Settings"_s);
    page.resetPreferences();
    EXPECT_EQ(storedGeneral(), TQGeneralSettingsRecord());
    EXPECT_FALSE(page.playSound()->isChecked());
    EXPECT_EQ(page.overwriteSettingPopupButton()->currentIndex(), 2);
    EXPECT_FALSE(page.organizeDestinationFolders()->isChecked());
    EXPECT_EQ(TQPatternMenuPatterns(page.organizeDestinationFoldersPopupButton()->menu()),
              (QStringList{u"{{artist}}"_s, u"{{artist}}/{{album}}"_s, u"{{genre}}"_s, u"{{genre}}/{{artist}}"_s}));
    EXPECT_EQ(TQPatternMenuPatterns(page.renameDestinationFilesPopupButton()->menu()).size(), 8);
    EXPECT_TRUE(page.launchLyrebook()->isChecked()) << "the Lyrebook flag belongs to the tag options";
}

TEST_F(TQCAppPreferencesPanelGeneralV2Test, TheLyrebookFlagIsTheTagOptionsOne)
{
    Page& page = open();
    page.tabView()->setCurrentIndex(2);
    page.launchLyrebook()->click();
    TQTagSettingsRecord tags;
    TQKitTagSettingsLoad(&tags);
    EXPECT_TRUE(tags.launchLyrebook);

    tags.launchLyrebook = false;
    TQKitTagSettingsSave(&tags, 0);
    page.viewWillAppear();
    EXPECT_FALSE(page.launchLyrebook()->isChecked());
}

// --- The playlist settings view --------------------------------------------------------------------

TEST(TQCAppPreferencesPanelGeneralV2PlaylistSettingsViewTables, FormatAndSortItemsMapToTheirCodes)
{
    const int formats[] = {16, 128, 32, 8, 64};
    for (int index = 0; index < 5; ++index) {
        EXPECT_EQ(PlaylistView::indexToPlaylistType(index), formats[index]);
        EXPECT_EQ(PlaylistView::playlistTypeToIndex(formats[index]), index);
    }
    for (const int index : {-1, 5, 9})
        EXPECT_EQ(PlaylistView::indexToPlaylistType(index), 16);
    EXPECT_EQ(PlaylistView::playlistTypeToIndex(0), 0);

    const int sortCodes[] = {1, 2, 2, 3, 4, 5, 6, 7, 8, 9, 11, 10, 12, 12};
    for (int index = 0; index < 14; ++index)
        EXPECT_EQ(PlaylistView::indexToSortingOrder(index), sortCodes[index]) << index;
    EXPECT_EQ(PlaylistView::indexToSortingOrder(14), 1);
    const struct {
        int code;
        int index;
    } selected[] = {{1, 0}, {2, 2}, {3, 3}, {9, 9}, {11, 10}, {10, 11}, {12, 13}, {0, 0}, {13, 0}, {0x105, 5}, {0x10C, 13}};
    for (const auto& c : selected)
        EXPECT_EQ(PlaylistView::sortingOrderToIndex(c.code), c.index) << c.code;
}

class TQCAppPreferencesPanelGeneralV2PlaylistSettingsViewTest : public ::testing::Test {
protected:
    TQCAppPreferencesPanelGeneralV2PlaylistSettingsViewTest() { scriptedResponder().reset(); }

    static TQPlaylistCreationOptions stored() { return storedGeneral().playlistOptions; }
    static void store(const TQPlaylistCreationOptions& options)
    {
        TQGeneralSettingsRecord record;
        record.playlistOptions = options;
        TQKitPlaylistSettingsSave(&record);
    }

    TempHome home_;
};

TEST_F(TQCAppPreferencesPanelGeneralV2PlaylistSettingsViewTest, ADescendingOrderIsShownAndStoredAgain)
{
    store({32, 0x105, true, "Mix"});
    std::unique_ptr<PlaylistView> view(PlaylistView::view());
    EXPECT_EQ(view->playlistFormatPopupButton()->currentIndex(), 2);
    EXPECT_EQ(view->sortOrderPopupButton()->currentIndex(), 5);
    EXPECT_TRUE(view->sortOrderDescendingButton()->isChecked());
    EXPECT_TRUE(view->mergeWithExistingPlaylistButton()->isChecked());
    EXPECT_EQ(view->playlistNameField()->text(), u"Mix"_s);
    view->commitEditing();
    EXPECT_EQ(stored(), (TQPlaylistCreationOptions{32, 0x105, true, "Mix"}));
}

TEST_F(TQCAppPreferencesPanelGeneralV2PlaylistSettingsViewTest, ShuffleDisablesTheDirectionButStillStoresIt)
{
    std::unique_ptr<PlaylistView> view(PlaylistView::view());
    view->sortOrderDescendingButton()->click();
    EXPECT_EQ(stored().sortOrder, 0x101);
    view->sortOrderPopupButton()->setCurrentIndex(13);
    Q_EMIT view->sortOrderPopupButton()->activated(13);
    EXPECT_FALSE(view->sortOrderDescendingButton()->isEnabled());
    EXPECT_EQ(stored().sortOrder, 0x10C);
}

TEST_F(TQCAppPreferencesPanelGeneralV2PlaylistSettingsViewTest, NamesAreTrimmedAndReturnStoresThem)
{
    std::unique_ptr<PlaylistView> view(PlaylistView::view());
    view->show();
    view->playlistNameField()->setFocus();
    view->playlistNameField()->setText(u"  Café Night  "_s);
    QTest::keyClick(view->playlistNameField(), Qt::Key_Return);
    EXPECT_EQ(stored().playlistName, "Café Night");
    EXPECT_TRUE(view->isVisible());

    view->playlistNameField()->setText(u"    "_s);
    view->commitEditing();
    EXPECT_EQ(stored().playlistName, "");
    std::unique_ptr<PlaylistView> again(PlaylistView::view());
    EXPECT_TRUE(again->playlistNameField()->text().isEmpty());
}

TEST_F(TQCAppPreferencesPanelGeneralV2PlaylistSettingsViewTest, AnUnknownFormatShowsTheFirstItemAndIsStoredAs16)
{
    TQGeneralSettingsRecord record;
    record.playlistOptions.playlistType = 99;
    TQKitGeneralSettingsSave(&record);
    std::unique_ptr<PlaylistView> view(PlaylistView::view());
    EXPECT_EQ(view->playlistFormatPopupButton()->currentIndex(), 0);
    view->commitEditing();
    EXPECT_EQ(stored().playlistType, 16);
}

} // namespace
} // namespace sonvale::test
