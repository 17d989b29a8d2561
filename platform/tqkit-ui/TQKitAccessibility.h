#pragma once

// Help texts and labels for assistive technologies. A help text is also the tool tip, so a person
// with a mouse reads the same explanation. Main thread only.

class QAction;
class QString;
class QWidget;

void TQKitSetAccessibilityHelp(QWidget* widget, const QString& help);
void TQKitSetAccessibilityHelp(QAction* item, const QString& help);
void TQKitSetAccessibilityLabel(QWidget* widget, const QString& label);

// Bit 0: an assistive technology (a screen reader) is in use. Controls that offer views inside
// menus offer plain menu items instead while it is set.
unsigned TQKitAccessibilityModeFlags();
