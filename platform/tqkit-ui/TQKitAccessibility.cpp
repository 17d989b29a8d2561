#include "platform/tqkit-ui/TQKitAccessibility.h"

#include <QAccessible>
#include <QAction>
#include <QWidget>

void TQKitSetAccessibilityHelp(QWidget* widget, const QString& help)
{
    if (!widget)
        return;
    widget->setAccessibleDescription(help);
    widget->setToolTip(help);
}

void TQKitSetAccessibilityHelp(QAction* item, const QString& help)
{
    if (!item)
        return;
    item->setToolTip(help);
    item->setStatusTip(help);
}

void TQKitSetAccessibilityLabel(QWidget* widget, const QString& label)
{
    if (widget)
        widget->setAccessibleName(label);
}

unsigned TQKitAccessibilityModeFlags() { return QAccessible::isActive() ? 1u : 0u; }
