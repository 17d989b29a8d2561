#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QGridLayout;
class QLabel;
class QWidget;
class TQKitPopUpButton;

// One option pop-up of a format panel with the label beside it. Item i of the pop-up shows title i
// and stands for value i; an empty title is a separator line, an item that stands for nothing. The
// widgets belong to the parent given at creation; this object only keeps them together. Main
// thread only.
class TQAudFormatPanelPopUp final {
public:
    // Creates the label ("<title>:") and the pop-up (object name `name`) as children of `parent`.
    TQAudFormatPanelPopUp(const QString& title, const QString& name, QWidget* parent);

    TQKitPopUpButton* button() const { return button_; }
    QLabel* label() const { return label_; }
    // Puts the label and the pop-up on `row` of a two-column grid.
    void addToGrid(QGridLayout* grid, int row) const;

    // Replaces the items.
    void setItems(const QList<int>& values, const QStringList& titles);
    const QList<int>& values() const { return values_; }
    const QStringList& titles() const { return titles_; }

    // The position of the first item of `value`; else of the first item of `fallback`; else 0.
    // -1 when there are no items.
    int indexForValue(int value, int fallback) const;
    // Selects indexForValue(value, fallback).
    void showValue(int value, int fallback);
    // The value of the selected item; `none` when nothing, or a separator, is selected.
    int value(int none) const;

    // The label read out for the pop-up, and the help of both the pop-up and its label.
    void setAccessibility(const QString& label, const QString& help) const;
    void setHelp(const QString& help) const;
    // Both widgets at once; a disabled label is drawn in the disabled text colour.
    void setVisible(bool visible) const;
    void setEnabled(bool enabled) const;

private:
    QLabel* label_;
    TQKitPopUpButton* button_;
    QList<int> values_;
    QStringList titles_;
};
