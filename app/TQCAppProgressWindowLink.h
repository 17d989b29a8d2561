#pragma once

#include <QLabel>

// A line of text that can act as a link: the status lines of the progress window and the texts of
// its table cells. While the link is enabled the text takes the link colour, the pointer becomes
// a hand and a click emits clicked(); the underline shows always or only under the mouse.
// Main thread only.
class TQCAppProgressWindowLink final : public QLabel {
    Q_OBJECT

public:
    explicit TQCAppProgressWindowLink(QWidget* parent = nullptr);

    bool hyperLinkEnabled() const { return enabled_ || mouseOverOnly_; }
    void setHyperLinkEnabled(bool enabled);
    // The link works, but is underlined only while the mouse is over it.
    void setHyperLinkEnabledOnMouseOverOnly(bool enabled);
    // Text colour when the link is off (an invalid colour: the palette's).
    void setPlainTextColor(const QColor& color);

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void restyle();

    bool enabled_ = false;
    bool mouseOverOnly_ = false;
    bool hovered_ = false;
    bool restyling_ = false; // our own palette change is not a theme change
    QColor plainColor_;
};
