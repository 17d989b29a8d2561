#pragma once

class QString;
class QWidget;

// What assistive technologies say about a control: its label (the name read out) and its help
// (the longer explanation, which is also the control's tool tip). Main thread only.
void TQKitSetAccessibilityLabel(QWidget* view, const QString& label);
void TQKitSetAccessibilityHelp(QWidget* view, const QString& help);
