#pragma once

// Draws the key tokens of the token field: each key stands in the field's document as one object
// character whose format carries the token object, and this handler sizes and paints it as a
// rounded chip, with a menu mark at its right end when the token has a menu. Owned by the field;
// main thread only.

#include "app/pattern-editor/TQTagLibTextComposeViewToken.h"

#include <QObject>
#include <QTextObjectInterface>

#include <functional>

class QTextCharFormat;

class TQTagLibTextComposeViewTokenChip final : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    static constexpr int kObjectType = QTextFormat::UserObject + 1;
    // Width of the menu mark at the right end of a chip with a menu; a click there opens the menu.
    static constexpr int kMenuMarkWidth = 14;

    // `isSelected` tells whether the chip at a document position lies in the field's selection.
    TQTagLibTextComposeViewTokenChip(QWidget* field, std::function<bool(int position)> isSelected);

    // The format of the object character that stands for `token`.
    static QTextCharFormat formatFor(const TQTokenObject& token);
    // The token of such a format; null for any other format.
    static TQTokenObject tokenOf(const QTextFormat& format);

    // The chip's size in `font`.
    static QSizeF chipSize(const TQTagLibTextComposeViewToken& token, const QFont& font);

    QSizeF intrinsicSize(QTextDocument* document, int position, const QTextFormat& format) override;
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document, int position,
                    const QTextFormat& format) override;

private:
    QWidget* field_;
    std::function<bool(int)> isSelected_;
};
