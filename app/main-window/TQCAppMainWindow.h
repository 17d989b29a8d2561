#pragma once

#include "app/controls/TQCAppMenuTags.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QToolButton;
class TQCAppMainWindowController;
class TQCAppMainWindowPanelDstDir;
class TQCAppMainWindowPanelSrcFiles;
class TQControlPathPicker;

// The main window, built in code, sized to its fonts: a source drop area with the browse, Enter URL and Music import
// buttons, the Settings and Help buttons and the collapse toggle (the title-bar zoom button's place
// on Linux), and below it the destination row with its drop panel, the folder picker and the
// choose and open buttons. It also holds the main menu and the pop-up menu of the collapsed window.
// The controller positions and shows the parts; the window forwards menus, closing and the toggle
// to it. Main thread only.
class TQCAppMainWindow final : public QMainWindow {
    Q_OBJECT

public:
    explicit TQCAppMainWindow(QWidget* parent = nullptr);
    ~TQCAppMainWindow() override;

    // Not owned; the controller clears it before it goes.
    void setController(TQCAppMainWindowController* controller);

    // The title with "CFBundleName" replaced by the application's name.
    void setTitle(const QString& title);

    TQCAppMainWindowPanelSrcFiles* srcFilesPanel() const { return srcFilesPanel_; }
    TQCAppMainWindowPanelDstDir* dstDirPanel() const { return dstDirPanel_; }
    TQControlPathPicker* destinationFolder() const { return destinationFolder_; }
    QLabel* titleDropFiles() const { return titleDropFiles_; }
    QPushButton* preferencesButton() const { return preferencesButton_; }
    QPushButton* helpButton() const { return helpButton_; }
    QPushButton* browseButton() const { return browseButton_; }
    QPushButton* browseFilesButton() const { return browseFilesButton_; }
    QPushButton* enterURLButton() const { return enterURLButton_; }
    QPushButton* destinationFolderButton() const { return destinationFolderButton_; }
    QPushButton* selectDestinationFolderButton() const { return selectDestinationFolderButton_; }
    QToolButton* zoomButton() const { return zoomButton_; }
    QLabel* destinationLabel() const { return destinationLabel_; }
    // The main menu (its submenus are the menu bar's) and the pop-up menu of the Settings button.
    QMenu* mainMenu() const { return mainMenu_; }
    QMenu* popupMenu() const { return popupMenu_; }

    // Every item of the main and pop-up menus, to find one by its action name.
    QList<QAction*> menuItems() const;

    // Help texts and labels of the controls for assistive technologies and tool tips.
    void setupAccessibility();
    // The import button, titled `title` (or "Import from <library>..." when empty), centred in the
    // source area between Browse and Enter URL.
    void showImportButton(const QString& title, const QString& libraryName);

    // Places the two panels and the always-visible toggle for the window's current size.
    void layoutPanels();
    // Places the controls of the full window for the current fonts.
    void layoutContent();
    // The content of the full and the collapsed window: 655 x 148 and 250 x 39, or more where the
    // fonts need it.
    QSize fullContentSize() const;
    QSize collapsedContentSize() const;

Q_SIGNALS:
    // A menu item of the main or pop-up menu was chosen.
    void menuItemChosen(QAction* item);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateHeadingFont(); // a size larger than the window's, bold
    void updateImportButtonIcon(); // the style's play glyph in the button text colour
    int buttonHeight() const;
    int settingsButtonWidth() const;
    int sourceAreaHeight() const;
    void buildContent();
    void buildMenus();
    // `scope` Qt::ApplicationShortcut for a command of the application rather than of this window.
    QAction* addMenuItem(QMenu* menu, const QString& title, const QByteArray& action, int tag = 0,
                         const QString& keyEquivalent = {}, Qt::ShortcutContext scope = Qt::WindowShortcut);
    void wireMenu(QMenu* menu);

    QPointer<TQCAppMainWindowController> controller_;
    TQCAppMainWindowPanelSrcFiles* srcFilesPanel_ = nullptr;
    TQCAppMainWindowPanelDstDir* dstDirPanel_ = nullptr;
    TQControlPathPicker* destinationFolder_ = nullptr;
    QLabel* titleDropFiles_ = nullptr;
    QLabel* destinationLabel_ = nullptr;
    QPushButton* preferencesButton_ = nullptr;
    QPushButton* helpButton_ = nullptr;
    QPushButton* browseButton_ = nullptr;
    QPushButton* browseFilesButton_ = nullptr;
    QPushButton* enterURLButton_ = nullptr;
    QPushButton* destinationFolderButton_ = nullptr;
    QPushButton* selectDestinationFolderButton_ = nullptr;
    QToolButton* zoomButton_ = nullptr;
    QMenu* mainMenu_ = nullptr;
    QMenu* popupMenu_ = nullptr;
};
