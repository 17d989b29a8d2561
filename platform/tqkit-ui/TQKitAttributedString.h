#pragma once

// Text in runs with their own colours, as menu items and pop-up buttons show it: a pattern title
// whose keys are coloured chips, a right-aligned digits item in the link colour. A run with a
// background colour is drawn as a rounded chip. Plain values; main thread only (fonts, painting).

#include <QColor>
#include <QFont>
#include <QList>
#include <QMetaType>
#include <QString>

#include <optional>

class QAction;
class QMenu;
class QPainter;
class QPalette;
class QRect;

struct TQKitAttributedString {
    struct Run {
        QString text;
        std::optional<QFont> font;  // none: the font of whatever shows the text
        QColor foreground;          // invalid: the palette's text colour
        QColor background;          // valid: the run is a chip of this colour
    };

    QList<Run> runs;
    Qt::Alignment alignment = Qt::AlignLeft;

    void append(const QString& text, const std::optional<QFont>& font = {}, const QColor& foreground = {},
                const QColor& background = {});
    QString plainText() const;
    bool isEmpty() const { return runs.isEmpty(); }

    int width(const QFont& defaultFont) const;
    // Draws the runs vertically centred in `rect`; `selected` draws plain runs in the palette's
    // highlighted-text colour (chips keep theirs).
    void draw(QPainter* painter, const QRect& rect, const QFont& defaultFont, const QPalette& palette,
              bool selected) const;
};
Q_DECLARE_METATYPE(TQKitAttributedString)

// Gives `item` an attributed title: its plain text becomes the item's text (for keyboard search and
// accessibility) and the runs are what the menu shows once TQKitMenuShowAttributedTitles has been
// called on it. An empty string removes the attributed title.
void TQKitMenuItemSetAttributedTitle(QAction* item, const TQKitAttributedString& title);
std::optional<TQKitAttributedString> TQKitMenuItemAttributedTitle(const QAction* item);

// Makes `menu` draw the attributed titles of its items.
void TQKitMenuShowAttributedTitles(QMenu* menu);
