#include "app/controls/TQControlPathPicker.h"
#include "app/main-window/TQCAppMainWindowEnterURLController.h"
#include "app/main-window/TQCAppMainWindowPanelDstDir.h"
#include "app/progress-window/TQCAppProgressWindowController.h"
#include "platform/tqkit-ui/TQKitMenu.h"
#include "platform/tqkit-ui/TQKitMenuItems.h"
#include "platform/tqkit-ui/TQKitOpenPanel.h"
#include "platform/tqkit-ui/TQKitWindowSheet.h"
#include "platform/tqkit/TQKitSettings.h"
#include "tests/app/support/MainWindowFixture.h"
#include "tests/app/support/TQKitEngineStandIn.h"

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
#include <QMimeData>
#include <QPushButton>
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

TEST_F(TQCAppMainWindowControllerTest, EnterURLStartsTheTypedPathAndRefusesAnEmptyField)
{
    load();
    QApplication::clipboard()->clear();
    const QString folder = homePath(u"Album"_s);
    QDir().mkpath(folder);
    int shown = 0;
    scriptedResponder().setRule([&](const TQKitAlertRequest& request) -> TQKitAlertAnswer {
        if (request.title != u"Enter URL"_s)
            return {request.buttons.first().code, false};
        auto* field = request.accessoryView->findChild<QLineEdit*>(u"urlTextField"_s);
        // First Continue with an empty field, then with the folder's path amid spaces.
        field->setText(++shown == 1 ? QString() : u"  "_s + folder + u"\n"_s);
        scriptedResponder().holdAnswers(shown == 1); // keeps the second sheet open until released
        return {kTQKitAlertDefaultButton, false};
    });

    menuItem("delegateAction:", kTQMenuTagEnterURL)->trigger();
    ASSERT_TRUE(pumpUntil([&] { return scriptedResponder().heldCount() == 1; }));
    EXPECT_TRUE(controller_->progressWindowControllers().isEmpty());
    ASSERT_NE(popover(), nullptr); // the hint at the field of the open sheet
    EXPECT_NE(popover()->findChild<QLabel*>(u"popoverTitle"_s)->text().indexOf(u"Invalid URL"_s), -1);
    scriptedResponder().releaseHeld();
    ASSERT_TRUE(waitForBatches(1));
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(controller_->progressWindowControllers().first()->srcPaths(), QStringList{folder});
    EXPECT_EQ(TQKitSettingReadText("TQCSetting", "TQCAppEnterURLControllerURL", ""), folder.toStdString());

    // The next sheet offers the remembered entry.
    TQCAppMainWindowEnterURLController next;
    EXPECT_EQ(next.urlTextField()->text(), folder);
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
