#pragma once

// Alerts, questions and information boxes. Each call may come from any thread:
// - on the main thread with a completion, the box is shown as a sheet of the parent window (or
//   application-modal without one); the call returns kTQKitAlertPending at once and the completion
//   runs on the main thread when the box is answered;
// - on the main thread without a completion, the call returns the answer (modal);
// - on any other thread, the box is shown on the main thread while the calling thread waits; the
//   completion, when given, runs on the main thread, then the call returns the answer. The main
//   thread never waits for the asking thread.
// Who answers is the installed TQKitAlertResponder: the person, or a script in tests.

#include "platform/tqkit-ui/TQKitAlertRequest.h"

#include <QVariantMap>

#include <functional>

using TQKitAlertCompletion = std::function<void(int button, bool suppressed)>;
// "initBlock" of an alert: runs once the alert is on screen.
using TQKitAlertInitBlock = std::function<void()>;
// "defButtonAction" of an alert: asked when the default button is chosen; false keeps it open.
using TQKitAlertDefaultButtonAction = std::function<bool()>;

// Bit values of an alert's "flags", a question's style and a box's flags.
inline constexpr int kTQKitAlertSuppressionBox = 0x1; // the "Do not show this message again" box
inline constexpr int kTQKitAlertCaution = 0x4;        // a warning, with the caution icon

// An alert described by a dictionary with the keys "title", "message", "defaultButton",
// "alternateButton", "otherButton" (a missing or non-text button is left out; without any, the
// default button is "OK"), "defaultButtonHint", "alternateButtonHint", "flags" (bit values above),
// "accessoryView" (a QWidget, which stays the caller's), "initBlock" (a TQKitAlertInitBlock) and
// "defButtonAction" (a TQKitAlertDefaultButtonAction). Answers kTQKitAlertDefaultButton (100),
// kTQKitAlertAlternateButton (101) or kTQKitAlertOtherButton (102).
int TQKitRunAlert(QWidget* parent, const QVariantMap& description, TQKitAlertCompletion completion = {});

// A yes/no question: kTQKitQuestionConfirmed (5) or kTQKitQuestionDeclined. Style bit value 1 adds
// a check box whose state the completion receives as the suppression state.
int TQKitAskQuestion(QWidget* parent, const QString& title, const QString& message, int style,
                     TQKitAlertCompletion completion = {});

// Information boxes with one "OK" button.
void TQKitShowMessageBox(QWidget* parent, const QString& title, const QString& message, int flags = 0,
                         std::function<void()> completion = {});
void TQKitShowNoticeBox(QWidget* parent, const QString& title, const QString& message, int style = 0,
                        std::function<void()> completion = {});
