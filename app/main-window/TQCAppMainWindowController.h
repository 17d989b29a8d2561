#pragma once

#include "app/controls/TQNSViewDropPanelDelegate.h"
#include "app/main-window/TQCAppMainWindowCloseAllConfirmation.h"
#include "app/main-window/TQCAppMainWindowSourceAccumulator.h"
#include "app/main-window/TQCAppMainWindowWaitForClose.h"
#include "app/preferences/TQPreferencesDialogDelegate.h"
#include "app/progress-window/TQCAppProgressWindowDelegate.h"
#include "app/progress-window/TQCAppProgressWindowRegistry.h"
#include "platform/tqkit-ui/TQKitDelayedCalls.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>

#include <chrono>
#include <memory>

class QAction;
class QMenu;
class QWidget;
class TQCAppMainWindow;
class TQCAppMainWindowCollapse;
class TQCAppProgressWindowController;
class TQControlPathPicker;
class TQKitConverter;
struct TQTaskInfoRecord;

// Owns the main window: receives dropped, pasted, browsed and typed sources, starts one batch per
// request (merging requests that arrive in quick succession), keeps the open progress windows,
// dispatches the commands of the menus, collapses the window to a small drop target, and runs the
// Close All and quit sequences. Main thread only. The calls the application delegate makes are
// virtual so that a test can stand in for the controller.
class TQCAppMainWindowController : public QObject,
                                   public TQCAppProgressWindowDelegate,
                                   public TQPreferencesDialogDelegate {
    Q_OBJECT

public:
    // Quitting waits this many 0.5 s ticks for conversion processes before it offers "Quit Now".
    static constexpr int kWaitTicksBeforeQuitNow = TQCAppMainWindowWaitForClose::kTicksBeforeQuitNow;

    TQCAppMainWindowController();
    ~TQCAppMainWindowController() override;

    QWidget* window() const;
    virtual void setWindow(QWidget* window);
    // Sets the window up once the application has launched.
    virtual void windowDidLoad();

    // --- Sources and batches
    // Merges sources that arrive in quick succession and starts them as one batch once none has
    // come for n / 200 s (n sources so far), at least 0.3 s and at most 3.0 s.
    virtual void startConversionWithFilesAccumulate(const QStringList& files);
    static std::chrono::milliseconds accumulationDelay(qsizetype count);
    void startConversionWithFiles(const QStringList& files, const QVariantMap& args = {});
    void startConversionImpl(const QStringList& files, const QVariantMap& args);
    // `files` without the local paths that lead nowhere, which a message on the main window names.
    QStringList withoutMissingFiles(const QStringList& files);
    // A new progress window opens just below the main window, each further one a step down and to
    // the right of the one before, within the screen.
    void placeProgressWindow(QWidget* progressWindow);
    // The output format's part of the batch record; nothing here (see the Custom subclass).
    virtual void configureTaskInfoTemplate(TQTaskInfoRecord* record);
    static QString startConversionImplPreprocessPlaylistName(const QVariant& name);

    // --- Progress windows, in order of creation
    void progressWindowControllerRegister(TQCAppProgressWindowController* controller);
    void progressWindowControllerUnregister(TQCAppProgressWindowController* controller);
    int progressWindowControllersCloseAll();
    TQCAppProgressWindowController* progressWindowControllerUnfinished() const;
    const QList<TQCAppProgressWindowController*>& progressWindowControllers() const;
    void progressWindowDidClose(TQCAppProgressWindowController* controller) override;
    void progressWindowMenuCommandId(TQCAppProgressWindowController* controller, int tag) override;

    // --- Preferences dialog
    void preferencesDialogMenuCommandId(QWidget* dialogWindow, int tag) override;
    void preferencesDialogCtxMenuBuildHeader(QMenu* menu) override;
    void preferencesDialogCtxMenuBuildFooter(QMenu* menu) override;
    void preferencesDialogCtxMenuWillOpenAppInfoKeyword(QMenu* menu, const QString& keyword) override;
    bool preferencesDialogAppInfoKeywordAllowed() override;

    // --- Drop panels
    QStringList dropPanelParsePasteboardMaxCount(TQNSViewDropPanel* panel, const QMimeData* pasteboard,
                                                 int maxCount) override;
    void dropPanelDragFinishedWithFilesPasteboard(TQNSViewDropPanel* panel, const QStringList& files,
                                                  const QMimeData* pasteboard) override;
    void dropPanelOnEvent(TQNSViewDropPanel* panel, QMouseEvent* event) override;

    // --- Commands
    virtual bool validateMenuItem(QAction* item);
    // Runs the command of a menu item of the main or pop-up menu, by its action name.
    void performMenuItem(QAction* item);
    virtual void paste(QObject* sender);
    virtual void delegateAction(QObject* sender);
    void performActionWithWindowMenuId(QWidget* window, int tag);
    void browseFilesAndStartConversionWithWindow(QWidget* window);
    void enterURLAndStartConversionWithWindow(QWidget* window);
    void importFromMusicAndStartConversionWithWindow(QWidget* window);
    // The arguments of a batch of music library tracks.
    static QVariantMap musicBatchArgs(const QString& playlistName, const QVariantMap& tracks);
    void showInFinderWithWindow(QWidget* window);
    void menuWillOpenDestination(QMenu* menu);
    void showPreferences();
    void preferencesButton();
    void clearCaches();
    // The help and contact commands at `sender` (a view) with online features, else the support page.
    void contactUs(QObject* sender);
    void openAppInfoURL();
    void activateAppWindows();
    // Offers the introductory tips 0.3 s later, with online features only.
    void showIntroductoryToolTips();
    void windowDidBecomeKey() { showIntroductoryToolTips(); }
    // The window's fonts changed: it takes the sizes they need.
    void fontDidChange();

    // --- Stay in front
    void stayInFront();
    void setStayInFront(bool inFront);
    bool isStayInFront() const;
    static void setStayInFrontSettingCollapsed(bool inFront, bool collapsed);
    static bool getStayInFrontSettingCollapsed(bool collapsed);

    // --- Collapse
    void expandCollapseWindow();
    bool isCollapsed() const;
    void setCollapsed(bool collapsed, bool animate);
    static void setCollapsedSetting(bool collapsed);
    static bool getCollapsedSetting();

    // --- Closing and quitting
    virtual bool closeAllCustomAccessible() const;
    virtual void closeAllCustom(QObject* sender);
    void closeAllCustomImpl(QObject* sender);
    bool windowShouldClose();
    virtual int closeAndRequestQuitApp(QObject* sender);
    void closeAndQuitApp();
    virtual bool appQuitInProgress() const { return appQuitInProgress_; }
    void waitForCloseTimerProc();
    TQCAppMainWindowWaitingController* waitingController() const { return waitForClose_.waitingController(); }
    TQKitConverter* converter() const { return converter_; }

    TQCAppMainWindow* mainWindow() const;
    TQControlPathPicker* destinationFolder() const;

private:
    void initExpandCollapseWindow();
    void quitNow();
    bool createConverter();
    void showIntroductoryToolTipsImpl();

    QPointer<QWidget> window_;
    QPointer<TQCAppMainWindow> mainWindow_;
    TQKitConverter* converter_ = nullptr;
    TQCAppMainWindowSourceAccumulator accumulatedSources_{
        [this](const QStringList& files) { startConversionWithFiles(files); }};
    TQCAppProgressWindowRegistry progressWindows_;
    TQCAppMainWindowWaitForClose waitForClose_{[this] { waitForCloseTimerProc(); }};
    TQCAppMainWindowCloseAllConfirmation closeAllConfirmation_;
    bool appQuitInProgress_ = false;
    bool introductoryToolTipsEnabled_ = false;
    std::unique_ptr<TQCAppMainWindowCollapse> collapse_;
    TQKitDelayedCalls delayedCalls_; // last: pending calls go before the state they use
};
