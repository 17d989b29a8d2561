#pragma once

class QWidget;

// Whether `view` is drawn in a dark appearance: its palette's window colour is dark. False for null.
bool TQKitIsDarkAppearance(const QWidget* view);
