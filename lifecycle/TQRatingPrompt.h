#pragma once

// The app-rating prompt as the front end calls it. This build never prompts. Main thread only.

class QWidget;

// Configures the prompt once, from windowDidLoad of the main window.
void TQRatingPromptStartup();
// Counts one significant event; true when the prompt was shown over `window` (the caller then
// abandons the close or quit step it was taking).
bool TQRatingPromptSignificantEvent(QWidget* window);
