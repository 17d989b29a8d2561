#pragma once

// Popovers: a small frame under a control with a title, a message, an optional view of the
// caller's and a button that closes it. Main thread only.

#include <QVariantMap>

#include <functional>

// Shows the popover that `description` describes:
//   "fromView"             the control it points at (a QWidget, required)
//   "fromViewRectEdge"     3: below the control (the only edge used here)
//   "title", "message"     texts; empty ones are left out
//   "customView"           a QWidget shown between the message and the button, or absent
//   "defaultButton"        the button's title ("OK" when absent)
//   "defaultButtonToolTip" the button's tool tip
// The popover closes on its button, on Escape and on a click outside it; `closed` then runs once
// with kTQKitAlertDefaultButton for the button and 0 otherwise. The custom view stays the caller's:
// on closing it is hidden and handed back to the control it pointed at, ready to be shown again.
// The popover's object name is "popover"; false (and nothing shown) without a control.
bool TQKitShowPopover(const QVariantMap& description, std::function<void(int result)> closed);
