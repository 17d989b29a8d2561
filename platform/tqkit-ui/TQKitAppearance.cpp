#include "platform/tqkit-ui/TQKitAppearance.h"

#include <QWidget>

bool TQKitIsDarkAppearance(const QWidget* view)
{
    return view && view->palette().color(QPalette::Window).lightness() < 128;
}
