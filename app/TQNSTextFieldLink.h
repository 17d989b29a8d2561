#pragma once

#include "platform/tqkit-ui/TQKitDelayedCalls.h"

#include <QLabel>

#include <chrono>
#include <functional>

// A label that behaves as a hyperlink: link colour, underlined, pointing-hand cursor, and a click
// that runs its action after 0.2 s, at most once per click interval (1000 ms by default; every
// click, taken or not, restarts the interval). setText may be called from any thread. Main thread
// otherwise.
class TQNSTextFieldLink final : public QLabel {
    Q_OBJECT

public:
    explicit TQNSTextFieldLink(const QString& text = {}, QWidget* parent = nullptr);

    void setText(const QString& text);
    void setAction(std::function<void()> action) { action_ = std::move(action); }

    bool hyperLinkEnabled() const { return hyperLinkEnabled_; }
    void setHyperLinkEnabled(bool enabled);
    bool hyperLinkEnabledOnMouseOverOnly() const { return onMouseOverOnly_; }
    void setHyperLinkEnabledOnMouseOverOnly(bool enabled) { onMouseOverOnly_ = enabled; }
    std::chrono::milliseconds hyperLinkClickDelay() const { return clickDelay_; }
    void setHyperLinkClickDelay(std::chrono::milliseconds delay) { clickDelay_ = delay; }

protected:
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void restyle();

    QString plainText_;
    bool hyperLinkEnabled_ = true;
    bool onMouseOverOnly_ = false;
    std::chrono::milliseconds clickDelay_{1000};
    uint32_t lastClickTimeStamp_ = 0; // wall-clock milliseconds, wrapping
    std::function<void()> action_;
    TQKitDelayedCalls delayedCalls_;
};
