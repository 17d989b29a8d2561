#pragma once

#include "platform/tqkit-ui/TQKitDelayedCalls.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QVariantMap>

#include <map>
#include <memory>
#include <string>

class QAction;
class QActionGroup;
class QMenu;
class QToolBar;
class QToolButton;
class QWidget;
class TQPreferencesDialogDelegate;
class TQPreferencesDialogWindow;
class TQPreferencesViewController;
namespace sonvale {
class UserDefaults;
}

// The preferences dialog: one window with a toolbar of page buttons, each showing one page
// (TQPreferencesViewController) as the window's content. It switches pages (asking the shown page
// to save first), sizes the window to each page, remembers the window's position, the last page and
// each page's size, offers a help button at the toolbar's right end, and hangs a context menu with
// the page's reset command on every page. What a page edits is the page's business; the rest of
// the application is reached through the delegate.
//
// Stored: user defaults "TQPreferences Selected Identifier View", "TQPreferences Frame Top Left"
// and "TQPreferences <identifier> Frame"; text settings "TQPreferences" / "StayInFront" and
// "LastVisibilityStatus". Main thread only. The dialog owns its pages.
class TQPreferencesDialogController final : public QObject {
    Q_OBJECT

public:
    // Options: the page shown when none is remembered (a number; 0 when absent) and the help button
    // (a non-zero number turns it on), its caption and its margin.
    static constexpr char kDefaultIndexOption[] = "TQPreferencesDialogKey_DefaultIndex";
    static constexpr char kHelpButtonOption[] = "TQPreferencesDialogKey_HelpButton";
    static constexpr char kHelpButtonCaptionOption[] = "TQPreferencesDialogKey_HelpButtonCaption";
    static constexpr char kHelpButtonRightOffsetOption[] = "TQPreferencesDialogKey_HelpButtonRightOffset";
    static constexpr char kHelpButtonIdentifier[] = "TQPreferencesHelpButton";
    static constexpr char kFlexibleSpaceIdentifier[] = "TQPreferencesFlexibleSpace";
    static constexpr int kResetMenuItemTag = 32100;

    // A null page stands for a flexible space in the toolbar.
    explicit TQPreferencesDialogController(QList<TQPreferencesViewController*> viewControllers,
                                           const QString& title = {}, const QVariantMap& options = {});
    ~TQPreferencesDialogController() override;

    QWidget* window() const;
    QToolBar* toolbar() const { return toolbar_; }

    // --- Pages
    const QList<TQPreferencesViewController*>& viewControllers() const { return viewControllers_; }
    void addViewController(TQPreferencesViewController* page);
    // Nothing happens for a position outside the list.
    void selectControllerAtIndex(qsizetype index);
    TQPreferencesViewController* selectedViewController() const { return selectedViewController_; }
    void setSelectedViewController(TQPreferencesViewController* page);
    TQPreferencesViewController* viewControllerForIdentifier(const QString& identifier) const;
    TQPreferencesViewController* firstViewController() const;
    // -1 while no page is shown.
    qsizetype selectedViewControllerIndex() const;
    QString selectedViewControllerTitle() const;
    void goNextTab();
    void goPreviousTab();

    TQPreferencesDialogDelegate* delegate() const { return delegate_; }
    void setDelegate(TQPreferencesDialogDelegate* delegate);

    // --- Window
    void showWindow();
    // Closes the window when the shown page saves; false when it refuses.
    bool closeWindow();
    bool windowShouldClose();
    // The close button and Escape: the user closed the dialog, which then stays closed at the next
    // launch.
    void closeButtonAction();
    // The dialog was open when it was last left: "LastVisibilityStatus" is on.
    static bool lastVisibilityStatus();
    // The dialog of the active window, when that is a preferences dialog.
    static TQPreferencesDialogController* keyViewController();
    // The dialog of the first open preferences window.
    static TQPreferencesDialogController* findViewController();

    bool isStayInFront() const;
    void setStayInFront(bool stayInFront);
    static bool getStayInFrontSetting();
    static void setStayInFrontSetting(bool stayInFront);

    // --- Toolbar
    QStringList toolbarItemIdentifiers() const;
    QStringList toolbarItemIdentifiersWithHelpButton() const;
    // The page's toolbar item, or null.
    QAction* toolbarItem(const QString& identifier) const;
    QToolButton* helpButton() const { return helpButton_; }
    void toolbarItemHelpButtonClick();
    void showHelpButtonIntroductoryToolTip();
    // The page's help keyword as the delegate allows it; empty: none.
    QString getAppInfoNetworkMenuKeyword(const TQPreferencesViewController* page) const;

    // --- Reset and context menu
    bool respondsToResetPreferences() const;
    // Empty without reset.
    QString resetPreferencesName() const;
    QString resetPreferencesTitle() const;
    QString resetPreferencesTitleMsgBox() const;
    // Asks, then resets the page shown at the moment of the answer.
    void resetPreferences();
    bool ctxMenuSupported() const;
    // The context menu of `page`, built anew; null when the page gets none.
    QMenu* ctxMenuForController(TQPreferencesViewController* page);
    QMenu* ctxMenu() const { return ctxMenu_; }

Q_SIGNALS:
    // After every page change.
    void dialogDidChange();

private:
    void windowDidLoad();
    void buildToolbar();
    QAction* makeToolbarItem(TQPreferencesViewController* page, int labelLength);
    // Inserts before `before`, or at the end for null.
    void addToolbarItem(QAction* item, QAction* before);
    int toolbarLabelLength() const;
    void updateToolbarImageForViewController(TQPreferencesViewController* page, bool highlighted);
    void sizeWindowForPage(TQPreferencesViewController* page);
    void setControllerDelegateDependendProperties(TQPreferencesViewController* page);
    void clearControllerDelegateDependendProperties(TQPreferencesViewController* page);
    QMenu* ctxMenuGet();
    void ctxMenuClear();
    void ctxMenuWillOpen(QMenu* menu);
    void stepTab(qsizetype step);
    bool eventFilter(QObject* watched, QEvent* event) override;
    void windowDidMove();
    void windowDidResize();
    // Frames change many times a second while the user drags; each change is kept here and stored
    // once the window is at rest (or closes), since every store syncs the settings file.
    void rememberFrame(const QString& value, const std::string& key);
    void storeUnsavedFrames();
    void windowDidBecomeKey();

    QList<TQPreferencesViewController*> viewControllers_;
    QString title_;
    qint64 defaultIndexOfSelectedViewController_ = 0;
    bool hasHelpButton_ = false;
    QString helpButtonCaption_;
    double helpButtonRightOffset_ = 8.0;
    std::unique_ptr<sonvale::UserDefaults> defaults_;
    std::unique_ptr<TQPreferencesDialogWindow> window_;
    QToolBar* toolbar_ = nullptr;
    QActionGroup* toolbarGroup_ = nullptr;
    QAction* flexibleSpaceBeforeHelp_ = nullptr;
    QToolButton* helpButton_ = nullptr;
    QMenu* ctxMenu_ = nullptr;
    QPointer<TQPreferencesViewController> ctxMenuController_;
    TQPreferencesViewController* selectedViewController_ = nullptr;
    TQPreferencesDialogDelegate* delegate_ = nullptr;
    TQKitDelayedCalls delayedCalls_;
    std::map<std::string, std::string> unsavedFrames_;
};
