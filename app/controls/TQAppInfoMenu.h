#pragma once

// Menus of the help and contact commands of a context keyword (TQKitHelpCommandsGet). Main
// thread only.

class QMenu;
class QObject;
class QString;

// Appends a separator and the keyword's commands to `menu` (a separator entry stays one); each
// item adds 1 to *count and leaves its tag in *lastTag. False, with the menu unchanged, when
// `menu` is not a menu or the keyword has no commands.
bool TQAppInfoMenuFill(QObject* menu, const QString& keyword, int* count, int* lastTag);
bool TQAppInfoMenuAdd(QObject* menu, const QString& keyword);

// At the view `view`: runs the keyword's one command at once, or pops up a menu of its commands at
// (x, y) below the view; without commands, opens the support page. Always true.
bool TQAppInfoMenuShowAtView(QObject* view, const QString& keyword, double x, double y);
