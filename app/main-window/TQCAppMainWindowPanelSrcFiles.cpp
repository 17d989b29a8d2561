#include "app/main-window/TQCAppMainWindowPanelSrcFiles.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr qreal kFrameInset = 6.5;
constexpr qreal kSmallFrameInset = 2.5; // the collapsed window is a strip of 39 points
constexpr int kSmallHeight = 60;
constexpr qreal kFrameRadius = 8.0;

} // namespace

void TQCAppMainWindowPanelSrcFiles::paintEvent(QPaintEvent* event)
{
    TQNSViewDropPanel::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal inset = height() < kSmallHeight ? kSmallFrameInset : kFrameInset;
    const QRectF frame = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    QPainterPath outline;
    outline.addRoundedRect(frame, kFrameRadius, kFrameRadius);
    const bool highlighted = currentPanelColor() == backgroundHighlightColor() && backgroundHighlightColor().isValid();
    QColor stroke = palette().color(highlighted ? QPalette::Highlight : QPalette::Mid);
    painter.setPen(QPen(stroke, highlighted ? 2.0 : 1.2, Qt::DashLine));
    painter.fillPath(outline, palette().color(QPalette::Base));
    if (highlighted)
        painter.fillPath(outline, backgroundHighlightColor());
    painter.drawPath(outline);
}
