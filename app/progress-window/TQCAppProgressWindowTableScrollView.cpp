#include "app/progress-window/TQCAppProgressWindowTableScrollView.h"

#include <QEvent>

TQCAppProgressWindowTableScrollView::TQCAppProgressWindowTableScrollView(QWidget* parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

bool TQCAppProgressWindowTableScrollView::contentShown() const { return !viewport()->isHidden(); }

bool TQCAppProgressWindowTableScrollView::event(QEvent* event)
{
    const bool handled = QScrollArea::event(event);
    if (event->type() == QEvent::Resize)
        viewport()->setVisible(height() > kClosedHeight);
    return handled;
}
