#pragma once

// Menu items as the menus of the application build them. An item carries its action, the name of
// the command it sends ("paste:", "closeAllCustom:"), which the menu's owner uses to validate the
// item and to dispatch it when chosen. Main thread only.

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QObject;
class QPoint;
class QWidget;

// A new item with `title`, sending `action`; `keyEquivalent` is a shortcut such as "Ctrl+V" (empty:
// none). The item is the caller's until it is added to a menu.
std::unique_ptr<QAction> TQKitMakeMenuItem(const QString& title, const QByteArray& action,
                                           const QString& keyEquivalent = {});
// Appends `item` to `menu`, which takes it over.
void TQKitMenuAddItem(QMenu* menu, std::unique_ptr<QAction> item);
void TQKitMenuAddSeparator(QMenu* menu);

// The action an item sends (empty for items made elsewhere).
QByteArray TQKitMenuItemAction(const QAction* item);

// Keeps the items of `menu` enabled as `validate` answers for them, while `context` lives: every item
// (separators aside) when the menu is about to open, and an item with a shortcut again when its
// shortcut is pressed, before the shortcut is dispatched. So a shortcut works exactly when its item
// would be enabled in the open menu, whatever changed since the menu was last shown.
void TQKitMenuSetValidator(QMenu* menu, QObject* context, std::function<bool(QAction*)> validate);

// Validates `menu`'s items with `validate` as TQKitMenuSetValidator does; an item chosen in it is
// handed to `perform`. The menu keeps both for its life.
void TQKitMenuSetResponder(QMenu* menu, std::function<bool(QAction*)> validate,
                           std::function<void(QAction*)> perform);

// Opens `menu` below `anchor`'s bottom-left corner, moved by `offset`.
void TQKitPopUpMenu(QMenu* menu, QWidget* anchor, const QPoint& offset);
