#include "platform/tqkit-ui/TQKitAttributedString.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

namespace {

constexpr char kTitleProperty[] = "tqkitAttributedTitle";
constexpr int kChipRadius = 4;

QFont runFont(const TQKitAttributedString::Run& run, const QFont& defaultFont)
{
    return run.font.value_or(defaultFont);
}

// Menu items draw their attributed titles through this style: the base style draws the item
// (highlight, check mark, submenu arrow) without text, then the runs are drawn where the base style
// would have put the text.
class AttributedMenuStyle final : public QProxyStyle {
public:
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        const std::optional<TQKitAttributedString> title = element == CE_MenuItem ? titleAt(item, widget)
                                                                                   : std::nullopt;
        if (!title) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        QStyleOptionMenuItem bare = *item;
        bare.text.clear();
        QProxyStyle::drawControl(element, &bare, painter, widget);
        const int left = textLeft(*item, widget);
        QRect textRect = item->rect.adjusted(left, 0, -(item->reservedShortcutWidth + 12), 0);
        const bool selected = (item->state & State_Selected) && (item->state & State_Enabled);
        title->draw(painter, textRect, item->font, item->palette, selected);
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override
    {
        QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (type != CT_MenuItem || !item)
            return result;
        if (const std::optional<TQKitAttributedString> title = titleAt(item, widget)) {
            const QFontMetrics metrics(item->font);
            result.rwidth() += title->width(item->font) - metrics.horizontalAdvance(item->text);
        }
        return result;
    }

private:
    // The action an option stands for: the item of the menu at the option's rectangle, checked
    // against the option's text (sizes are asked for with an empty rectangle).
    static std::optional<TQKitAttributedString> titleAt(const QStyleOptionMenuItem* item, const QWidget* widget)
    {
        const auto* menu = qobject_cast<const QMenu*>(widget);
        if (!item || !menu)
            return std::nullopt;
        if (item->rect.isValid()) {
            if (QAction* action = menu->actionAt(item->rect.center()))
                return TQKitMenuItemAttributedTitle(action);
            return std::nullopt;
        }
        for (QAction* action : menu->actions()) {
            if (action->text() == item->text)
                if (std::optional<TQKitAttributedString> title = TQKitMenuItemAttributedTitle(action))
                    return title;
        }
        return std::nullopt;
    }

    // Where the base style starts the text of an item like `item`: found once per item geometry by
    // letting it draw a bar in a known colour.
    int textLeft(const QStyleOptionMenuItem& item, const QWidget* widget) const
    {
        const quint64 key = (quint64(item.rect.height()) << 32) | (quint64(item.maxIconWidth) << 8) |
                            quint64(item.checkType);
        if (const auto found = textLefts_.constFind(key); found != textLefts_.cend())
            return *found;
        QStyleOptionMenuItem probe = item;
        probe.rect.moveTo(0, 0);
        probe.state &= ~State_Selected;
        probe.text = QStringLiteral("\u2588");
        for (const auto role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText})
            probe.palette.setColor(role, Qt::red);
        QImage image(probe.rect.size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        {
            QPainter imagePainter(&image);
            QProxyStyle::drawControl(CE_MenuItem, &probe, &imagePainter, widget);
        }
        int left = 8;
        for (int x = 0, found = false; x < image.width() && !found; ++x) {
            for (int y = 0; y < image.height(); ++y) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.red() > 200 && pixel.green() < 60 && pixel.blue() < 60 && pixel.alpha() > 200) {
                    left = x;
                    found = true;
                    break;
                }
            }
        }
        textLefts_.insert(key, left);
        return left;
    }

    mutable QHash<quint64, int> textLefts_;
};

AttributedMenuStyle* menuStyle()
{
    static QPointer<AttributedMenuStyle> style;
    if (!style) {
        style = new AttributedMenuStyle;
        style->setParent(qApp);
    }
    return style;
}

} // namespace

void TQKitAttributedString::append(const QString& text, const std::optional<QFont>& font,
                                   const QColor& foreground, const QColor& background)
{
    if (!text.isEmpty())
        runs.append(Run{text, font, foreground, background});
}

QString TQKitAttributedString::plainText() const
{
    QString text;
    for (const Run& run : runs)
        text += run.text;
    return text;
}

int TQKitAttributedString::width(const QFont& defaultFont) const
{
    int total = 0;
    for (const Run& run : runs)
        total += QFontMetrics(runFont(run, defaultFont)).horizontalAdvance(run.text);
    return total;
}

void TQKitAttributedString::draw(QPainter* painter, const QRect& rect, const QFont& defaultFont,
                                 const QPalette& palette, bool selected) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const int total = width(defaultFont);
    int x = rect.left();
    if (alignment & Qt::AlignRight)
        x = rect.right() - total;
    else if (alignment & Qt::AlignHCenter)
        x = rect.left() + (rect.width() - total) / 2;
    const QColor plain = palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    for (const Run& run : runs) {
        const QFont font = runFont(run, defaultFont);
        const QFontMetrics metrics(font);
        const int runWidth = metrics.horizontalAdvance(run.text);
        const QRect runRect(x, rect.top(), runWidth, rect.height());
        if (run.background.isValid()) {
            const int chipHeight = qMin(rect.height(), metrics.height() + 2);
            const QRectF chip(runRect.left(), rect.top() + (rect.height() - chipHeight) / 2.0, runWidth, chipHeight);
            QPainterPath path;
            path.addRoundedRect(chip, kChipRadius, kChipRadius);
            painter->fillPath(path, run.background);
        }
        painter->setFont(font);
        painter->setPen(run.foreground.isValid() ? run.foreground : plain);
        painter->drawText(runRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, run.text);
        x += runWidth;
    }
    painter->restore();
}

void TQKitMenuItemSetAttributedTitle(QAction* item, const TQKitAttributedString& title)
{
    if (!item)
        return;
    if (title.isEmpty()) {
        item->setProperty(kTitleProperty, QVariant());
        return;
    }
    item->setProperty(kTitleProperty, QVariant::fromValue(title));
    // "&" would otherwise mark a mnemonic in the plain text.
    item->setText(title.plainText().replace(u'&', QStringLiteral("&&")));
}

std::optional<TQKitAttributedString> TQKitMenuItemAttributedTitle(const QAction* item)
{
    const QVariant title = item ? item->property(kTitleProperty) : QVariant();
    if (!title.canConvert<TQKitAttributedString>())
        return std::nullopt;
    return title.value<TQKitAttributedString>();
}

void TQKitMenuShowAttributedTitles(QMenu* menu)
{
    if (menu && menu->style() != menuStyle())
        menu->setStyle(menuStyle());
}
