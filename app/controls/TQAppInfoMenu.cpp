#include "app/controls/TQAppInfoMenu.h"

#include "app/controls/TQMenuItemPerformer.h"
#include "platform/tqkit-ui/TQKitAppInfo.h"
#include "platform/tqkit-ui/TQKitHelpCommands.h"
#include "platform/tqkit-ui/TQKitWorkspace.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include <memory>
#include <vector>

bool TQAppInfoMenuFill(QObject* target, const QString& keyword, int* count, int* lastTag)
{
    auto* menu = qobject_cast<QMenu*>(target);
    std::vector<TQKitHelpEntry> entries;
    if (!menu || !TQKitHelpCommandsGet(entries, keyword.toUtf8().constData()))
        return false;
    menu->addSeparator();
    for (const TQKitHelpEntry& entry : entries) {
        if (entry.title == "-" || entry.detail == "-") {
            menu->addSeparator();
            continue;
        }
        QAction* item = menu->addAction(QString::fromStdString(entry.title));
        TQMenuItemPerformer::setupMenuItemWithTag(item, entry.tag);
        ++*count;
        *lastTag = entry.tag;
    }
    return true;
}

bool TQAppInfoMenuAdd(QObject* menu, const QString& keyword)
{
    int count = 0;
    int lastTag = 0;
    return TQAppInfoMenuFill(menu, keyword, &count, &lastTag);
}

bool TQAppInfoMenuShowAtView(QObject* target, const QString& keyword, double x, double y)
{
    auto* view = qobject_cast<QWidget*>(target);
    if (view) {
        auto menu = std::make_unique<QMenu>(view);
        int count = 0;
        int lastTag = 0;
        if (TQAppInfoMenuFill(menu.get(), keyword, &count, &lastTag)) {
            if (count == 1) {
                TQKitMenuCommandPerform(lastTag);
                return true;
            }
            QMenu* shown = menu.release();
            shown->setAttribute(Qt::WA_DeleteOnClose);
            shown->popup(view->mapToGlobal(QPoint(static_cast<int>(x), view->height() - static_cast<int>(y))));
            return true;
        }
    }
    TQKitOpenURL(TQKitAppInfo::current().supportPageUrl);
    return true;
}
