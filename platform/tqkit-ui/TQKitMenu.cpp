#include "platform/tqkit-ui/TQKitMenu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QWidget>

namespace {

constexpr char kActionProperty[] = "tqkitAction";

} // namespace

std::unique_ptr<QAction> TQKitMakeMenuItem(const QString& title, const QByteArray& action,
                                           const QString& keyEquivalent)
{
    auto item = std::make_unique<QAction>(title);
    item->setProperty(kActionProperty, action);
    if (!keyEquivalent.isEmpty())
        item->setShortcut(QKeySequence(keyEquivalent));
    return item;
}

void TQKitMenuAddItem(QMenu* menu, std::unique_ptr<QAction> item)
{
    if (!menu || !item)
        return;
    item->setParent(menu);
    menu->addAction(item.release());
}

void TQKitMenuAddSeparator(QMenu* menu)
{
    if (menu)
        menu->addSeparator();
}

QByteArray TQKitMenuItemAction(const QAction* item)
{
    return item ? item->property(kActionProperty).toByteArray() : QByteArray();
}

void TQKitMenuSetResponder(QMenu* menu, std::function<bool(QAction*)> validate,
                           std::function<void(QAction*)> perform)
{
    if (!menu)
        return;
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu, validate = std::move(validate)] {
        for (QAction* item : menu->actions()) {
            if (!item->isSeparator())
                item->setEnabled(validate(item));
        }
    });
    QObject::connect(menu, &QMenu::triggered, menu, std::move(perform));
}

void TQKitPopUpMenu(QMenu* menu, QWidget* anchor, const QPoint& offset)
{
    if (menu && anchor)
        menu->popup(anchor->mapToGlobal(QPoint(0, anchor->height()) + offset));
}
