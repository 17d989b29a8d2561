#pragma once

#include "app/controls/TQControlButtonWithViewInPopoverCell.h"

#include <QPointer>
#include <QPushButton>

#include <functional>

// A button that opens a popover under itself showing view(), with a "Done" button. While the
// popover is open further clicks are ignored. The variants supply the view (a slider, a chooser)
// and report the user's changes through settingsChanged(). Main thread only.
class TQControlButtonWithViewInPopover : public QPushButton {
    Q_OBJECT

public:
    explicit TQControlButtonWithViewInPopover(QWidget* parent = nullptr);
    ~TQControlButtonWithViewInPopover() override;

    bool popoverVisible() const { return popoverVisible_; }
    QString popoverTitle() const { return popoverTitle_; }
    void setPopoverTitle(const QString& title) { popoverTitle_ = title; }
    QString popoverMessage() const { return popoverMessage_; }
    void setPopoverMessage(const QString& message) { popoverMessage_ = message; }
    QString popoverButtonToolTip() const { return popoverButtonToolTip_; }
    void setPopoverButtonToolTip(const QString& toolTip) { popoverButtonToolTip_ = toolTip; }

    // What the popover shows; no popover opens without one. A view set here belongs to the button.
    virtual QWidget* view();
    void setView(QWidget* view);

    // Runs when the popover closes.
    void setPopoverClosedBlock(std::function<void()> block) { popoverClosedBlock_ = std::move(block); }
    // Runs when the user changes the value shown (the variants call it).
    void setSettingsChanged(std::function<void()> block) { settingsChanged_ = std::move(block); }

    // An invalid colour removes the tint.
    QColor buttonBackgroundColor() const { return cell_.buttonBackgroundColor(); }
    void setButtonBackgroundColor(const QColor& color);

    void buttonClick();

protected:
    void runSettingsChanged();
    void paintEvent(QPaintEvent* event) override;

private:
    TQControlButtonWithViewInPopoverCell cell_;
    bool popoverVisible_ = false;
    QString popoverTitle_;
    QString popoverMessage_;
    QString popoverButtonToolTip_;
    QPointer<QWidget> view_;
    std::function<void()> popoverClosedBlock_;
    std::function<void()> settingsChanged_;
};
