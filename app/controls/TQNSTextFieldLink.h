#pragma once

#include "platform/tqkit-ui/TQKitDelayedCalls.h"

#include <QColor>
#include <QLabel>

#include <chrono>
#include <cstdint>

// A label that can act as a hyperlink: the main window's link texts, the status lines of the
// progress windows and the texts of their table cells. While the link is on (as it is at first),
// the text takes the link colour, underlined, the pointer becomes a hand, and a click emits
// clicked() after 0.2 s, at most once per click interval (1000 ms by default; every click, taken or
// not, restarts the interval). In hover mode the link turns on while the mouse is over a non-empty
// label and off when it leaves, so the label looks plain until pointed at. A disabled label is
// never a link. One line: a text wider than the label is cut at its end with "…" and shown whole in
// the tool tip (above the label's own tip). setText may be called from any thread; main thread
// otherwise.
class TQNSTextFieldLink final : public QLabel {
    Q_OBJECT

public:
    explicit TQNSTextFieldLink(const QString& text = {}, QWidget* parent = nullptr);

    void setText(const QString& text);

    bool hyperLinkEnabled() const { return enabled_ && isEnabled(); }
    void setHyperLinkEnabled(bool enabled);
    // Hover mode: the link follows the mouse (see above).
    bool hyperLinkEnabledOnMouseOverOnly() const { return mouseOverOnly_; }
    void setHyperLinkEnabledOnMouseOverOnly(bool enabled);
    std::chrono::milliseconds hyperLinkClickDelay() const { return clickDelay_; }
    void setHyperLinkClickDelay(std::chrono::milliseconds delay) { clickDelay_ = delay; }
    // Text colour while the link is off (an invalid colour: the palette's).
    void setPlainTextColor(const QColor& color);

    // The text is wider than the label and shows cut.
    bool isTruncated() const;
    // What the tool tip shows: the whole text when cut, then the label's own tip.
    QString toolTipText() const;
    // A label may be narrower than its text: it cuts it.
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    void restyle();

    bool enabled_ = true;
    bool mouseOverOnly_ = false;
    bool restyling_ = false; // our own palette change is not a theme change
    QColor plainColor_;
    std::chrono::milliseconds clickDelay_{1000};
    uint32_t lastClickTimeStamp_ = 0; // wall-clock milliseconds, wrapping
    TQKitDelayedCalls delayedCalls_;
};
