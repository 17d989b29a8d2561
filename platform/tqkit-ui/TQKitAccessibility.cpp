#include "platform/tqkit-ui/TQKitAccessibility.h"

#include <QAccessible>
#include <QAction>
#include <QWidget>

void TQKitSetAccessibilityLabel(QWidget* view, const QString& label)
{
    if (view)
        view->setAccessibleName(label);
}

void TQKitSetAccessibilityHelp(QWidget* view, const QString& help)
{
    if (!view)
        return;
    view->setAccessibleDescription(help);
    view->setToolTip(help);
}

void TQKitSetAccessibilityHelp(QAction* item, const QString& help)
{
    if (!item)
        return;
    item->setToolTip(help);
    item->setStatusTip(help);
}

unsigned TQKitAccessibilityModeFlags() { return QAccessible::isActive() ? 1u : 0u; }
