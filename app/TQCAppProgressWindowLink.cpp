#include "app/TQCAppProgressWindowLink.h"

#include <QMouseEvent>

TQCAppProgressWindowLink::TQCAppProgressWindowLink(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    restyle();
}

void TQCAppProgressWindowLink::setHyperLinkEnabled(bool enabled)
{
    enabled_ = enabled;
    if (enabled)
        mouseOverOnly_ = false;
    restyle();
}

void TQCAppProgressWindowLink::setHyperLinkEnabledOnMouseOverOnly(bool enabled)
{
    mouseOverOnly_ = enabled;
    if (enabled)
        enabled_ = false;
    restyle();
}

void TQCAppProgressWindowLink::setPlainTextColor(const QColor& color)
{
    if (plainColor_ == color)
        return;
    plainColor_ = color;
    restyle();
}

void TQCAppProgressWindowLink::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && hyperLinkEnabled() && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

void TQCAppProgressWindowLink::enterEvent(QEnterEvent* event)
{
    QLabel::enterEvent(event);
    hovered_ = true;
    restyle();
}

void TQCAppProgressWindowLink::leaveEvent(QEvent* event)
{
    QLabel::leaveEvent(event);
    hovered_ = false;
    restyle();
}

void TQCAppProgressWindowLink::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && !restyling_)
        restyle();
}

void TQCAppProgressWindowLink::restyle()
{
    const bool link = hyperLinkEnabled();
    QFont f = font();
    f.setUnderline(enabled_ || (mouseOverOnly_ && hovered_));
    setFont(f);
    setCursor(link ? Qt::PointingHandCursor : Qt::ArrowCursor);

    restyling_ = true;
    if (!enabled_ && !plainColor_.isValid()) {
        setPalette(QPalette()); // inherit the window's text colour
    } else {
        QPalette p = parentWidget() ? parentWidget()->palette() : QPalette();
        p.setColor(QPalette::WindowText, enabled_ ? p.color(QPalette::Link) : plainColor_);
        setPalette(p);
    }
    restyling_ = false;
}
