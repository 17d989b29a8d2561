#pragma once

class QAction;
class QString;
class QWidget;

// What assistive technologies say about a control: its label (the name read out) and its help
// (the longer explanation, which is also the control's tool tip). Main thread only.
void TQKitSetAccessibilityLabel(QWidget* view, const QString& label);
void TQKitSetAccessibilityHelp(QWidget* view, const QString& help);
// The help of a menu item: its tool tip and status tip.
void TQKitSetAccessibilityHelp(QAction* item, const QString& help);

// Bit 0: an assistive technology (a screen reader) is in use. Controls that offer views inside
// menus offer plain menu items instead while it is set.
unsigned TQKitAccessibilityModeFlags();
