#pragma once

// Menu items found by tag and copied between menus, as the application's menus use them: the main
// menu, the main window's pop-up menu and the context menus of other windows share items by tag.
// Main thread only.

#include <functional>

class QAction;
class QMenu;
class QObject;
class QWidget;

void TQKitMenuItemSetTag(QAction* item, int tag);
// The item's tag; 0 for an item without one.
int TQKitMenuItemTag(const QAction* item);

// The first item tagged `tag` in `menu` or in its submenus (depth first), or null.
QAction* TQKitMenuItemWithTag(const QWidget* menu, int tag);

// A copy of `item` for another menu: same title, action name, tag, shortcut, check state and
// (copied too) submenu; choosing the copy triggers the original. Owned by `parent`.
QAction* TQKitMenuItemCopy(const QAction* item, QObject* parent);
// Replaces the items of `to` with copies of those of `from`.
void TQKitMenuCopyItems(QMenu* to, const QMenu* from);

// Runs `handler` with the menu each time `menu` is about to open, while `context` lives.
void TQKitMenuSetWillOpenHandler(QMenu* menu, QObject* context, std::function<void(QMenu*)> handler);
