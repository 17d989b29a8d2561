#pragma once

// A pop-up button: a button that shows its selected menu item and opens its menu with that item
// over the button. Choosing a top-level item with a title selects it and sends the button's action
// (the activated signal); items of submenus and items that are views act on their own. Items with
// an attributed title (TQKitAttributedString.h) show it in the menu and on the button. Main
// thread only.

#include <QPointer>
#include <QWidget>

class QAction;
class QMenu;

class TQKitPopUpButton final : public QWidget {
    Q_OBJECT

public:
    explicit TQKitPopUpButton(QWidget* parent = nullptr);
    ~TQKitPopUpButton() override;

    // The button's menu, owned by the button.
    QMenu* menu() const { return menu_; }
    int numberOfItems() const;
    // The index of the selected item; -1 when none is selected.
    int indexOfSelectedItem() const;
    QAction* selectedItem() const { return selected_; }
    // Selects the item at `index`; any index out of range selects nothing.
    void selectItemAtIndex(int index);

    // Opens the menu over the button, as a click does.
    void popUp();
    // Sends the button's action, as choosing an item does.
    void sendAction();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // The button's action: an item was chosen, or the owner of the menu sent it (sendAction).
    void activated();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void itemChosen(QAction* item);

    QMenu* menu_;
    QPointer<QAction> selected_;
};
