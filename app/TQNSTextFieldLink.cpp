#include "app/TQNSTextFieldLink.h"

#include "platform/tqkit-ui/TQKitMainThread.h"

#include <QEvent>
#include <QMouseEvent>

#include <chrono>

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
    setTextFormat(Qt::RichText);
    setText(text);
}

void TQNSTextFieldLink::setText(const QString& text)
{
    if (!TQKitIsMainThread()) {
        TQKitPerformOnMainThread(this, [this, text] { setText(text); });
        return;
    }
    plainText_ = text;
    restyle();
}

void TQNSTextFieldLink::setHyperLinkEnabled(bool enabled)
{
    hyperLinkEnabled_ = enabled;
    restyle();
}

void TQNSTextFieldLink::restyle()
{
    const QString escaped = plainText_.toHtmlEscaped();
    const bool looksLikeALink = hyperLinkEnabled_ && isEnabled();
    if (!looksLikeALink) {
        QLabel::setText(escaped);
        unsetCursor();
        return;
    }
    const QString color = palette().color(QPalette::Link).name();
    QLabel::setText(u"<span style=\"color:%1; text-decoration:underline\">%2</span>"_s.arg(color, escaped));
    if (plainText_.isEmpty())
        unsetCursor();
    else
        setCursor(Qt::PointingHandCursor);
}

void TQNSTextFieldLink::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange)
        restyle();
}

void TQNSTextFieldLink::enterEvent(QEnterEvent* event)
{
    QLabel::enterEvent(event);
    if (isEnabled() && !plainText_.isEmpty() && onMouseOverOnly_)
        setHyperLinkEnabled(true);
}

void TQNSTextFieldLink::leaveEvent(QEvent* event)
{
    QLabel::leaveEvent(event);
    if (isEnabled() && !plainText_.isEmpty() && onMouseOverOnly_)
        setHyperLinkEnabled(false);
}

void TQNSTextFieldLink::mousePressEvent(QMouseEvent* event)
{
    if (!hyperLinkEnabled_ || !isEnabled()) {
        QLabel::mousePressEvent(event);
        return;
    }
    const uint32_t now = wallClockMilliseconds();
    const uint32_t elapsed = now - lastClickTimeStamp_;
    lastClickTimeStamp_ = now;
    if (elapsed < static_cast<uint32_t>(clickDelay_.count()))
        return;
    if (action_) {
        delayedCalls_.cancel(u"action"_s);
        delayedCalls_.perform(200ms, action_, u"action"_s);
    }
    QLabel::mousePressEvent(event);
}
