#include "platform/tqkit-ui/TQKitMenuItems.h"

#include "platform/tqkit-ui/TQKitMenu.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

namespace {

// The same property that tags the views and menu items of the progress windows.
constexpr char kTagProperty[] = "tag";

} // namespace

void TQKitMenuItemSetTag(QAction* item, int tag) { item->setProperty(kTagProperty, tag); }

int TQKitMenuItemTag(const QAction* item) { return item ? item->property(kTagProperty).toInt() : 0; }

QAction* TQKitMenuItemWithTag(const QWidget* menu, int tag)
{
    if (!menu)
        return nullptr;
    for (QAction* item : menu->actions()) {
        if (TQKitMenuItemTag(item) == tag)
            return item;
        if (QAction* found = TQKitMenuItemWithTag(item->menu(), tag))
            return found;
    }
    return nullptr;
}

QAction* TQKitMenuItemCopy(const QAction* item, QObject* parent)
{
    auto* copy = new QAction(parent);
    if (item->isSeparator()) {
        copy->setSeparator(true);
        return copy;
    }
    copy->setText(item->text());
    copy->setProperty("tqkitAction", TQKitMenuItemAction(item));
    TQKitMenuItemSetTag(copy, TQKitMenuItemTag(item));
    copy->setShortcut(item->shortcut());
    copy->setCheckable(item->isCheckable());
    copy->setChecked(item->isChecked());
    copy->setEnabled(item->isEnabled());
    copy->setVisible(item->isVisible());
    if (const QMenu* submenu = item->menu()) {
        auto* menuCopy = new QMenu(submenu->title());
        QObject::connect(copy, &QObject::destroyed, menuCopy, &QObject::deleteLater);
        TQKitMenuCopyItems(menuCopy, submenu);
        copy->setMenu(menuCopy);
    } else {
        QPointer<QAction> original(const_cast<QAction*>(item));
        QObject::connect(copy, &QAction::triggered, copy, [original] {
            if (original)
                original->trigger();
        });
    }
    return copy;
}

void TQKitMenuCopyItems(QMenu* to, const QMenu* from)
{
    if (!to || !from)
        return;
    for (QAction* old : to->actions()) {
        to->removeAction(old);
        if (old->parent() == to)
            old->deleteLater();
    }
    for (const QAction* item : from->actions())
        to->addAction(TQKitMenuItemCopy(item, to));
}

void TQKitMenuSetWillOpenHandler(QMenu* menu, QObject* context, std::function<void(QMenu*)> handler)
{
    if (!menu)
        return;
    QObject::connect(menu, &QMenu::aboutToShow, context, [menu, handler = std::move(handler)] { handler(menu); });
}
