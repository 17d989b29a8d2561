#pragma once

#include <QColor>

class QPainter;
class QRectF;
class QWidget;

// The look of the popover buttons while they are enabled: a flat box filled with the button's
// background colour (the text background without one, light grey while pressed) and outlined by a
// hairline. A disabled button is drawn as any push button.
class TQControlButtonWithViewInPopoverCell final {
public:
    // An invalid colour: none.
    QColor buttonBackgroundColor() const { return buttonBackgroundColor_; }
    void setButtonBackgroundColor(const QColor& color) { buttonBackgroundColor_ = color; }

    // The colour the box of `view` is filled with.
    QColor fillColor(const QWidget* view, bool highlighted) const;
    // Draws the box into `frame` of `view`.
    void drawBezelWithFrameInView(QPainter& painter, const QRectF& frame, const QWidget* view, bool highlighted) const;

private:
    QColor buttonBackgroundColor_;
};
