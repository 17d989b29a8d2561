#include "app/controls/TQControlButtonWithViewInPopoverCell.h"

#include <QPainter>
#include <QWidget>

QColor TQControlButtonWithViewInPopoverCell::fillColor(const QWidget* view, bool highlighted) const
{
    if (highlighted)
        return QColor::fromRgbF(2.0 / 3.0, 2.0 / 3.0, 2.0 / 3.0);
    if (buttonBackgroundColor_.isValid())
        return buttonBackgroundColor_;
    return view->palette().color(QPalette::Base);
}

void TQControlButtonWithViewInPopoverCell::drawBezelWithFrameInView(QPainter& painter, const QRectF& frame,
                                                                    const QWidget* view, bool highlighted) const
{
    const QRectF box = frame.adjusted(0.5, 1.5, -0.5, -1.5);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(box, fillColor(view, highlighted));
    painter.setPen(QPen(Qt::black, 0.25));
    painter.drawRect(box);
    painter.restore();
}
