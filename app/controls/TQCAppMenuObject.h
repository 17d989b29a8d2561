#pragma once

#include "app/controls/TQCAppMenuTags.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QAction;
class QMenu;
class QString;
class QWidget;

// The application's one menu service: it adapts the titles that name the music library, fills the
// Help submenus with the help and contact commands of a keyword (or copies of the main Help menu),
// and shows the preferences page's reset item in the application menu. Created on first use;
// main thread only (the menu lock also guards the filling of Help submenus).
class TQCAppMenuObject final : public QObject {
    Q_OBJECT

public:
    static TQCAppMenuObject* get();

    void menuWillOpenPopup(QMenu* menu);
    void menuWillOpenHelpMain(QMenu* menu);
    void menuWillOpenAppMain(QMenu* menu);

    // Aims the application menu's reset item at the preferences page in front and answers whether
    // that page can reset; installed by the main window, which knows the dialog.
    void setResetPreferencesOffer(std::function<bool(QAction* item)> offer) { resetPreferencesOffer_ = std::move(offer); }

    // The main window's menu, whose Help submenu the other Help submenus copy.
    QMenu* mainMenu() const { return mainMenu_; }
    void setMainMenu(QMenu* menu) { mainMenu_ = menu; }

private:
    TQCAppMenuObject() = default;

    QPointer<QMenu> mainMenu_;
    std::function<bool(QAction*)> resetPreferencesOffer_;
};

// Music titles in place, then the Help and application submenus' handlers; for the main menu.
void TQAppMenuInstallMain(QMenu* menu);
// Music titles in place; flags bit 0x2 adds the Help submenu when the menu opens.
void TQAppMenuComplete(QMenu* menu, int flags);
// Replaces "iTunes" by the music library's name in items 12621 and 12602; hides 12503 and 12504.
void TQAppMenuSetMusicTitles(QWidget* menu);
// Gives `menu` a Help submenu (item 12611, titled `title` or "Help") filled for `keyword` (or
// "helpmenu"), only when it is not already filled for that keyword.
void TQAppMenuAddHelpSubmenu(QMenu* menu, const QString& title, const QString& keyword);
// Adds the "helpmenu" commands to `menu` once; whether it added entries.
bool TQAppMenuInstallHelpEntries(QMenu* menu);
