#include "app/controls/TQNSTextFieldLink.h"

#include "platform/tqkit-ui/TQKitMainThread.h"

#include <QEvent>
#include <QMouseEvent>

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
    if (enabled)
        mouseOverOnly_ = false;
    restyle();
}

void TQNSTextFieldLink::setHyperLinkEnabledOnMouseOverOnly(bool enabled)
{
    mouseOverOnly_ = enabled;
    if (enabled)
        enabled_ = false;
    restyle();
}

void TQNSTextFieldLink::setPlainTextColor(const QColor& color)
{
    if (plainColor_ == color)
        return;
    plainColor_ = color;
    restyle();
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
    hovered_ = true;
    restyle();
}

void TQNSTextFieldLink::leaveEvent(QEvent* event)
{
    QLabel::leaveEvent(event);
    hovered_ = false;
    restyle();
}

void TQNSTextFieldLink::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || (event->type() == QEvent::PaletteChange && !restyling_))
        restyle();
}

void TQNSTextFieldLink::restyle()
{
    const bool link = hyperLinkEnabled();
    const bool linkLook = enabled_ && isEnabled();
    QFont f = font();
    f.setUnderline(linkLook || (link && hovered_));
    setFont(f);
    if (link && !text().isEmpty())
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
