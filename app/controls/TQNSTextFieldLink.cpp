#include "app/controls/TQNSTextFieldLink.h"

#include "platform/tqkit-ui/TQKitMainThread.h"

#include <QEvent>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

uint32_t wallClockMilliseconds()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

} // namespace

TQNSTextFieldLink::TQNSTextFieldLink(const QString& text, QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setTextFormat(Qt::PlainText);
    QLabel::setText(text);
    restyle();
}

void TQNSTextFieldLink::setText(const QString& text)
{
    if (!TQKitIsMainThread()) {
        TQKitPerformOnMainThread(this, [this, text] { setText(text); });
        return;
    }
    QLabel::setText(text);
    restyle();
}

void TQNSTextFieldLink::setHyperLinkEnabled(bool enabled)
{
    enabled_ = enabled;
    restyle();
}

void TQNSTextFieldLink::setHyperLinkEnabledOnMouseOverOnly(bool enabled) { mouseOverOnly_ = enabled; }

void TQNSTextFieldLink::setPlainTextColor(const QColor& color)
{
    if (plainColor_ == color)
        return;
    plainColor_ = color;
    restyle();
}

bool TQNSTextFieldLink::isTruncated() const
{
    return fontMetrics().horizontalAdvance(text()) > contentsRect().width();
}

QString TQNSTextFieldLink::toolTipText() const
{
    if (!isTruncated())
        return toolTip();
    return toolTip().isEmpty() ? text() : text() + u"\n\n"_s + toolTip();
}

QSize TQNSTextFieldLink::minimumSizeHint() const { return {0, QLabel::minimumSizeHint().height()}; }

void TQNSTextFieldLink::paintEvent(QPaintEvent* event)
{
    if (!isTruncated()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const QRect area = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
    style()->drawItemText(&painter, area, QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                          isEnabled(), shown, foregroundRole());
}

bool TQNSTextFieldLink::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && isTruncated()) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), toolTipText(), this);
        return true;
    }
    return QLabel::event(event);
}

void TQNSTextFieldLink::mousePressEvent(QMouseEvent* event)
{
    QLabel::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !hyperLinkEnabled() || text().isEmpty())
        return;
    const uint32_t now = wallClockMilliseconds();
    const uint32_t elapsed = now - lastClickTimeStamp_;
    lastClickTimeStamp_ = now;
    if (elapsed < static_cast<uint32_t>(clickDelay_.count()))
        return;
    delayedCalls_.cancel(u"clicked"_s);
    delayedCalls_.perform(200ms, [this] { Q_EMIT clicked(); }, u"clicked"_s);
}

void TQNSTextFieldLink::enterEvent(QEnterEvent* event)
{
    QLabel::enterEvent(event);
    if (mouseOverOnly_ && isEnabled() && !text().isEmpty())
        setHyperLinkEnabled(true);
}

void TQNSTextFieldLink::leaveEvent(QEvent* event)
{
    QLabel::leaveEvent(event);
    if (mouseOverOnly_ && isEnabled() && !text().isEmpty())
        setHyperLinkEnabled(false);
}

void TQNSTextFieldLink::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || (event->type() == QEvent::PaletteChange && !restyling_))
        restyle();
}

void TQNSTextFieldLink::restyle()
{
    const bool linkLook = hyperLinkEnabled();
    QFont f = font();
    f.setUnderline(linkLook);
    setFont(f);
    if (linkLook && !text().isEmpty())
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();

    restyling_ = true;
    if (!linkLook && !plainColor_.isValid()) {
        setPalette(QPalette()); // inherit the window's text colour
    } else {
        QPalette p = parentWidget() ? parentWidget()->palette() : QPalette();
        p.setColor(QPalette::WindowText, linkLook ? p.color(QPalette::Link) : plainColor_);
        setPalette(p);
    }
    restyling_ = false;
}
