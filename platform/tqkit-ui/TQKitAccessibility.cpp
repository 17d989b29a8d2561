#include "platform/tqkit-ui/TQKitAccessibility.h"

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
