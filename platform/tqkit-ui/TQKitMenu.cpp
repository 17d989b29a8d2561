#include "platform/tqkit-ui/TQKitMenu.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace {

constexpr char kActionProperty[] = "tqkitAction";

// Validates the items whose shortcut is being pressed. Before Qt looks a key up among the shortcuts
// it asks the focus object whether it takes the key itself (QEvent::ShortcutOverride); that event
// passes this filter first, so the items' enabled states are current when Qt decides whether one of
// them answers: an enabled item runs, a disabled one does not. One filter for the application, made
// with the first validated menu and owned by the application object; main thread only. A menu leaves
// it when the menu or its context goes.
class ShortcutValidation final : public QObject {
public:
    static ShortcutValidation* instance()
    {
        static QPointer<ShortcutValidation> filter;
        if (!filter && QCoreApplication::instance()) {
            filter = new ShortcutValidation(QCoreApplication::instance());
            QCoreApplication::instance()->installEventFilter(filter);
        }
        return filter;
    }

    void add(QMenu* menu, QObject* context, const std::function<bool(QAction*)>& validate)
    {
        forgetGoneMenus();
        menus_.push_back({menu, context, validate});
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ShortcutOverride)
            validateItemsFor(static_cast<const QKeyEvent*>(event));
        return QObject::eventFilter(watched, event);
    }

private:
    using QObject::QObject;

    struct Validated {
        QPointer<QMenu> menu;
        QPointer<QObject> context;
        std::function<bool(QAction*)> validate;
    };

    void forgetGoneMenus()
    {
        std::erase_if(menus_, [](const Validated& entry) { return !entry.menu || !entry.context; });
    }

    void validateItemsFor(const QKeyEvent* key)
    {
        forgetGoneMenus();
        const QKeySequence pressed(QKeyCombination(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key())));
        // A validator may add, change or close menus: the loops go over copies and stop at a menu
        // that went meanwhile.
        const std::vector<Validated> menus = menus_;
        for (const Validated& entry : menus) {
            const QList<QAction*> items = entry.menu ? entry.menu->actions() : QList<QAction*>();
            for (QAction* item : items) {
                if (!entry.menu || !entry.context)
                    break;
                if (!item->isSeparator() && item->shortcuts().contains(pressed))
                    item->setEnabled(entry.validate(item));
            }
        }
    }

    std::vector<Validated> menus_;
};

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

void TQKitMenuSetValidator(QMenu* menu, QObject* context, std::function<bool(QAction*)> validate)
{
    if (!menu || !context)
        return;
    if (ShortcutValidation* shortcuts = ShortcutValidation::instance())
        shortcuts->add(menu, context, validate);
    QObject::connect(menu, &QMenu::aboutToShow, context, [menu, validate = std::move(validate)] {
        for (QAction* item : menu->actions()) {
            if (!item->isSeparator())
                item->setEnabled(validate(item));
        }
    });
}

void TQKitMenuSetResponder(QMenu* menu, std::function<bool(QAction*)> validate,
                           std::function<void(QAction*)> perform)
{
    if (!menu)
        return;
    TQKitMenuSetValidator(menu, menu, std::move(validate));
    QObject::connect(menu, &QMenu::triggered, menu, std::move(perform));
}

void TQKitPopUpMenu(QMenu* menu, QWidget* anchor, const QPoint& offset)
{
    if (menu && anchor)
        menu->popup(anchor->mapToGlobal(QPoint(0, anchor->height()) + offset));
}
