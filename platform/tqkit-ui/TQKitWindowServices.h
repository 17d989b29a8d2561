#pragma once

// Window helpers of the update window and the rating prompt. Main thread only.

#include <QString>

#include <functional>

class QColor;
class QFont;
class QWidget;

// Calls `visit` for every top-level window that is shown (dialogs and sheets included, menus and
// tool tips left out).
void TQKitForEachWindow(const std::function<void(QWidget* window)>& visit);
bool TQKitWindowIsShown(QWidget* window);
void TQKitWindowSetStayInFront(QWidget* window, bool inFront);
// Fills `view` with the colour of the three components (0 to 255).
void TQKitViewSetBackground(QWidget* view, int red, int green, int blue);
// The height of `text` set in `font` and wrapped at `width`.
int TQKitTextHeight(const QString& text, const QFont& font, int width);
// Prepares a window of the update offer: a normal top-level window with its own title bar that
// does not quit the application when it closes.
void TQKitUpdateWindowSetup(QWidget* window);

// Answers of TQKitAskUpdateQuestion.
inline constexpr int kTQKitUpdateAnswerCancel = 1;
inline constexpr int kTQKitUpdateAnswerContinue = 2;
// Asks whether to go on with an update ("Continue" / "Cancel") over `window`; `completion`
// receives the answer.
void TQKitAskUpdateQuestion(QWidget* window, const QString& title, const QString& message,
                            std::function<void(int answer)> completion);
