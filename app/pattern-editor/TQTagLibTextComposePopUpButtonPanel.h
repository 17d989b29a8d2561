#pragma once

// The row of action buttons ("New...", "Edit...", "Reset") that a pattern pop-up shows as one item
// at the end of its menu. The buttons stand centred in one row, 5 points apart, in the order they
// were added. Main thread only.

#include <QList>
#include <QPointer>
#include <QWidget>

class TQTagLibTextComposePopUpButtonPanel final : public QWidget {
    Q_OBJECT

public:
    explicit TQTagLibTextComposePopUpButtonPanel(QWidget* parent = nullptr);

    // Adds `view` to the row once; null is ignored.
    void addSubview(QWidget* view);
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutSubviews();

    QList<QPointer<QWidget>> subviews_;
};
