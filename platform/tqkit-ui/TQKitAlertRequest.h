#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

// Answers of the alert calls.
inline constexpr int kTQKitAlertDefaultButton = 100;
inline constexpr int kTQKitAlertAlternateButton = 101;
inline constexpr int kTQKitAlertOtherButton = 102;
inline constexpr int kTQKitQuestionConfirmed = 5;
inline constexpr int kTQKitQuestionDeclined = 6;
// What an alert call returns on the main thread when the answer goes to its completion later.
inline constexpr int kTQKitAlertPending = 0;

// One alert, question or information box, as the alert calls hand it to the responder.
struct TQKitAlertRequest {
    enum class Kind { Alert, Question, Message, Notice };

    struct Button {
        QString title;
        int code = 0; // what the caller receives when this button is chosen
        QString hint; // tool tip
    };

    Kind kind = Kind::Alert;
    QPointer<QWidget> parent; // the window it is shown over; none: application-modal
    QString title;
    QString message;
    QList<Button> buttons; // the first is the default button, the last answers Escape
    int flags = 0;         // "flags" of an alert, the style of a question, the flags of a box
    bool showsSuppressionBox = false;
    QPointer<QWidget> accessoryView;
    // Asked when the default button is chosen; false keeps the box open (the caller says why,
    // next to its accessory view). None: the default button always answers.
    std::function<bool()> acceptsDefaultButton;
    // Runs once the box is on screen, e.g. to focus a field of the accessory view.
    std::function<void()> shown;
    // True when the caller blocks the main thread until the answer (no completion was given).
    bool modal = false;

    int escapeCode() const { return buttons.isEmpty() ? 0 : buttons.last().code; }
};

struct TQKitAlertAnswer {
    int button = 0;
    bool suppressed = false; // state of the suppression check box
};
