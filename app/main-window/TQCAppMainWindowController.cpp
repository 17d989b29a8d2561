#include "app/main-window/TQCAppMainWindowController.h"

#include "app/controls/TQAppInfoMenu.h"
#include "app/controls/TQCAppMenuObject.h"
#include "app/controls/TQControlPathPicker.h"
#include "app/main-window/TQCAppMainWindow.h"
#include "app/main-window/TQCAppMainWindowCollapse.h"
#include "app/main-window/TQCAppMainWindowEnterURLController.h"
#include "app/main-window/TQCAppMainWindowImportFromMusicView.h"
#include "app/main-window/TQCAppMainWindowIntroTips.h"
#include "app/main-window/TQCAppMainWindowPanelDstDir.h"
#include "app/main-window/TQCAppMainWindowPanelSrcFiles.h"
#include "app/preferences/TQPreferencesDialogEntryPoints.h"
#include "app/progress-window/TQCAppProgressWindowController.h"
#include "lifecycle/TQAnalytics.h"
#include "lifecycle/TQRatingPrompt.h"
#include "lifecycle/TQUpdateCheck.h"
#include "platform/engine/TQKitCaches.h"
#include "platform/engine/TQKitConversionList.h"
#include "platform/engine/TQKitConverter.h"
#include "platform/tqkit-ui/TQKitAlerts.h"
#include "platform/tqkit-ui/TQKitAppInfo.h"
#include "platform/tqkit-ui/TQKitAppMain.h"
#include "platform/tqkit-ui/TQKitMenu.h"
#include "platform/tqkit-ui/TQKitMenuItems.h"
#include "platform/tqkit-ui/TQKitMusicApp.h"
#include "platform/tqkit-ui/TQKitMusicPlaylistSheet.h"
#include "platform/tqkit-ui/TQKitOpenPanel.h"
#include "platform/tqkit-ui/TQKitPasteboard.h"
#include "platform/tqkit-ui/TQKitWindowSheet.h"
#include "platform/tqkit-ui/TQKitWorkspace.h"
#include "platform/tqkit/TQKitNameFilter.h"
#include "platform/tqkit/TQKitPaths.h"
#include "platform/tqkit/TQKitRemoteParams.h"
#include "platform/tqkit/TQTaskInfoMapping.h"
#include "platform/tqkit/TQTaskInfoRecord.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

#include <algorithm>
#include <cstring>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr int kOnlineFeaturesVersion = 430;
constexpr int kQuestionStyle = 16;
constexpr auto kQuitAfterQuestionDelay = 100ms;
const QString kIntroToolTipsTag = u"introToolTips"_s;
constexpr auto kIntroToolTipsDelay = 300ms;

// The windows a person sees (menus, tool tips and pop-overs aside).
QList<QWidget*> visibleWindows()
{
    QList<QWidget*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = widget->windowType();
        if (widget->isVisible() && type != Qt::Popup && type != Qt::ToolTip && type != Qt::SplashScreen &&
            !widget->inherits("QMenu"))
            windows.append(widget);
    }
    return windows;
}

template <class T>
T argOfType(const QVariantMap& args, const QString& key)
{
    const QVariant value = args.value(key);
    return value.metaType() == QMetaType::fromType<T>() ? value.value<T>() : T{};
}

} // namespace

TQCAppMainWindowController::TQCAppMainWindowController() = default;

TQCAppMainWindowController::~TQCAppMainWindowController()
{
    waitForClose_.stop();
    // The dialog goes with its delegate.
    TQPreferencesDialogClose();
    TQPreferencesDialogSetDelegate(nullptr);
    if (mainWindow_)
        mainWindow_->setController(nullptr);
    // The windows let their lists go while the converter still exists.
    progressWindows_.closeAll();
    TQKitConverterDestroy(&converter_);
}

QWidget* TQCAppMainWindowController::window() const { return window_; }

void TQCAppMainWindowController::setWindow(QWidget* window)
{
    window_ = window;
    mainWindow_ = qobject_cast<TQCAppMainWindow*>(window);
}

TQCAppMainWindow* TQCAppMainWindowController::mainWindow() const { return mainWindow_; }

TQControlPathPicker* TQCAppMainWindowController::destinationFolder() const
{
    return mainWindow_ ? mainWindow_->destinationFolder() : nullptr;
}

// --- Set-up --------------------------------------------------------------------------------------

void TQCAppMainWindowController::windowDidLoad()
{
    TQCAppMainWindow* window = mainWindow_;
    if (!window)
        return;
    window->setController(this);
    connect(window, &TQCAppMainWindow::menuItemChosen, this, &TQCAppMainWindowController::performMenuItem);

    TQControlPathPicker* picker = window->destinationFolder();
    picker->setFlags(TQPathPickerFlagDefaultFolder | TQPathPickerFlagDisableMissing | TQPathPickerFlagTestWritable |
                     TQPathPickerFlagAsSource);
    picker->setOpenPanelBrowseMessage(u"Select the folder where converted files should be saved."_s);
    picker->setOpenPanelOpenButtonText(u"Select"_s);
    picker->setMenuBrowseItemText(u"Other Destination Folder..."_s);
    picker->reload();
    picker->setEventNameBrowseNew("ae_cnv_main_wnd_dest_folder_btn");
    picker->setEventNameSelect("ae_cnv_main_wnd_dest_folder_sel");

    TQRatingPromptStartup();
    TQUpdateCheckStartInBackground();

    auto destinationHandler = [this](QMenu* menu) { menuWillOpenDestination(menu); };
    if (QAction* item = TQKitMenuItemWithTag(window->mainMenu(), kTQMenuTagDestinationFolder))
        TQKitMenuSetWillOpenHandler(item->menu(), this, destinationHandler);
    if (QAction* item = TQKitMenuItemWithTag(window->popupMenu(), kTQMenuTagDestinationFolder))
        TQKitMenuSetWillOpenHandler(item->menu(), this, destinationHandler);

    TQAppMenuInstallMain(window->mainMenu());
    TQCAppMenuObject::get()->setResetPreferencesOffer(TQPreferencesDialogAimResetItem);
    TQAppMenuComplete(window->popupMenu(), 3);

    window->srcFilesPanel()->setPanelId(u"SrcFiles"_s);
    window->srcFilesPanel()->setDelegate(this);
    window->dstDirPanel()->setPanelId(u"DstDir"_s);
    window->dstDirPanel()->setDelegate(this);
    connect(window->preferencesButton(), &QPushButton::clicked, this, [this] { preferencesButton(); });
    connect(window->helpButton(), &QPushButton::clicked, this, [this] { contactUs(mainWindow_->helpButton()); });
    connect(window->browseButton(), &QPushButton::clicked, this,
            [this] { importFromMusicAndStartConversionWithWindow(window_); });
    connect(window->browseFilesButton(), &QPushButton::clicked, this,
            [this] { browseFilesAndStartConversionWithWindow(window_); });
    connect(window->enterURLButton(), &QPushButton::clicked, this,
            [this] { enterURLAndStartConversionWithWindow(window_); });
    connect(window->destinationFolderButton(), &QPushButton::clicked, this, [this] { showInFinderWithWindow(window_); });
    connect(window->selectDestinationFolderButton(), &QPushButton::clicked, this,
            [this] { destinationFolder()->browseAndSelectPath(); });

    window->setupAccessibility();
    // The browse button imports from the music library; its title is that of the menu item.
    const QAction* import = TQKitMenuItemWithTag(window->mainMenu(), kTQMenuTagImportFromMusic);
    window->showImportButton(import ? import->text() : QString(), TQKitMusicAppName());
    initExpandCollapseWindow();
    setStayInFront(getStayInFrontSettingCollapsed(getCollapsedSetting()));
    TQKitMainWindowShow(window);
    TQPreferencesDialogSetDelegate(this);
    TQPreferencesDialogReopenIfLastVisible();
    introductoryToolTipsEnabled_ = true;
    showIntroductoryToolTips();
}

// --- Sources and batches -------------------------------------------------------------------------

std::chrono::milliseconds TQCAppMainWindowController::accumulationDelay(qsizetype count)
{
    return TQCAppMainWindowSourceAccumulator::delay(count);
}

void TQCAppMainWindowController::startConversionWithFilesAccumulate(const QStringList& files)
{
    accumulatedSources_.add(files);
}

void TQCAppMainWindowController::startConversionWithFiles(const QStringList& given, const QVariantMap& args)
{
    if (appQuitInProgress_ || given.isEmpty())
        return;
    const QStringList files = argOfType<bool>(args, u"tunesImport"_s) ? given : withoutMissingFiles(given);
    if (files.isEmpty())
        return;
    TQAnalyticsPostEvent("ae_cnv_conv_start");
    TQControlPathPicker* picker = destinationFolder();
    if (!picker)
        return;
    picker->testPathAndShowMessage(
        [this, files, args](const QString& path) {
            if (!path.isEmpty())
                startConversionImpl(files, args);
        },
        true);
}

QStringList TQCAppMainWindowController::withoutMissingFiles(const QStringList& files)
{
    QStringList present;
    QStringList missing;
    for (const QString& file : files) {
        // Web addresses are looked at when they are downloaded.
        const bool local = !file.contains(u"://"_s);
        (local && !QFileInfo::exists(file) ? missing : present).append(file);
    }
    if (missing.isEmpty())
        return present;
    // Said here, on the window the sources were given to, before any progress window opens.
    constexpr qsizetype kNamesShown = 6;
    QStringList names = missing.mid(0, kNamesShown);
    if (missing.size() > kNamesShown)
        names.append(u"…"_s);
    TQKitShowMessageBox(window_, u"File does not exist"_s,
                        (missing.size() == 1 ? u"Could not find source file."_s : u"Could not find source files."_s) +
                            u"\n\n"_s + names.join(u'\n'),
                        kTQKitAlertCaution, [] {}); // a sheet: the other sources go on meanwhile
    return present;
}

bool TQCAppMainWindowController::createConverter()
{
    if (!converter_)
        TQKitConverterCreate(&converter_);
    if (converter_)
        return true;
    TQKitShowNoticeBox(window_, u"Conversion cannot start"_s,
                       u"The conversion engine could not be started. Please try again."_s);
    return false;
}

void TQCAppMainWindowController::startConversionImpl(const QStringList& files, const QVariantMap& args)
{
    if (files.isEmpty())
        return;
    const bool musicImport = argOfType<bool>(args, u"tunesImport"_s);
    const QString playlistName = argOfType<QString>(args, u"tunesPlaylistName"_s);
    const QVariantMap pasteboardDict = argOfType<QVariantMap>(args, u"tunesPasteboardDict"_s);
    const QVariantMap trackSearchDict = argOfType<QVariantMap>(args, u"tunesTrackSearchDict"_s);

    TQControlPathPicker* picker = destinationFolder();
    const TQKitFolderItem* item = picker ? picker->pathItem() : nullptr;
    if (!item || item->path[0] == '\0')
        return;
    if (!createConverter())
        return;
    TQKitConversionList* list = nullptr;
    TQKitConversionListCreate(&list);
    if (!list) {
        TQKitShowNoticeBox(window_, u"Conversion cannot start"_s,
                           u"The conversion list could not be created. Please try again."_s);
        return;
    }
    TQKitConversionListSetDestination(list, item->reference, item->referenceLength);

    TQTaskInfoRecord record;
    TQKitTaskInfoInit(&record);
    TQKitTaskInfoSetDestination(&record, item->path, std::strlen(item->path));
    TQTaskInfoBatch batch;
    batch.musicImport = musicImport;
    batch.asSourceFolder = picker->specialItemSelected() != 0 && !musicImport;
    if (!playlistName.isEmpty())
        batch.musicPlaylistName = startConversionImplPreprocessPlaylistName(playlistName).toStdString();
    TQTaskInfoApplySettings(&record, batch);
    configureTaskInfoTemplate(&record);
    TQKitConversionListSetTaskInfo(list, &record);
    TQTaskInfoDestroy(&record);

    auto* controller =
        new TQCAppProgressWindowController(converter_, list, files, pasteboardDict, trackSearchDict, this);
    controller->setPreferencesPageOpener([](const QString& page, const QString& subPage) {
        if (page.isEmpty())
            TQPreferencesDialogShowOnMainThread();
        else
            TQPreferencesDialogShowPageWithLabelOnMainThread(page, subPage);
    });
    if (QAction* destination = TQKitMenuItemWithTag(controller->ctxmenu(), kTQMenuTagDestinationFolder))
        TQKitMenuSetWillOpenHandler(destination->menu(), this, [this](QMenu* menu) { menuWillOpenDestination(menu); });
    placeProgressWindow(controller->window());
    progressWindowControllerRegister(controller);
}

void TQCAppMainWindowController::configureTaskInfoTemplate(TQTaskInfoRecord*) {}

void TQCAppMainWindowController::placeProgressWindow(QWidget* progressWindow)
{
    if (!window_ || !window_->isVisible() || !progressWindow)
        return;
    constexpr int kStep = 24;
    constexpr int kSteps = 8;
    const QRect main = window_->frameGeometry();
    const QRect screen = window_->screen() ? window_->screen()->availableGeometry() : QRect();
    QPoint origin(main.left(), main.bottom() + 1 + kStep / 2);
    if (screen.isValid() && origin.y() + progressWindow->frameGeometry().height() > screen.bottom())
        origin = main.topLeft() + QPoint(kStep, kStep); // no room below: over the main window
    QPoint at = origin + QPoint(kStep, kStep) * int(progressWindows_.controllers().size() % kSteps);
    if (screen.isValid()) {
        const QSize size = progressWindow->frameGeometry().size();
        at.setX(std::clamp(at.x(), screen.left(), std::max(screen.left(), screen.right() - size.width())));
        at.setY(std::clamp(at.y(), screen.top(), std::max(screen.top(), screen.bottom() - size.height())));
    }
    progressWindow->move(at);
}

QString TQCAppMainWindowController::startConversionImplPreprocessPlaylistName(const QVariant& name)
{
    const QString text = name.metaType() == QMetaType::fromType<QString>() ? name.toString() : QString();
    QString filtered = QString::fromStdString(TQKitNameFilter(text.toStdString(), 0, 0));
    while (filtered.startsWith(u'.'))
        filtered.remove(0, 1);
    return filtered.isEmpty() ? u"Sonvale"_s : filtered;
}

// --- Progress windows ----------------------------------------------------------------------------

void TQCAppMainWindowController::progressWindowControllerRegister(TQCAppProgressWindowController* controller)
{
    progressWindows_.add(controller);
}

void TQCAppMainWindowController::progressWindowControllerUnregister(TQCAppProgressWindowController* controller)
{
    progressWindows_.remove(controller);
}

int TQCAppMainWindowController::progressWindowControllersCloseAll() { return progressWindows_.closeAll(); }

TQCAppProgressWindowController* TQCAppMainWindowController::progressWindowControllerUnfinished() const
{
    return progressWindows_.firstUnfinished();
}

const QList<TQCAppProgressWindowController*>& TQCAppMainWindowController::progressWindowControllers() const
{
    return progressWindows_.controllers();
}

void TQCAppMainWindowController::progressWindowDidClose(TQCAppProgressWindowController* controller)
{
    progressWindowControllerUnregister(controller);
}

void TQCAppMainWindowController::progressWindowMenuCommandId(TQCAppProgressWindowController* controller, int tag)
{
    performActionWithWindowMenuId(controller->window(), tag);
}

// --- Preferences dialog --------------------------------------------------------------------------

void TQCAppMainWindowController::preferencesDialogMenuCommandId(QWidget* dialogWindow, int tag)
{
    performActionWithWindowMenuId(dialogWindow, tag);
}

void TQCAppMainWindowController::preferencesDialogCtxMenuBuildHeader(QMenu*) {}

void TQCAppMainWindowController::preferencesDialogCtxMenuBuildFooter(QMenu* menu)
{
    if (!menu || !mainWindow_)
        return;
    const QMenu* mainMenu = mainWindow_->mainMenu();
    auto addCopy = [&](int tag) -> QAction* {
        const QAction* item = TQKitMenuItemWithTag(mainMenu, tag);
        if (!item)
            return nullptr;
        QAction* copy = TQKitMenuItemCopy(item, menu);
        menu->addAction(copy);
        return copy;
    };
    addCopy(kTQMenuTagBrowse);
    addCopy(kTQMenuTagEnterURL);
    addCopy(kTQMenuTagImportFromMusic);
    menu->addSeparator();
    if (QAction* destination = addCopy(kTQMenuTagDestinationFolder); destination && destination->menu())
        TQKitMenuSetWillOpenHandler(destination->menu(), this, [this](QMenu* m) { menuWillOpenDestination(m); });
    addCopy(kTQMenuTagShowInFinder);
    menu->addSeparator();
    addCopy(kTQMenuTagSettingsForDialog);
    TQAppMenuComplete(menu, 1);
}

void TQCAppMainWindowController::preferencesDialogCtxMenuWillOpenAppInfoKeyword(QMenu* menu, const QString& keyword)
{
    TQAppMenuAddHelpSubmenu(menu, {}, keyword);
}

bool TQCAppMainWindowController::preferencesDialogAppInfoKeywordAllowed()
{
    return TQKitRemoteParamReadInt("TQCAppVersion", 0) == kOnlineFeaturesVersion;
}

// --- Drop panels ---------------------------------------------------------------------------------

QStringList TQCAppMainWindowController::dropPanelParsePasteboardMaxCount(TQNSViewDropPanel*,
                                                                          const QMimeData* pasteboard, int maxCount)
{
    return TQKitPasteboardFiles(pasteboard, maxCount);
}

void TQCAppMainWindowController::dropPanelDragFinishedWithFilesPasteboard(TQNSViewDropPanel* panel,
                                                                          const QStringList& files,
                                                                          const QMimeData* pasteboard)
{
    if (files.isEmpty())
        return;
    const QString id = panel->panelId();
    if (id == u"DstDir"_s) {
        TQAnalyticsPostEvent("ae_cnv_main_wnd_drop_dest_folder");
        for (const QString& file : files) {
            if (TQKitPathType(file.toUtf8().constData()) == kTQKitPathFolder &&
                destinationFolder()->addAndSelectPath(file, {}))
                break;
        }
        return;
    }
    if (!id.isEmpty() && id != u"SrcFiles"_s)
        return;
    TQAnalyticsPostEvent("ae_cnv_main_wnd_drop_src_files");
    // Tracks dragged from the music library convert with their library tags.
    QString playlistName;
    const QVariantMap tracks = TQKitMusicPasteboardTracks(pasteboard, &playlistName);
    if (!tracks.isEmpty()) {
        startConversionWithFiles(files, musicBatchArgs(playlistName, tracks));
        return;
    }
    startConversionWithFiles(files);
}

void TQCAppMainWindowController::dropPanelOnEvent(TQNSViewDropPanel*, QMouseEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick && event->button() == Qt::LeftButton)
        activateAppWindows();
}

// --- Commands ------------------------------------------------------------------------------------

bool TQCAppMainWindowController::validateMenuItem(QAction* item)
{
    if (appQuitInProgress_)
        return false;
    const QByteArray action = TQKitMenuItemAction(item);
    if (action == "stayInFront:")
        item->setChecked(isStayInFront());
    if (action == "contactUs:" || action == "openAppInfoURL:" || action == "showPreferences:" ||
        action == "terminate:")
        return true;
    if (action == "paste:")
        return !TQKitPasteboardFiles(nullptr, 1).isEmpty();
    if (TQKitWindowHasSheet(window_))
        return false;
    if (action == "undo:" || action == "redo:" || action == "selectAll:")
        return false;
    if (action == "arrangeInFront:")
        return visibleWindows().size() > 1;
    if (action == "closeAllCustom:")
        return closeAllCustomAccessible();
    return true;
}

void TQCAppMainWindowController::performMenuItem(QAction* item)
{
    const QByteArray action = TQKitMenuItemAction(item);
    if (action == "delegateAction:")
        delegateAction(item);
    else if (action == "paste:")
        paste(item);
    else if (action == "closeAllCustom:")
        closeAllCustom(item);
    else if (action == "performClose:" && window_)
        window_->close();
    else if (action == "terminate:")
        TQKitAppRequestTerminate();
    else if (action == "showPreferences:")
        showPreferences();
    else if (action == "clearCaches:")
        clearCaches();
    else if (action == "contactUs:")
        contactUs(item);
    else if (action == "openAppInfoURL:")
        openAppInfoURL();
    else if (action == "checkForUpdates:")
        TQUpdateCheckRunManual(window_);
    else if (action == "stayInFront:")
        stayInFront();
    else if (action == "arrangeInFront:")
        activateAppWindows();
    else if (action == "expandCollapseWindow:")
        expandCollapseWindow();
}

void TQCAppMainWindowController::paste(QObject*)
{
    TQAnalyticsPostEvent("ae_cnv_main_wnd_paste_src_files");
    const QStringList files = TQKitPasteboardFiles(nullptr, 0);
    if (files.isEmpty())
        QApplication::beep();
    else
        startConversionWithFiles(files);
}

void TQCAppMainWindowController::delegateAction(QObject* sender)
{
    if (auto* item = qobject_cast<QAction*>(sender))
        performActionWithWindowMenuId(window_, TQKitMenuItemTag(item));
}

void TQCAppMainWindowController::performActionWithWindowMenuId(QWidget* window, int tag)
{
    switch (tag) {
    case kTQMenuTagBrowse:
        browseFilesAndStartConversionWithWindow(window);
        break;
    case kTQMenuTagEnterURL:
        enterURLAndStartConversionWithWindow(window);
        break;
    case kTQMenuTagImportFromMusic:
        importFromMusicAndStartConversionWithWindow(window);
        break;
    case kTQMenuTagShowInFinder:
        showInFinderWithWindow(window);
        break;
    default:
        break;
    }
}

void TQCAppMainWindowController::browseFilesAndStartConversionWithWindow(QWidget* window)
{
    TQAnalyticsPostEvent("ae_cnv_main_wnd_browse_btn");
    if (appQuitInProgress_ || !window)
        return;
    auto* panel =
        new TQKitOpenPanel(window, u"Select source files or folders for further conversion."_s, u"Convert"_s);
    panel->setObjectName(u"browseSourcesPanel"_s);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    if (TQControlPathPicker* picker = destinationFolder(); picker && !picker->defaultPath().isEmpty())
        panel->setDirectory(picker->defaultPath());
    if (!TQKitWindowSheet::of(window)->attach(panel)) {
        delete panel;
        return;
    }
    connect(panel, &QFileDialog::finished, this, [this, panel](int result) {
        if (result == QDialog::Accepted)
            startConversionWithFiles(panel->chosenPaths());
    });
    panel->open();
}

void TQCAppMainWindowController::enterURLAndStartConversionWithWindow(QWidget* window)
{
    TQAnalyticsPostEvent("ae_cnv_main_wnd_enter_url");
    if (appQuitInProgress_)
        return;
    TQCAppMainWindowEnterURLController::runAlert(window, [this](const QString& url) { startConversionWithFiles({url}); });
}

void TQCAppMainWindowController::importFromMusicAndStartConversionWithWindow(QWidget* window)
{
    TQAnalyticsPostEvent("ae_cnv_main_wnd_import_tunes");
    if (appQuitInProgress_ || !window || !TQKitMusicLibraryCheckAvailable(window))
        return;
    TQKitMusicPlaylistSheetDescription description;
    description.mode = 1;
    description.accessoryView = new TQCAppMainWindowImportFromMusicView;
    description.message = u"Select %1 %2 playlist and press Continue to convert its tracks:"_s.arg(TQKitMusicLibraryTitle(),
                                                                                                   TQKitMusicAppName());
    TQKitMusicPlaylistSheetRun(window, description, [this, guard = QPointer<TQCAppMainWindowController>(this)](
                                                        const TQKitMusicImportResult& result) {
        if (guard && !result.paths.isEmpty())
            startConversionWithFiles(result.paths, musicBatchArgs(result.playlistName, result.tracks));
    });
}

QVariantMap TQCAppMainWindowController::musicBatchArgs(const QString& playlistName, const QVariantMap& tracks)
{
    // A missing value travels as a null placeholder, which the receiver does not take.
    return {{u"tunesImport"_s, true},
            {u"tunesPlaylistName"_s, playlistName.isEmpty() ? QVariant::fromValue(nullptr) : QVariant(playlistName)},
            {u"tunesTrackSearchDict"_s, tracks.isEmpty() ? QVariant::fromValue(nullptr) : QVariant(tracks)}};
}

void TQCAppMainWindowController::showInFinderWithWindow(QWidget*)
{
    TQAnalyticsPostEvent("ae_cnv_main_wnd_show_finder_btn");
    destinationFolder()->testPathAndShowMessage(
        [](const QString& path) {
            if (!path.isEmpty())
                TQKitOpenFolder(path);
        },
        false);
}

void TQCAppMainWindowController::menuWillOpenDestination(QMenu* menu)
{
    if (TQControlPathPicker* picker = destinationFolder())
        TQKitMenuCopyItems(menu, picker->popupMenu());
}

void TQCAppMainWindowController::showPreferences() { TQPreferencesDialogShowOnMainThread(); }

void TQCAppMainWindowController::preferencesButton()
{
    if (isCollapsed() && mainWindow_) {
        QPushButton* button = mainWindow_->preferencesButton();
        mainWindow_->popupMenu()->popup(button->mapToGlobal(QPoint(0, button->height() + 5)));
        return;
    }
    showPreferences();
}

void TQCAppMainWindowController::clearCaches()
{
    TQAnalyticsPostEvent("ae_cnv_main_wnd_clear_caches");
    if (TQCAppProgressWindowController* busy = progressWindowControllerUnfinished()) {
        TQKitShowNoticeBox(busy->window(), u"Clear Caches"_s, u"Cannot clear caches while the conversion is in progress."_s);
        return;
    }
    const QVariantMap description{
        {u"title"_s, u"Clear Caches"_s},
        {u"message"_s, u"Clearing caches may slow down loading tags from the network.\nAre you sure you want to continue?"_s},
        {u"defaultButton"_s, u"Clear Caches"_s},
        {u"alternateButton"_s, u"Cancel"_s},
    };
    TQKitRunAlert(window_, description, [this](int button, bool) {
        if (button != kTQKitAlertDefaultButton)
            return;
        TQKitClearCaches();
        TQKitShowNoticeBox(window_, u"Clear Caches"_s, u"Caches have been successfully cleared."_s);
    });
}

void TQCAppMainWindowController::contactUs(QObject* sender)
{
    TQAnalyticsPostEvent("ae_cnv_page_contact_us");
    if (TQKitRemoteParamReadInt("TQCAppVersion", 0) == kOnlineFeaturesVersion)
        TQAppInfoMenuShowAtView(sender, u"main"_s, 0, -3);
    else
        TQKitOpenURL(TQKitAppInfo::current().supportPageUrl);
}

void TQCAppMainWindowController::openAppInfoURL()
{
    TQAnalyticsPostEvent("ae_cnv_page_app");
    TQKitOpenURL(TQKitAppInfo::current().productPageUrl);
}

void TQCAppMainWindowController::activateAppWindows()
{
    for (QWidget* window : visibleWindows())
        window->raise();
    TQKitMainWindowShow(window_);
}

void TQCAppMainWindowController::showIntroductoryToolTips()
{
    if (!introductoryToolTipsEnabled_ || !TQKitRemoteParamsLoaded() ||
        TQKitRemoteParamReadInt("TQCAppVersion", 0) != kOnlineFeaturesVersion || appQuitInProgress_)
        return;
    delayedCalls_.cancel(kIntroToolTipsTag);
    delayedCalls_.perform(kIntroToolTipsDelay, [this] { showIntroductoryToolTipsImpl(); }, kIntroToolTipsTag);
}

void TQCAppMainWindowController::showIntroductoryToolTipsImpl()
{
    if (!mainWindow_)
        return;
    if (TQKitNewVersionAvailable() && TQUpdateOfferNewVersion(window_))
        return;
    if (TQUpdateCheckIsBusy() || TQUpdateCheckWindowIsOpen())
        return;
    TQCAppMainWindowOfferIntroTips(mainWindow_, {.showPreferences = [this] { showPreferences(); },
                                                 .showIntroductoryToolTips = [this] { showIntroductoryToolTips(); },
                                                 .contactUs = [this] { contactUs(mainWindow_->helpButton()); },
                                                 .expandCollapseWindow = [this] { expandCollapseWindow(); }});
}

// --- Stay in front -------------------------------------------------------------------------------

void TQCAppMainWindowController::stayInFront()
{
    const bool inFront = !isStayInFront();
    setStayInFront(inFront);
    setStayInFrontSettingCollapsed(inFront, isCollapsed());
}

void TQCAppMainWindowController::setStayInFront(bool inFront)
{
    if (!window_ || isStayInFront() == inFront)
        return;
    const bool visible = window_->isVisible();
    window_->setWindowFlag(Qt::WindowStaysOnTopHint, inFront);
    if (visible)
        window_->show(); // changing the flag hides the window
}

bool TQCAppMainWindowController::isStayInFront() const
{
    return window_ && window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void TQCAppMainWindowController::setStayInFrontSettingCollapsed(bool inFront, bool collapsed)
{
    TQCAppMainWindowCollapse::setStayInFrontSettingCollapsed(inFront, collapsed);
}

bool TQCAppMainWindowController::getStayInFrontSettingCollapsed(bool collapsed)
{
    return TQCAppMainWindowCollapse::getStayInFrontSettingCollapsed(collapsed);
}

// --- Collapse ------------------------------------------------------------------------------------

void TQCAppMainWindowController::initExpandCollapseWindow()
{
    connect(mainWindow_->zoomButton(), &QToolButton::clicked, this, [this] { expandCollapseWindow(); });
    collapse_ = std::make_unique<TQCAppMainWindowCollapse>(mainWindow_);
    collapse_->setCollapsed(getCollapsedSetting(), false);
}

void TQCAppMainWindowController::expandCollapseWindow()
{
    if (!collapse_ || TQKitWindowHasSheet(window_))
        return;
    const bool collapse = !isCollapsed();
    setCollapsed(collapse, true);
    setCollapsedSetting(collapse);
    setStayInFront(getStayInFrontSettingCollapsed(collapse));
}

void TQCAppMainWindowController::fontDidChange()
{
    if (collapse_)
        collapse_->refit();
}

bool TQCAppMainWindowController::isCollapsed() const { return collapse_ && collapse_->isCollapsed(); }

void TQCAppMainWindowController::setCollapsed(bool collapsed, bool animate)
{
    if (collapse_)
        collapse_->setCollapsed(collapsed, animate);
}

void TQCAppMainWindowController::setCollapsedSetting(bool collapsed)
{
    TQCAppMainWindowCollapse::setCollapsedSetting(collapsed);
}

bool TQCAppMainWindowController::getCollapsedSetting() { return TQCAppMainWindowCollapse::getCollapsedSetting(); }

// --- Closing and quitting ------------------------------------------------------------------------

bool TQCAppMainWindowController::closeAllCustomAccessible() const { return !visibleWindows().isEmpty(); }

void TQCAppMainWindowController::closeAllCustom(QObject* sender)
{
    const QList<QWidget*> windows = visibleWindows();
    const auto withSheet = std::count_if(windows.begin(), windows.end(), [](QWidget* w) { return TQKitWindowHasSheet(w); });
    if (windows.isEmpty())
        return;
    QPointer<QObject> from(sender);
    if (progressWindowControllerUnfinished()) {
        activateAppWindows();
        TQKitAskQuestion(window_, u"The conversion is in progress"_s,
                         u"Are you sure you want to stop the conversion and close all windows?"_s, kQuestionStyle,
                         [this, from](int answer, bool) {
                             if (answer == kTQKitQuestionConfirmed)
                                 closeAllCustomImpl(from);
                         });
        return;
    }
    const bool onlyMainWindow = windows.size() == 1 && window_ && window_->isVisible();
    if (!closeAllConfirmation_.isNeeded(withSheet, onlyMainWindow)) {
        closeAllCustomImpl(sender);
        return;
    }
    activateAppWindows();
    closeAllConfirmation_.ask(window_, withSheet == 0, [this, from] { closeAllCustomImpl(from); });
}

void TQCAppMainWindowController::closeAllCustomImpl(QObject*)
{
    TQPreferencesDialogClose();
    const int closed = progressWindowControllersCloseAll();
    for (int i = 0; i < closed; ++i) {
        if (TQRatingPromptSignificantEvent(window_))
            return;
    }
    if (window_)
        window_->close();
}

bool TQCAppMainWindowController::windowShouldClose()
{
    return appQuitInProgress_ || !TQRatingPromptSignificantEvent(window_);
}

int TQCAppMainWindowController::closeAndRequestQuitApp(QObject*)
{
    if (TQKitWindowHasSheet(window_)) {
        activateAppWindows();
        return 0;
    }
    if (TQRatingPromptSignificantEvent(window_))
        return 0;
    if (!progressWindows_.isEmpty()) {
        activateAppWindows();
        const bool converting = progressWindowControllerUnfinished() != nullptr;
        TQKitAskQuestion(
            window_, converting ? u"The conversion is in progress"_s : u"Close all windows and exit"_s,
            converting ? u"Are you sure you want to stop the conversion, close all windows and exit the application?"_s
                       : u"Are you sure you want to close all windows and exit the application?"_s,
            kQuestionStyle, [this](int answer, bool) {
                if (answer == kTQKitQuestionConfirmed)
                    delayedCalls_.perform(kQuitAfterQuestionDelay, [this] { closeAndQuitApp(); });
            });
        return 0;
    }
    closeAndQuitApp();
    return 1;
}

void TQCAppMainWindowController::closeAndQuitApp()
{
    appQuitInProgress_ = true;
    progressWindowControllersCloseAll();
    if (converter_ && !TQKitConverterIsIdle(converter_)) {
        if (mainWindow_) {
            mainWindow_->dstDirPanel()->setDraggingEnabled(false);
            mainWindow_->srcFilesPanel()->setDraggingEnabled(false);
        }
        waitForClose_.start();
        return;
    }
    waitForClose_.stop();
    TQKitConverterDestroy(&converter_);
    TQPreferencesDialogClose();
    if (window_)
        window_->close();
}

void TQCAppMainWindowController::waitForCloseTimerProc()
{
    if (!converter_ || TQKitConverterIsIdle(converter_)) {
        closeAndQuitApp();
        return;
    }
    waitForClose_.showProcesses(window_, TQKitConverterProcessCount(converter_), [this] { quitNow(); });
}

void TQCAppMainWindowController::quitNow()
{
    TQKitConverterDestroy(&converter_); // ends the conversion processes that still run
    closeAndQuitApp();
}
