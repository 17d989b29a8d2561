#include "app/controls/TQControlPathPicker.h"
#include "app/main-window/TQCAppMainWindowEnterURLController.h"
#include "app/main-window/TQCAppMainWindowPanelDstDir.h"
#include "app/progress-window/TQCAppProgressWindowController.h"
#include "platform/tqkit-ui/TQKitDialogResponder.h"
#include "platform/tqkit-ui/TQKitMenu.h"
#include "platform/tqkit-ui/TQKitMenuItems.h"
#include "platform/tqkit-ui/TQKitOpenPanel.h"
#include "platform/tqkit-ui/TQKitWindowSheet.h"
#include "platform/tqkit/TQKitRemoteParams.h"
#include "platform/tqkit/TQKitSettings.h"
#include "platform/system/XdgPaths.h"
#include "tests/app/support/MainWindowFixture.h"
#include "tests/app/support/TQKitEngineStandIn.h"

#include <fstream>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QUrl>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using namespace sonvale::test;

namespace {

class TQCAppMainWindowControllerTest : public MainWindowFixture {
protected:
    QSize contentSize() const { return window_->centralWidget()->size(); }
    bool isFixedSize() const { return window_->minimumSize() == window_->maximumSize(); }

    QAction* menuItem(const QByteArray& action, int tag = 0) const
    {
        for (QAction* item : window_->menuItems()) {
            if (TQKitMenuItemAction(item) == action && (tag == 0 || TQKitMenuItemTag(item) == tag))
                return item;
        }
        return nullptr;
    }

    QWidget* popover() const
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == u"popoverMessage"_s && widget->isVisible())
                return widget;
        }
        return nullptr;
    }
};

TEST_F(TQCAppMainWindowControllerTest, CollapseAndExpandGiveFixedSizesAndAreRemembered)
{
    load();
    EXPECT_EQ(contentSize(), QSize(655, 148));
    EXPECT_TRUE(isFixedSize());
    EXPECT_FALSE(controller_->isCollapsed());
    const QRect settingsFrame = window_->preferencesButton()->geometry();
    EXPECT_FALSE(saveScreenshot(window_.get(), u"main-window-expanded"_s).empty());

    window_->zoomButton()->click();
    ASSERT_TRUE(pumpUntil([&] { return window_->preferencesButton()->isVisible(); }));
    EXPECT_EQ(contentSize(), QSize(250, 39));
    EXPECT_TRUE(isFixedSize());
    EXPECT_TRUE(controller_->isCollapsed());
    EXPECT_FALSE(window_->menuBar()->isVisible());
    for (QWidget* hidden : {static_cast<QWidget*>(window_->helpButton()), static_cast<QWidget*>(window_->titleDropFiles()),
                            static_cast<QWidget*>(window_->destinationFolder())})
        EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
    const QRect collapsedSettings = window_->preferencesButton()->geometry();
    EXPECT_EQ(collapsedSettings.center().x(), 250 / 2 - (collapsedSettings.width() % 2 == 0 ? 1 : 0));
    EXPECT_EQ(TQKitSettingReadText("TQCSetting", "MainWindowIsCollapsed", ""), "1");
    EXPECT_FALSE(saveScreenshot(window_.get(), u"main-window-collapsed"_s).empty());

    // A new run starts collapsed.
    load();
    EXPECT_TRUE(controller_->isCollapsed());
    controller_->expandCollapseWindow();
    EXPECT_EQ(contentSize(), QSize(655, 148));
    EXPECT_EQ(window_->preferencesButton()->geometry(), settingsFrame);
    EXPECT_TRUE(window_->helpButton()->isVisible());
    EXPECT_EQ(TQKitSettingReadText("TQCSetting", "MainWindowIsCollapsed", ""), "0");
}

// At a larger system font the window grows instead of cutting its heading and buttons.
TEST_F(TQCAppMainWindowControllerTest, TheWindowSizesToItsFonts)
{
    load();
    QFont large = window_->font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    window_->setFont(large);
    pumpEvents();
    EXPECT_GT(contentSize().width(), 655);
    EXPECT_TRUE(isFixedSize());
    const QLabel* heading = window_->titleDropFiles();
    EXPECT_GE(heading->width(), heading->sizeHint().width()) << "the heading whole";
    EXPECT_LT(window_->preferencesButton()->geometry().right(), heading->geometry().left());
    EXPECT_LT(heading->geometry().right(), window_->helpButton()->geometry().left());
    for (const QPushButton* button : {window_->browseFilesButton(), window_->browseButton(), window_->enterURLButton()}) {
        EXPECT_GE(button->width(), button->sizeHint().width()) << button->objectName().toStdString();
        EXPECT_LE(button->geometry().right(), contentSize().width()) << button->objectName().toStdString();
    }
    EXPECT_FALSE(saveScreenshot(window_.get(), u"main-window-large-font"_s).empty());

    controller_->expandCollapseWindow();
    EXPECT_GE(window_->preferencesButton()->width(), window_->preferencesButton()->sizeHint().width());
    EXPECT_LE(window_->preferencesButton()->geometry().right(), window_->zoomButton()->geometry().left());
}

TEST_F(TQCAppMainWindowControllerTest, ShortcutsWorkInTheCollapsedWindowAndMenusHaveAltLetters)
{
    load();
    controller_->expandCollapseWindow();
    ASSERT_TRUE(controller_->isCollapsed());
    ASSERT_TRUE(pumpUntil([&] { return window_->isVisible(); })); // shown again in front
    QApplication::setActiveWindow(window_.get());
    ASSERT_TRUE(pumpUntil([&] { return window_->isActiveWindow(); }));
    QTest::keyClick(window_.get(), Qt::Key_M, Qt::ControlModifier);
    EXPECT_FALSE(controller_->isCollapsed()) << "Ctrl+M without the menu bar";
    for (const QAction* menu : window_->menuBar()->actions())
        EXPECT_TRUE(menu->text().contains(u'&')) << menu->text().toStdString();
}

TEST_F(TQCAppMainWindowControllerTest, FlatButtonsShowFocusAndTheGlyphsShowInTheDarkPalette)
{
    load();
    window_->activateWindow();
    ASSERT_TRUE(pumpUntil([&] { return window_->isActiveWindow(); }));
    window_->helpButton()->setFocus();
    pumpEvents();
    EXPECT_FALSE(window_->helpButton()->isFlat());
    window_->zoomButton()->setFocus();
    pumpEvents();
    EXPECT_TRUE(window_->helpButton()->isFlat());
    EXPECT_FALSE(window_->zoomButton()->autoRaise());

    // The toggle's chevron and the import button's play glyph, drawn light on the dark window.
    QApplication::setPalette(darkPalette());
    pumpEvents();
    const struct {
        const char* name;
        QIcon icon;
    } glyphs[] = {{"toggle", window_->zoomButton()->icon()}, {"import", window_->browseButton()->icon()}};
    QApplication::setPalette(QPalette());
    for (const auto& glyph : glyphs) {
        const QImage image = glyph.icon.pixmap(16).toImage();
        QColor drawn;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y).alpha() == 255)
                    drawn = image.pixelColor(x, y);
        ASSERT_TRUE(drawn.isValid()) << glyph.name;
        EXPECT_GT(drawn.lightness(), 160) << glyph.name;
    }
}

TEST_F(TQCAppMainWindowControllerTest, CollapseIsRefusedWhileASheetIsOpen)
{
    load();
    auto* sheet = new QDialog;
    ASSERT_TRUE(TQKitWindowSheet::of(window_.get())->attach(sheet));
    sheet->open();
    controller_->expandCollapseWindow();
    EXPECT_EQ(contentSize(), QSize(655, 148));
    sheet->done(0);
    delete sheet;
}

TEST_F(TQCAppMainWindowControllerTest, EachStateHasItsOwnStayInFrontChoice)
{
    load();
    EXPECT_FALSE(controller_->isStayInFront()); // full: not in front by default
    controller_->expandCollapseWindow();
    EXPECT_TRUE(controller_->isStayInFront()); // collapsed: in front by default
    menuItem("stayInFront:")->trigger();
    EXPECT_FALSE(controller_->isStayInFront());
    EXPECT_EQ(TQKitSettingReadText("TQCSetting", "MainWindowStayInFrontCollapsed", ""), "0");
    controller_->expandCollapseWindow();
    controller_->expandCollapseWindow();
    EXPECT_FALSE(controller_->isStayInFront()); // the stored "0" keeps the collapsed window normal
}

TEST_F(TQCAppMainWindowControllerTest, CollapsedSettingsButtonOpensThePopUpMenu)
{
    load();
    controller_->expandCollapseWindow();
    ASSERT_TRUE(pumpUntil([&] { return window_->preferencesButton()->isVisible(); }));
    window_->preferencesButton()->click();
    EXPECT_TRUE(pumpUntil([&] { return window_->popupMenu()->isVisible(); }));
    window_->popupMenu()->hide();
}

// "Check for Updates..." is offered only with the online features and while a newer version is
// announced; the command then checks with a progress box, or says the computer is offline.
TEST_F(TQCAppMainWindowControllerTest, CheckForUpdatesIsShownOnlyWhenANewerVersionIsAnnounced)
{
    load();
    QAction* item = menuItem("checkForUpdates:");
    ASSERT_NE(item, nullptr);
    const std::pair<const char*, bool> cases[] = {
        {"{}", false},
        {R"({"TQCAppVersion": 430})", false},
        {R"({"TQCAppVersion": 429, "TQKitUpdateAvailable": 1})", false},
        {R"({"TQCAppVersion": 430, "TQKitUpdateAvailable": 1})", true},
    };
    for (const auto& [json, visible] : cases) {
        std::ofstream(sonvale::sonvaleDataDir() / "params.json") << json;
        ASSERT_TRUE(TQKitRemoteParamsLoad());
        controller_->validateMenuItem(item);
        EXPECT_EQ(item->isVisible(), visible) << json;
    }
}

TEST_F(TQCAppMainWindowControllerTest, PasteOfAPathStartsABatchAndAnEmptyPasteDoesNot)
{
    load();
    QApplication::clipboard()->setText(u"no sources here"_s);
    EXPECT_FALSE(controller_->validateMenuItem(menuItem("paste:")));
    controller_->paste(nullptr);
    settle();
    EXPECT_TRUE(controller_->progressWindowControllers().isEmpty());

    const QString wav = makeWav(u"pasted.wav"_s);
    QApplication::clipboard()->setText(wav);
    EXPECT_TRUE(controller_->validateMenuItem(menuItem("paste:")));
    menuItem("paste:")->trigger();
    ASSERT_TRUE(waitForBatches(1));
    EXPECT_EQ(controller_->progressWindowControllers().first()->srcPaths(), QStringList{wav});
}

// Ctrl+V follows the clipboard of the moment the keys are pressed, whatever it held when the Edit
// menu last opened.
TEST_F(TQCAppMainWindowControllerTest, PasteShortcutFollowsTheClipboardNotTheMenusLastOpening)
{
    load();
    QAction* paste = menuItem("paste:");
    auto* edit = qobject_cast<QMenu*>(paste->parent());
    ASSERT_NE(edit, nullptr);
    auto openAndCloseEditMenu = [&] {
        edit->popup(window_->mapToGlobal(QPoint(0, 0)));
        ASSERT_TRUE(pumpUntil([&] { return edit->isVisible(); }));
        edit->hide();
        QApplication::setActiveWindow(window_.get());
        ASSERT_TRUE(pumpUntil([&] { return !edit->isVisible() && window_->isActiveWindow(); }));
    };
    const QString wav = makeWav(u"pasted.wav"_s);

    QApplication::clipboard()->setText(wav);
    openAndCloseEditMenu();
    EXPECT_TRUE(paste->isEnabled());
    QApplication::clipboard()->setText(u"no sources here"_s);
    QTest::keyClick(window_.get(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_FALSE(paste->isEnabled());
    settle();
    EXPECT_TRUE(controller_->progressWindowControllers().isEmpty());

    openAndCloseEditMenu();
    EXPECT_FALSE(paste->isEnabled());
    QApplication::clipboard()->setText(wav);
    QTest::keyClick(window_.get(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_TRUE(waitForBatches(1)) << "files copied after the Edit menu was shown";
    EXPECT_EQ(controller_->progressWindowControllers().first()->srcPaths(), QStringList{wav});
}

TEST_F(TQCAppMainWindowControllerTest, EnterURLStartsTheTypedPathAndRefusesAnEmptyField)
{
    load();
    QApplication::clipboard()->clear();
    const QString folder = homePath(u"Album"_s);
    QDir().mkpath(folder);
    int tries = 0;
    bool hintShownAtTheSecondTry = false;
    scriptedResponder().setRule([&](const TQKitAlertRequest& request) -> TQKitAlertAnswer {
        if (request.title != u"Enter URL"_s)
            return {request.buttons.first().code, false};
        auto* field = request.accessoryView->findChild<QLineEdit*>(u"urlTextField"_s);
        // First Continue with an empty field, then with the folder's path amid spaces.
        if (++tries == 2)
            hintShownAtTheSecondTry = popover() && popover()->findChild<QLabel*>(u"popoverTitle"_s)->text().contains(u"Invalid URL"_s);
        field->setText(tries == 1 ? QString() : u"  "_s + folder + u"\n"_s);
        return {kTQKitAlertDefaultButton, false};
    });

    menuItem("delegateAction:", kTQMenuTagEnterURL)->trigger();
    ASSERT_TRUE(waitForBatches(1));
    EXPECT_EQ(tries, 2);
    EXPECT_TRUE(hintShownAtTheSecondTry);
    EXPECT_EQ(scriptedResponder().titles().count(u"Enter URL"_s), 1) << "one sheet, kept open";
    EXPECT_EQ(controller_->progressWindowControllers().first()->srcPaths(), QStringList{folder});
    EXPECT_EQ(TQKitSettingReadText("TQCSetting", "TQCAppEnterURLControllerURL", ""), folder.toStdString());

    // The next sheet offers the remembered entry.
    TQCAppMainWindowEnterURLController next;
    EXPECT_EQ(next.urlTextField()->text(), folder);
}

// The examples above the field are a web page and a local path, each one taken whole when typed
// into the field; the empty field names what it takes rather than showing a path of its own.
TEST_F(TQCAppMainWindowControllerTest, EnterURLExamplesAreAWebPageAndALocalPathTheFieldTakes)
{
    const QStringList lines = TQCAppMainWindowEnterURLController::urlTextFieldHint().split(u'\n');
    const qsizetype heading = lines.indexOf(u"Examples:"_s);
    ASSERT_EQ(heading, lines.size() - 3) << "two examples close the text";
    const QString webPage = lines[heading + 1];
    const QString localPath = lines[heading + 2];
    EXPECT_TRUE(webPage.startsWith(u"https://"_s)) << webPage.toStdString();
    EXPECT_TRUE(localPath.startsWith(u"/home/"_s)) << localPath.toStdString();
    for (const QString& example : {webPage, localPath})
        EXPECT_EQ(TQCAppMainWindowEnterURLController::validURLFromBuffer(example), example);

    QApplication::clipboard()->clear();
    const TQCAppMainWindowEnterURLController sheet;
    EXPECT_TRUE(sheet.urlTextField()->text().isEmpty());
    EXPECT_EQ(sheet.urlTextField()->placeholderText(), sheet.urlTextField()->accessibleName());
}

// The real sheet, driven as a person would: the field stays through a refused Continue, above the
// buttons, and a source found on the clipboard is shown selected before Return can convert it.
TEST_F(TQCAppMainWindowControllerTest, EnterURLSheetKeepsItsFieldAndShowsTheClipboardSelected)
{
    load();
    TQKitDialogResponder dialogs;
    TQKitAlertResponder::install(&dialogs);
    const auto restore = qScopeGuard([] { TQKitAlertResponder::install(&scriptedResponder()); });
    QApplication::clipboard()->clear();
    QStringList started;
    TQCAppMainWindowEnterURLController::runAlert(window_.get(), [&](const QString& url) { started << url; });
    QMessageBox* box = nullptr;
    ASSERT_TRUE(pumpUntil([&] { return (box = window_->findChild<QMessageBox*>()) && box->isVisible(); }));
    auto* field = box->findChild<QLineEdit*>(u"urlTextField"_s);
    ASSERT_NE(field, nullptr);
    EXPECT_NE(box->icon(), QMessageBox::Warning) << "a plain question";

    box->defaultButton()->click();
    pumpEvents();
    ASSERT_TRUE(box->isVisible()) << "an empty field keeps the sheet open";
    EXPECT_TRUE(field->isVisible());
    EXPECT_NE(popover(), nullptr);
    const int fieldBottom = field->mapTo(box, QPoint(0, field->height())).y();
    EXPECT_LE(fieldBottom, box->defaultButton()->mapTo(box, QPoint(0, 0)).y()) << "the field sits above the buttons";

    field->setText(u"not a link"_s);
    QTest::keyClick(field, Qt::Key_Return);
    pumpEvents();
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(field->text(), u"not a link"_s) << "the typed text stays";
    field->setText(u"https://example.org/live.mp3"_s);
    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_TRUE(pumpUntil([&] { return !started.isEmpty(); }));
    EXPECT_EQ(started, QStringList{u"https://example.org/live.mp3"_s});

    // A source on the clipboard fills the field, selected and focused.
    const QString pasted = homePath(u"Clipboard Song.flac"_s);
    QApplication::clipboard()->setText(pasted);
    TQCAppMainWindowEnterURLController::runAlert(window_.get(), [&](const QString& url) { started << url; });
    ASSERT_TRUE(pumpUntil([&] {
        auto* next = window_->findChild<QMessageBox*>();
        field = next && next->isVisible() ? next->findChild<QLineEdit*>(u"urlTextField"_s) : nullptr;
        return field && field->hasFocus();
    }));
    EXPECT_EQ(field->selectedText(), pasted);
    QApplication::clipboard()->clear();
}

TEST_F(TQCAppMainWindowControllerTest, BrowseConvertsTheChosenFolderAndFileTogether)
{
    load();
    const QString shelf = homePath(u"Shelf"_s);
    const QString album = shelf + u"/Album"_s;
    QDir().mkpath(album);
    const QString single = makeWav(u"Shelf/single.wav"_s);

    menuItem("delegateAction:", kTQMenuTagBrowse)->trigger();
    auto* panel = window_->findChild<TQKitOpenPanel*>(u"browseSourcesPanel"_s);
    ASSERT_NE(panel, nullptr);
    panel->setDirectory(shelf);
    auto* view = panel->findChild<QListView*>(u"listView"_s);
    auto* model = qobject_cast<QFileSystemModel*>(view->model());
    ASSERT_NE(model, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return model->index(album).isValid() && model->index(single).isValid(); }));
    auto* convert = panel->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open);

    // A folder alone is a choice, not only a place to go into.
    view->selectionModel()->select(model->index(album), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ASSERT_TRUE(pumpUntil([&] { return convert->isEnabled() && convert->text() == u"Convert"_s; }));

    view->selectionModel()->select(model->index(single), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    pumpEvents();
    EXPECT_FALSE(saveScreenshot(panel, u"app-browse-folder-and-file"_s).empty());
    convert->click();
    ASSERT_TRUE(waitForBatches(1));
    QStringList chosen = controller_->progressWindowControllers().first()->srcPaths();
    chosen.sort();
    EXPECT_EQ(chosen, (QStringList{album, single}));
}

TEST_F(TQCAppMainWindowControllerTest, AFolderDroppedOnTheDestinationPanelBecomesTheDestination)
{
    load();
    TQCAppMainWindowPanelDstDir* panel = window_->dstDirPanel();
    const QString file = makeWav(u"not-a-folder.wav"_s);
    const QString folder = homePath(u"Converted"_s);
    QDir().mkpath(folder);
    const QString before = controller_->destinationFolder()->path();

    const auto fileDragData = fileDrag({file});
    EXPECT_FALSE(panel->draggingEntered(fileDragData.get()));
    EXPECT_FALSE(panel->performDragOperation(fileDragData.get()));
    const auto twoFolders = fileDrag({folder, defaultFolder()});
    EXPECT_FALSE(panel->draggingEntered(twoFolders.get()));
    EXPECT_EQ(controller_->destinationFolder()->path(), before);

    const auto folderDrag = fileDrag({folder});
    EXPECT_TRUE(panel->draggingEntered(folderDrag.get()));
    EXPECT_EQ(panel->currentPanelColor(), panel->backgroundHighlightColor());
    EXPECT_TRUE(panel->performDragOperation(folderDrag.get()));
    EXPECT_EQ(controller_->destinationFolder()->path(), folder);
    EXPECT_EQ(controller_->destinationFolder()->specialItemSelected(), 0u);
}

TEST_F(TQCAppMainWindowControllerTest, CommandsThatOpenSheetsAreDisabledWhileOneIsOpen)
{
    load();
    QApplication::clipboard()->setText(makeWav(u"a.wav"_s));
    auto* sheet = new QDialog;
    ASSERT_TRUE(TQKitWindowSheet::of(window_.get())->attach(sheet));
    sheet->open();
    EXPECT_FALSE(controller_->validateMenuItem(menuItem("delegateAction:", kTQMenuTagBrowse)));
    EXPECT_FALSE(controller_->validateMenuItem(menuItem("delegateAction:", kTQMenuTagEnterURL)));
    EXPECT_TRUE(controller_->validateMenuItem(menuItem("showPreferences:")));
    EXPECT_TRUE(controller_->validateMenuItem(menuItem("contactUs:")));
    EXPECT_TRUE(controller_->validateMenuItem(menuItem("paste:")));
    sheet->done(0);
    delete sheet;
    EXPECT_TRUE(controller_->validateMenuItem(menuItem("delegateAction:", kTQMenuTagBrowse)));
    EXPECT_FALSE(controller_->validateMenuItem(menuItem("undo:")));
}

TEST_F(TQCAppMainWindowControllerTest, DestinationSubmenusShowThePickersFolders)
{
    load();
    controller_->startConversionWithFiles({makeWav(u"a.wav"_s)});
    ASSERT_TRUE(waitForBatches(1));
    // The main window's pop-up menu and the context menu of a progress window.
    for (QMenu* menu : {window_->popupMenu(), controller_->progressWindowControllers().first()->ctxmenu()}) {
        QAction* submenuItem = TQKitMenuItemWithTag(menu, kTQMenuTagDestinationFolder);
        ASSERT_NE(submenuItem, nullptr);
        QMenu* submenu = submenuItem->menu();
        Q_EMIT submenu->aboutToShow();
        QStringList titles;
        for (QAction* item : submenu->actions())
            titles.append(item->isSeparator() ? u"-"_s : item->text());
        EXPECT_EQ(titles, (QStringList{u"As Source Folder"_s, defaultFolder(), u"-"_s, u"Other Destination Folder..."_s}));

        // Choosing the copy acts on the picker.
        submenu->actions().first()->trigger();
        EXPECT_EQ(controller_->destinationFolder()->specialItemSelected(), 16u);
    }
}

// Clear Caches asks first, then leaves the clearing to the engine, which alone knows what it made.
TEST_F(TQCAppMainWindowControllerTest, ClearCachesAsksThenHasTheEngineClearItsOwnCaches)
{
    load();
    engine::reset();
    scriptedResponder().answerTitle(u"Clear Caches"_s, {kTQKitAlertAlternateButton, false});
    menuItem("clearCaches:")->trigger();
    ASSERT_TRUE(pumpUntil([] { return scriptedResponder().requests().size() == 1; }));
    pumpEvents();
    EXPECT_EQ(engine::cacheClearingCount(), 0);

    scriptedResponder().reset();
    menuItem("clearCaches:")->trigger();
    ASSERT_TRUE(pumpUntil([] { return scriptedResponder().requests().size() == 2; }));
    EXPECT_EQ(engine::cacheClearingCount(), 1);
    EXPECT_EQ(scriptedResponder().requests().last().message, u"Caches have been successfully cleared."_s);
}

// Catches the folders the application asks the desktop to open.
class OpenedFolders final : public QObject {
    Q_OBJECT

public:
    OpenedFolders() { QDesktopServices::setUrlHandler(u"file"_s, this, "open"); }
    ~OpenedFolders() override { QDesktopServices::unsetUrlHandler(u"file"_s); }

    QStringList folders;

public Q_SLOTS:
    void open(const QUrl& url) { folders.append(url.toLocalFile()); }
};

TEST_F(TQCAppMainWindowControllerTest, ShowDestinationFolderOpensTheTestedFolder)
{
    load();
    OpenedFolders opened;
    window_->destinationFolderButton()->click();
    EXPECT_EQ(opened.folders, QStringList{defaultFolder()});

    // As Source Folder still opens the default folder; a deleted folder gives its alert instead.
    const QString gone = homePath(u"Gone"_s);
    QDir().mkpath(gone);
    ASSERT_TRUE(controller_->destinationFolder()->addAndSelectPath(gone, {}));
    QDir(gone).removeRecursively();
    scriptedResponder().answerTitle(u"Folder does not exist"_s, {kTQKitAlertOtherButton, false});
    menuItem("delegateAction:", kTQMenuTagShowInFinder)->trigger();
    ASSERT_TRUE(pumpUntil([] { return !scriptedResponder().requests().isEmpty(); }));
    EXPECT_EQ(opened.folders.size(), 1);
}

} // namespace

#include "TQCAppMainWindowControllerTest.moc"
