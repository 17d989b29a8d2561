#pragma once

class QString;
class QWidget;

// A short message in a small pop-over frame beside `anchor` (a title in bold, then the message).
// It goes away on the next click or after a few seconds. Main thread only; the frame's object name
// is "popoverMessage".
void TQKitShowPopoverMessage(QWidget* anchor, const QString& title, const QString& message);
