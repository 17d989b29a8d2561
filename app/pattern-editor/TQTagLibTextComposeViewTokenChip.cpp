#include "app/pattern-editor/TQTagLibTextComposeViewTokenChip.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QWidget>

namespace {

constexpr int kTokenProperty = QTextFormat::UserProperty + 1;
constexpr qreal kPadding = 5;
constexpr qreal kRadius = 4;

QColor mix(const QColor& a, const QColor& b, qreal aShare)
{
    return QColor::fromRgbF(a.redF() * aShare + b.redF() * (1 - aShare), a.greenF() * aShare + b.greenF() * (1 - aShare),
                            a.blueF() * aShare + b.blueF() * (1 - aShare));
}

} // namespace

TQTagLibTextComposeViewTokenChip::TQTagLibTextComposeViewTokenChip(QWidget* field,
                                                                   std::function<bool(int)> isSelected)
    : QObject(field), field_(field), isSelected_(std::move(isSelected))
{
}

QTextCharFormat TQTagLibTextComposeViewTokenChip::formatFor(const TQTokenObject& token)
{
    QTextCharFormat format;
    format.setObjectType(kObjectType);
    format.setProperty(kTokenProperty, QVariant::fromValue(token));
    format.setVerticalAlignment(QTextCharFormat::AlignMiddle);
    return format;
}

TQTokenObject TQTagLibTextComposeViewTokenChip::tokenOf(const QTextFormat& format)
{
    if (format.objectType() != kObjectType)
        return nullptr;
    return format.property(kTokenProperty).value<TQTokenObject>();
}

QSizeF TQTagLibTextComposeViewTokenChip::chipSize(const TQTagLibTextComposeViewToken& token, const QFont& font)
{
    const QFontMetricsF metrics(font);
    const qreal mark = token.hasMenu() ? kMenuMarkWidth - metrics.horizontalAdvance(QStringLiteral("   ")) : 0;
    return QSizeF(qCeil(metrics.horizontalAdvance(token.textDisplay()) + 2 * kPadding + qMax<qreal>(mark, 0)),
                  qCeil(metrics.height() + 2));
}

QSizeF TQTagLibTextComposeViewTokenChip::intrinsicSize(QTextDocument* document, int, const QTextFormat& format)
{
    const TQTokenObject token = tokenOf(format);
    return token ? chipSize(*token, document->defaultFont()) : QSizeF();
}

void TQTagLibTextComposeViewTokenChip::drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document,
                                                  int position, const QTextFormat& format)
{
    const TQTokenObject token = tokenOf(format);
    if (!token)
        return;
    const QPalette& palette = field_->palette();
    const bool selected = isSelected_(position);
    const QColor highlight = palette.color(QPalette::Highlight);
    const QColor base = palette.color(QPalette::Base);
    const QColor fill = selected ? highlight : mix(highlight, base, 0.25);
    const QColor border = selected ? highlight.darker(115) : mix(highlight, base, 0.55);
    const QColor text = palette.color(selected ? QPalette::HighlightedText : QPalette::Text);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRectF chip = rect.adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath path;
    path.addRoundedRect(chip, kRadius, kRadius);
    painter->fillPath(path, fill);
    painter->setPen(QPen(border, 1));
    painter->drawPath(path);

    painter->setFont(document->defaultFont());
    painter->setPen(text);
    QRectF textRect = chip.adjusted(kPadding, 0, -kPadding, 0);
    if (token->hasMenu()) {
        textRect.setRight(chip.right() - kMenuMarkWidth);
        // The menu mark: a small chevron pointing down.
        const QPointF centre(chip.right() - kMenuMarkWidth / 2.0 - 1, chip.center().y() + 0.5);
        QPainterPath mark;
        mark.moveTo(centre + QPointF(-3, -1.5));
        mark.lineTo(centre + QPointF(0, 1.5));
        mark.lineTo(centre + QPointF(3, -1.5));
        painter->setPen(QPen(text, 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter->drawPath(mark);
        painter->setPen(text);
    }
    painter->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, token->textDisplay().trimmed());
    painter->restore();
}
